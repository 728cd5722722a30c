// termios2 carries the speed as a number of Bd, not as one of the B... constants; its header
// cannot share a translation unit with <termios.h>.
#include "TerminalSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace sim {

uint32_t TerminalSpeed(int descriptor)
{
    termios2 settings{};
    if (::ioctl(descriptor, TCGETS2, &settings) != 0)
        return 0;
    return settings.c_ospeed;
}

} // namespace sim
