#include "Servers.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace sim {

StopSignal::StopSignal() : handle_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal()
{
    if (handle_ >= 0)
        ::close(handle_);
}

void StopSignal::Raise()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(handle_, &one, sizeof one);
}

} // namespace sim
