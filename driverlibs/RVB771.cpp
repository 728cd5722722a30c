// RVB771: the PCI card, found through sysfs by its PCI ids, or ports/pci beside the program.
#include "DriverEntries.h"
#include "PortLocator.h"
#include "SerialOpen.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVB771, Init)(uint32_t* handle)
{
    return driverlib::OpenConnection(handle, [](auto& channel, auto&) {
        auto path = driverlib::PortOverride("pci");
        if (!path)
            path = driverlib::FindPciCardTty("/sys");
        if (!path)
            return int32_t(driverlib::PciCardNotFound);
        return driverlib::OpenSerialChannel(*path, channel);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVB771)
