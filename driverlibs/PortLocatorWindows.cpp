#include "PortLocator.h"
#include "PortLocatorWindows.h"

#include "DeviceNames.h"
#include "DriverCodes.h"
#include "ComPortsWindows.h"
#include "WideTextWindows.h"

#include <windows.h>

#include <algorithm>

namespace driverlib {

namespace {

constexpr int HighestComNumber = 255;

} // namespace

std::string ModuleDirectory(const void* address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
                                | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<const wchar_t*>(address), &module))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // cut short: a long path (\\?\...)
    }
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::string() : Utf8Of(path.substr(0, separator));
}

std::string LibraryDirectory()
{
    return ModuleDirectory(reinterpret_cast<const void*>(&LibraryDirectory));
}

bool ValidComNumber(int comNumber)
{
    return comNumber >= 1 && comNumber <= HighestComNumber;
}

int32_t LocateComPort(int comNumber, std::string& path)
{
    path = ComPortDevicePath("COM" + std::to_string(comNumber));
    return Ok;
}

std::vector<SerialPortEntry> ListSerialPorts()
{
    std::vector<SerialPortEntry> found;
    for (const PortDeviceStrings& device : ComPortDevices())
        found.push_back(PortEntryOf(device));
    std::sort(found.begin(), found.end(), [](const SerialPortEntry& left, const SerialPortEntry& right) {
        return TtyNameLess(left.path, right.path);
    });
    return found;
}

int32_t LocateUsbConverter(std::string& path)
{
    UsbConverterChoice choice = ChooseUsbConverter(ListUsbSerialPorts());
    path = std::move(choice.path);
    return choice.code;
}

int32_t LocatePciCard(std::string&)
{
    return PciCardAsComPort;
}

} // namespace driverlib
