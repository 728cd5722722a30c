// RVC772: the USB converter, found among the USB serial ports by its ids and product string,
// or ports/usb beside the program.
#include "DriverEntries.h"
#include "PortLocator.h"
#include "SerialOpen.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVC772, Init)(uint32_t* handle)
{
    return driverlib::OpenConnection(handle, [](auto& channel, auto&) {
        auto path = driverlib::PortOverride("usb");
        if (!path)
            path = driverlib::ChooseUsbConverter(driverlib::ListUsbSerialPorts());
        if (!path)
            return int32_t(driverlib::UsbConverterNotFound);
        return driverlib::OpenSerialChannel(*path, channel);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVC772)
