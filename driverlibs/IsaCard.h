// Opening the ISA card: the base address checked, access to its ports gained, the UART found
// by its scratch register. The port access comes from an opener, so that everything but the
// port I/O itself runs against a simulated register file in the tests.
#pragma once

#include "BusChannel.h"
#include "Uart16550.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace driverlib {

// Gains access to the eight ports at the base and returns a code (OpenPortIo on the machine).
using PortIoOpener =
    std::function<int32_t(uint16_t base, std::unique_ptr<UartRegisters>& registers)>;

int32_t OpenIsaCard(int32_t base, const PortIoOpener& openPorts,
                    std::unique_ptr<BusChannel>& channel);

} // namespace driverlib
