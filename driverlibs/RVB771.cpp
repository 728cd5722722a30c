// RVB771: the PCI card, where PortLocator.h finds it.
#include "DriverEntries.h"
#include "PortLocator.h"
#include "SerialOpen.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVB771, Init)(uint32_t* handle)
{
    return driverlib::OpenConnection(handle, [](auto& channel, auto&) {
        return driverlib::OpenLocatedSerialChannel(driverlib::LocatePciCard, channel);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVB771)
