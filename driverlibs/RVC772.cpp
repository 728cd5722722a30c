// RVC772: the USB converter, found among the USB serial ports by its product string or its
// ids (PortLocator.h tells how), or ports/usb beside the program on Linux.
#include "DriverEntries.h"
#include "PortLocator.h"
#include "SerialOpen.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVC772, Init)(uint32_t* handle)
{
    return driverlib::OpenConnection(handle, [](auto& channel, auto&) {
        return driverlib::OpenLocatedSerialChannel(driverlib::LocateUsbConverter, channel);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVC772)
