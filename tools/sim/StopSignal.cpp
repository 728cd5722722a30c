#include "Servers.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace sim {

StopSignal::StopSignal() : descriptor_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

void StopSignal::Raise()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(descriptor_, &one, sizeof one);
}

} // namespace sim
