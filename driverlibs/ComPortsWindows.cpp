#include "ComPortsWindows.h"

#include "WideTextWindows.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <initguid.h>

#include <devguid.h>
#include <devpkey.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <optional>

namespace driverlib {

namespace {

class DeviceInfoSet {
public:
    explicit DeviceInfoSet(HDEVINFO set) : set_(set) {}
    ~DeviceInfoSet()
    {
        if (set_ != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(set_);
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

    HDEVINFO Get() const { return set_; }
    bool Valid() const { return set_ != INVALID_HANDLE_VALUE; }

private:
    HDEVINFO set_;
};

std::wstring RegistryText(HKEY key, const wchar_t* name)
{
    DWORD size = 0;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(value.size() * sizeof(wchar_t));
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &size)
        != ERROR_SUCCESS)
        return {};
    value.resize(std::wcslen(value.c_str()));
    return value;
}

std::optional<DWORD> RegistryNumber(HKEY key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The strings of a REG_SZ or REG_MULTI_SZ property, zero-terminated each.
std::vector<std::string> PropertyStrings(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property)
{
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, nullptr, 0, &size);
    if (size == 0)
        return {};
    // Two more terminators, in case the stored value lacks its own.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(buffer.data()), size, nullptr))
        return {};
    std::vector<std::string> strings;
    for (const wchar_t* text = buffer.data(); *text; text += std::wcslen(text) + 1)
        strings.push_back(Utf8Of(text));
    return strings;
}

std::string PropertyText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property)
{
    const std::vector<std::string> strings = PropertyStrings(set, device, property);
    return strings.empty() ? std::string() : strings.front();
}

std::string BusReportedDescription(HDEVINFO set, SP_DEVINFO_DATA& device)
{
    DEVPROPTYPE type = 0;
    DWORD size = 0;
    SetupDiGetDevicePropertyW(set, &device, &DEVPKEY_Device_BusReportedDeviceDesc, &type,
                              nullptr, 0, &size, 0);
    if (size == 0)
        return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (!SetupDiGetDevicePropertyW(set, &device, &DEVPKEY_Device_BusReportedDeviceDesc, &type,
                                   reinterpret_cast<BYTE*>(buffer.data()), size, nullptr, 0)
        || type != DEVPROP_TYPE_STRING)
        return {};
    return Utf8Of(buffer.data());
}

std::string InstanceIdOf(DEVINST instance)
{
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (CM_Get_Device_IDW(instance, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS)
        return {};
    return Utf8Of(id);
}

void ReadParent(DEVINST instance, PortDeviceStrings& strings)
{
    DEVINST parent = 0;
    if (CM_Get_Parent(&parent, instance, 0) != CR_SUCCESS)
        return;
    strings.parentInstanceId = InstanceIdOf(parent);
    const DeviceInfoSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (set.Valid()
        && SetupDiOpenDeviceInfoW(set.Get(), WideOf(strings.parentInstanceId).c_str(), nullptr, 0,
                                  &device))
        strings.parentBusReportedDescription = BusReportedDescription(set.Get(), device);
}

bool SamePortName(const std::string& left, const std::string& right)
{
    return CompareStringOrdinal(WideOf(left).c_str(), -1, WideOf(right).c_str(), -1, TRUE)
        == CSTR_EQUAL;
}

// The ports of SERIALCOMM: each value names a driver's device, its data the port.
std::vector<PortDeviceStrings> SerialCommPorts()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key)
        != ERROR_SUCCESS)
        return {};
    std::vector<PortDeviceStrings> found;
    for (DWORD index = 0;; ++index) {
        wchar_t device[256] = {};
        DWORD deviceLength = DWORD(std::size(device));
        wchar_t port[64] = {};
        DWORD portSize = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key, index, device, &deviceLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(port), &portSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        PortDeviceStrings strings;
        strings.portName = Utf8Of(port);
        strings.deviceDescription = Utf8Of(device);
        if (IsComPortName(strings.portName))
            found.push_back(std::move(strings));
    }
    RegCloseKey(key);
    return found;
}

// Calls visit(set, device, portName, parameters) for each present Ports device whose
// parameters name a COM port.
template <typename Visit>
void ForEachComPort(Visit visit)
{
    const DeviceInfoSet set(SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr,
                                                 DIGCF_PRESENT));
    if (!set.Valid())
        return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.Get(), index, &device); ++index) {
        const HKEY parameters = SetupDiOpenDevRegKey(set.Get(), &device, DICS_FLAG_GLOBAL, 0,
                                                     DIREG_DEV, KEY_QUERY_VALUE);
        if (parameters == INVALID_HANDLE_VALUE)
            continue;
        const std::string portName = Utf8Of(RegistryText(parameters, L"PortName"));
        if (IsComPortName(portName))
            visit(set.Get(), device, portName, parameters);
        RegCloseKey(parameters);
    }
}

} // namespace

std::vector<PortDeviceStrings> ComPortDevices()
{
    std::vector<PortDeviceStrings> found;
    ForEachComPort([&found](HDEVINFO set, SP_DEVINFO_DATA& device, const std::string& portName,
                            HKEY) {
        PortDeviceStrings strings;
        strings.portName = portName;
        strings.friendlyName = PropertyText(set, device, SPDRP_FRIENDLYNAME);
        strings.deviceDescription = PropertyText(set, device, SPDRP_DEVICEDESC);
        strings.manufacturer = PropertyText(set, device, SPDRP_MFG);
        strings.hardwareIds = PropertyStrings(set, device, SPDRP_HARDWAREID);
        strings.instanceId = InstanceIdOf(device.DevInst);
        strings.busReportedDescription = BusReportedDescription(set, device);
        ReadParent(device.DevInst, strings);
        found.push_back(std::move(strings));
    });
    for (PortDeviceStrings& listed : SerialCommPorts()) {
        const bool known = std::any_of(found.begin(), found.end(), [&](const PortDeviceStrings& port) {
            return SamePortName(port.portName, listed.portName);
        });
        if (!known)
            found.push_back(std::move(listed));
    }
    return found;
}

std::chrono::microseconds LatencyTimerOfPort(const std::string& portName)
{
    std::chrono::microseconds latency{};
    const std::string wanted = ComPortNameOfPath(portName);
    ForEachComPort([&](HDEVINFO, SP_DEVINFO_DATA&, const std::string& name, HKEY parameters) {
        if (!SamePortName(name, wanted))
            return;
        if (const std::optional<DWORD> timer = RegistryNumber(parameters, L"LatencyTimer"))
            latency = std::chrono::milliseconds(*timer);
    });
    return latency;
}

} // namespace driverlib
