// RVS770: a standard COM port, COM n as PortLocator.h finds its device.
#include "DriverEntries.h"
#include "PortLocator.h"
#include "SerialOpen.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVS770, Init)(uint32_t* handle, int32_t comNumber)
{
    return driverlib::OpenConnection(handle, [comNumber](auto& channel, auto&) {
        if (!driverlib::ValidComNumber(comNumber))
            return int32_t(driverlib::InvalidComNumber);
        std::string path;
        if (const int32_t code = driverlib::LocateComPort(comNumber, path); code != driverlib::Ok)
            return code;
        return driverlib::OpenSerialChannel(path, channel);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVS770)
