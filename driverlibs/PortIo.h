// The ISA card's registers through x86 port I/O (ioperm, inb, outb), where the platform has it.
#pragma once

#include "Uart16550.h"

#include <cstdint>
#include <memory>

namespace driverlib {

// Lowest and highest base address an ISA serial card can take, in steps of 8.
inline constexpr int32_t LowestIsaBase = 0x100;
inline constexpr int32_t HighestIsaBase = 0x3F8;

bool ValidIsaBase(int32_t base);

// Gains access to the eight ports at the base. Returns a code: IsaNoPermission without root or
// CAP_SYS_RAWIO, NotSupportedOnPlatform where there is no port I/O.
int32_t OpenPortIo(uint16_t base, std::unique_ptr<UartRegisters>& registers);

} // namespace driverlib
