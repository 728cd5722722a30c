// The names by which Windows tells its serial ports apart, read as text: COM port names and
// their device paths, hardware ids and device instance ids, and a port's entry made of the
// strings SetupAPI gives for it. Pure functions, so that they are tested on every platform.
#pragma once

#include "PortLocator.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace driverlib {

// "COM" and a number from 1 (any case), as a port's "PortName" reads; not "LPT1", not "COM0".
bool IsComPortName(std::string_view name);

// The path CreateFileW opens a port by: \\.\COM12 for COM12. A path that already begins with
// two backslashes is a device path already and stays as it is.
std::string ComPortDevicePath(std::string_view nameOrPath);

// The port's name in a device path: COM12 for \\.\COM12 (and for COM12).
std::string ComPortNameOfPath(std::string_view path);

struct UsbIds {
    int vendorId = 0;
    int productId = 0;
};

// The USB vendor and product id in a hardware or instance id: USB\VID_0403&PID_6001&REV_0600,
// FTDIBUS\COMPORT&VID_0403&PID_6001, FTDIBUS\VID_0403+PID_6001+A50285BIA\0000. Nothing for an
// id without both (PCI\VEN_1A4E&DEV_0771, ACPI\PNP0501).
std::optional<UsbIds> UsbIdsOfDeviceId(std::string_view id);

// The USB serial number in a device instance id, where the bus put it there:
//  - USB\VID_0403&PID_6001\A50285BI: the instance part, unless Windows made that up itself
//    (it then holds '&': 5&2a3b4c5d&0&2) or the device is one interface of a composite device
//    (&MI_00), whose instance part is never the serial number;
//  - FTDIBUS\VID_0403+PID_6001+A50285BIA\0000: FTDI's driver adds the port's letter (A for the
//    first) to the serial number.
// Empty where the id holds none.
std::string SerialNumberOfInstanceId(std::string_view instanceId);

// What SetupAPI tells of a device of the Ports class, and of its parent (the USB device
// whose child a USB bridge's port is).
struct PortDeviceStrings {
    std::string portName;                // "PortName" of the device's parameters: COM3
    std::string friendlyName;            // USB Serial Port (COM3)
    std::string deviceDescription;       // USB Serial Port
    std::string manufacturer;            // FTDI
    std::vector<std::string> hardwareIds;
    std::string instanceId;
    std::string busReportedDescription;  // the product string a USB device reports
    std::string parentInstanceId;
    std::string parentBusReportedDescription;
};

// The port's entry as ListSerialPorts gives it: path is the port's name (COM3); a port with
// USB ids in its hardware ids or instance ids is a USB port, with the product string its bus
// reported (its own, else its parent's) and the serial number in its instance id (its own,
// else its parent's).
SerialPortEntry PortEntryOf(const PortDeviceStrings& device);

} // namespace driverlib
