// RVA770: the ISA card, a 16550-compatible UART at an I/O base address.
#include "DriverEntries.h"
#include "IsaCard.h"
#include "PortIo.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVA770, Init)(uint32_t* handle, int32_t base)
{
    return driverlib::OpenConnection(handle, [base](auto& channel, auto&) {
        return driverlib::OpenIsaCard(base, driverlib::OpenPortIo, channel);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVA770)
