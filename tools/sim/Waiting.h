// Waiting in a server thread: for input, for a time, always ending early when stopped.
#pragma once

#include <chrono>
#include <optional>

namespace sim {

using Clock = std::chrono::steady_clock;

enum class Wake { Readable, TimeUp, Stopped };

// Waits until the descriptor is readable, the time has come (none: no limit) or the stop
// descriptor is raised. A descriptor of -1 waits for the time or the stop only.
Wake WaitFor(int descriptor, int stopDescriptor, std::optional<Clock::time_point> until);

} // namespace sim
