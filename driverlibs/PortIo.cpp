#include "PortIo.h"

#include "DriverCodes.h"

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define SERKON_HAS_PORT_IO 1
#include <sys/io.h>
#endif

namespace driverlib {

bool ValidIsaBase(int32_t base)
{
    return base >= LowestIsaBase && base <= HighestIsaBase && base % 8 == 0;
}

#ifdef SERKON_HAS_PORT_IO

namespace {

class PortIoRegisters final : public UartRegisters {
public:
    explicit PortIoRegisters(uint16_t base) : base_(base) {}
    ~PortIoRegisters() override { ioperm(base_, 8, 0); }

    uint8_t Read(uint8_t offset) override { return inb(uint16_t(base_ + offset)); }
    void Write(uint8_t offset, uint8_t value) override { outb(value, uint16_t(base_ + offset)); }

private:
    uint16_t base_;
};

} // namespace

int32_t OpenPortIo(uint16_t base, std::unique_ptr<UartRegisters>& registers)
{
    if (ioperm(base, 8, 1) != 0)
        return IsaNoPermission;
    registers = std::make_unique<PortIoRegisters>(base);
    return Ok;
}

#else

int32_t OpenPortIo(uint16_t, std::unique_ptr<UartRegisters>&)
{
    return NotSupportedOnPlatform;
}

#endif

} // namespace driverlib
