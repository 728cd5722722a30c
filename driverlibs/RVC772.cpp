// RVC772: the USB converter, found among the USB serial ports by its product string or its
// ids (PortLocator.h tells how), or ports/usb beside the program.
#include "DriverEntries.h"
#include "PortLocator.h"
#include "SerialOpen.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVC772, Init)(uint32_t* handle)
{
    return driverlib::OpenConnection(handle, [](auto& channel, auto&) {
        if (const auto link = driverlib::PortOverride("usb"))
            return driverlib::OpenSerialChannel(*link, channel);
        const auto choice = driverlib::ChooseUsbConverter(driverlib::ListUsbSerialPorts());
        if (choice.code != driverlib::Ok)
            return choice.code;
        return driverlib::OpenSerialChannel(choice.path, channel);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVC772)
