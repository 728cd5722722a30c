// What Linux names an open socket and a thing a thread can wait for: a file descriptor.
#pragma once

namespace sim {

using NativeHandle = int;
using NativeSocket = int;
inline constexpr NativeHandle NoHandle = -1;
inline constexpr NativeSocket NoSocket = -1;

} // namespace sim
