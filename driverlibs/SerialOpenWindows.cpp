#include "SerialOpen.h"

#include "DriverCodes.h"
#include "SerialChannel.h"
#include "SerialDeviceWindows.h"

namespace driverlib {

int32_t OpenSerialChannel(const std::string& path, std::unique_ptr<BusChannel>& channel)
{
    std::unique_ptr<ComPortDevice> device;
    if (const int32_t code = ComPortDevice::Open(path, device); code != Ok)
        return code;
    channel = std::make_unique<SerialChannel>(std::move(device));
    return Ok;
}

} // namespace driverlib
