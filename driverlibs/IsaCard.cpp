#include "IsaCard.h"

#include "DriverCodes.h"
#include "PortIo.h"
#include "SerialChannel.h"

namespace driverlib {

int32_t OpenIsaCard(int32_t base, const PortIoOpener& openPorts,
                    std::unique_ptr<BusChannel>& channel)
{
    if (!ValidIsaBase(base))
        return IsaInvalidBase;
    std::unique_ptr<UartRegisters> registers;
    if (const int32_t code = openPorts(uint16_t(base), registers); code != Ok)
        return code;
    if (!DetectUart(*registers))
        return IsaCardNotFound;
    channel = std::make_unique<SerialChannel>(std::make_unique<UartLink>(std::move(registers)));
    return Ok;
}

} // namespace driverlib
