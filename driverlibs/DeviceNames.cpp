#include "DeviceNames.h"

#include <algorithm>

namespace driverlib {

namespace {

constexpr std::string_view DevicePrefix = "\\\\.\\";

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool EqualNoCase(std::string_view left, std::string_view right)
{
    return left.size() == right.size()
        && std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return Upper(a) == Upper(b); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool ContainsNoCase(std::string_view text, std::string_view part)
{
    for (size_t at = 0; at + part.size() <= text.size(); ++at)
        if (EqualNoCase(text.substr(at, part.size()), part))
            return true;
    return false;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t end = text.find_first_of(separators);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        text.remove_prefix(end + 1);
    }
}

std::optional<int> FourHexDigits(std::string_view digits)
{
    if (digits.size() != 4)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        const char upper = Upper(c);
        int digit = 0;
        if (upper >= '0' && upper <= '9')
            digit = upper - '0';
        else if (upper >= 'A' && upper <= 'F')
            digit = upper - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

// The part after the enumerator: VID_0403&PID_6001&REV_0600 of USB\VID_0403&PID_6001&REV_0600.
std::string_view DevicePart(std::string_view id)
{
    const std::vector<std::string_view> parts = Split(id, "\\");
    return parts.size() > 1 ? parts[1] : parts[0];
}

bool SameIds(const std::optional<UsbIds>& left, const std::optional<UsbIds>& right)
{
    return left && right && left->vendorId == right->vendorId
        && left->productId == right->productId;
}

std::optional<UsbIds> UsbIdsOfAny(const PortDeviceStrings& device)
{
    for (const std::string& id : device.hardwareIds)
        if (auto ids = UsbIdsOfDeviceId(id))
            return ids;
    return UsbIdsOfDeviceId(device.instanceId);
}

} // namespace

bool IsComPortName(std::string_view name)
{
    if (name.size() < 4 || !StartsWithNoCase(name, "COM"))
        return false;
    const std::string_view number = name.substr(3);
    return number.find_first_not_of("0123456789") == std::string_view::npos
        && number.find_first_not_of('0') != std::string_view::npos;
}

std::string ComPortDevicePath(std::string_view nameOrPath)
{
    if (nameOrPath.substr(0, 2) == "\\\\")
        return std::string(nameOrPath);
    return std::string(DevicePrefix) + std::string(nameOrPath);
}

std::string ComPortNameOfPath(std::string_view path)
{
    if (path.substr(0, DevicePrefix.size()) == DevicePrefix)
        path.remove_prefix(DevicePrefix.size());
    return std::string(path);
}

std::optional<UsbIds> UsbIdsOfDeviceId(std::string_view id)
{
    std::optional<int> vendor;
    std::optional<int> product;
    for (const std::string_view field : Split(DevicePart(id), "&+")) {
        if (StartsWithNoCase(field, "VID_"))
            vendor = FourHexDigits(field.substr(4));
        else if (StartsWithNoCase(field, "PID_"))
            product = FourHexDigits(field.substr(4));
    }
    if (!vendor || !product)
        return std::nullopt;
    return UsbIds{*vendor, *product};
}

std::string SerialNumberOfInstanceId(std::string_view instanceId)
{
    const std::vector<std::string_view> parts = Split(instanceId, "\\");
    if (parts.size() != 3)
        return {};
    if (EqualNoCase(parts[0], "USB")) {
        const std::string_view instance = parts[2];
        if (ContainsNoCase(parts[1], "&MI_") || instance.find('&') != std::string_view::npos)
            return {};
        return std::string(instance);
    }
    if (EqualNoCase(parts[0], "FTDIBUS")) {
        const std::vector<std::string_view> fields = Split(parts[1], "+");
        if (fields.size() != 3 || fields[2].size() < 2 || fields[2].find('&') != std::string_view::npos)
            return {};
        return std::string(fields[2].substr(0, fields[2].size() - 1));
    }
    return {};
}

SerialPortEntry PortEntryOf(const PortDeviceStrings& device)
{
    SerialPortEntry entry;
    entry.path = device.portName;
    entry.description =
        device.friendlyName.empty() ? device.deviceDescription : device.friendlyName;
    const std::optional<UsbIds> ids = UsbIdsOfAny(device);
    if (!ids)
        return entry;
    // A parent with the port's own ids is the USB device itself, of which the port is a child
    // (FTDI's bus, a composite device's interface); any other parent is a hub or a controller.
    const bool parentIsTheDevice = SameIds(UsbIdsOfDeviceId(device.parentInstanceId), ids);
    UsbSerialPort usb;
    usb.path = device.portName;
    usb.vendorId = ids->vendorId;
    usb.productId = ids->productId;
    usb.product = parentIsTheDevice && !device.parentBusReportedDescription.empty()
        ? device.parentBusReportedDescription
        : device.busReportedDescription;
    usb.serialNumber = SerialNumberOfInstanceId(device.instanceId);
    if (usb.serialNumber.empty() && parentIsTheDevice)
        usb.serialNumber = SerialNumberOfInstanceId(device.parentInstanceId);
    entry.usb = usb;
    entry.manufacturer = device.manufacturer;
    return entry;
}

} // namespace driverlib
