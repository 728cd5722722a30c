// Time limits for poll.
#pragma once

#include <chrono>
#include <ctime>

namespace driverlib {

inline timespec TimespecOf(std::chrono::steady_clock::duration duration)
{
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
    return timespec{time_t(nanoseconds / 1000000000), long(nanoseconds % 1000000000)};
}

} // namespace driverlib
