// What Windows names an open socket, a SOCKET, and a thing a thread can wait for, a HANDLE
// (an event, a pipe, the console), without the system's headers.
#pragma once

#include <cstdint>

namespace sim {

using NativeHandle = void*;           // HANDLE
using NativeSocket = std::uintptr_t;  // SOCKET
inline constexpr NativeHandle NoHandle = nullptr;
inline constexpr NativeSocket NoSocket = ~NativeSocket(0);  // INVALID_SOCKET

} // namespace sim
