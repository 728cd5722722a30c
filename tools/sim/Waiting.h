// Waiting in a server thread: for input, for a time, always ending early when stopped.
#pragma once

#include "NativeHandle.h"

#include <chrono>
#include <optional>

namespace sim {

using Clock = std::chrono::steady_clock;

enum class Wake { Readable, TimeUp, Stopped };

// Waits until `readable` has input, the time has come (none: no limit) or `stop` is raised.
// Either may be NoHandle: no input to wait for, or nothing that stops the wait.
Wake WaitFor(NativeHandle readable, NativeHandle stop, std::optional<Clock::time_point> until);

} // namespace sim
