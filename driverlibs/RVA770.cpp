// RVA770: the ISA card, a 16550-compatible UART at an I/O base address.
#include "DriverEntries.h"
#include "PortIo.h"
#include "SerialChannel.h"
#include "Uart16550.h"

SERKON_DRIVER_EXPORTED SERKON_DRIVER_ENTRY(RVA770, Init)(uint32_t* handle, int32_t base)
{
    return driverlib::OpenConnection(handle, [base](auto& channel, auto&) {
        if (!driverlib::ValidIsaBase(base))
            return int32_t(driverlib::IsaInvalidBase);
        std::unique_ptr<driverlib::UartRegisters> registers;
        if (const int32_t code = driverlib::OpenPortIo(uint16_t(base), registers); code != 0)
            return code;
        if (!driverlib::DetectUart(*registers))
            return int32_t(driverlib::IsaCardNotFound);
        channel = std::make_unique<driverlib::SerialChannel>(
            std::make_unique<driverlib::UartLink>(std::move(registers)));
        return int32_t(driverlib::Ok);
    });
}

SERKON_DRIVER_COMMON_ENTRIES(RVA770)
