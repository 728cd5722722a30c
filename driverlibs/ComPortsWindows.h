// The COM ports Windows knows: the present devices of the Ports setup class
// (GUID_DEVCLASS_PORTS) as SetupAPI tells of them, and the ports that serial drivers outside
// that class list under HARDWARE\DEVICEMAP\SERIALCOMM (Wine lists its ports only there).
#pragma once

#include "DeviceNames.h"

#include <chrono>
#include <string>
#include <vector>

namespace driverlib {

// The devices with a COM port name (not LPT ports), with what SetupAPI tells of them; a port
// only SERIALCOMM lists comes with its name and, as its description, its driver's device.
std::vector<PortDeviceStrings> ComPortDevices();

// The latency timer of the port's USB bridge (the port named COM3 or by its device path) as
// FTDI's driver keeps it in the device's parameters ("LatencyTimer", in milliseconds); nothing
// for a port without one.
std::chrono::microseconds LatencyTimerOfPort(const std::string& portName);

} // namespace driverlib
