// How long a bus scan waits at an address before it takes it for silent: what the wire needs
// before the first character of an answer can be there, not the connection's time-out.
#pragma once

#include <chrono>
#include <cstdint>

// What an adapter may take to pass a received character on beyond its latency timer, which the
// serial drivers wait on top themselves (1 ms for a USB bridge in low-latency mode, 16 ms where
// the port refused it): the USB frame and the scheduling of the reading thread. A slower
// adapter (a serial port over the network) needs a larger one.
inline constexpr std::chrono::milliseconds AdapterMargin{1};

// The least time after which the wire can tell that nobody answers: the request's own time on
// the wire (an adapter may report it sent while it is still going out), the silence a module
// keeps before it answers, and the first character of its answer.
std::chrono::microseconds WireProbeTime(uint32_t baud);

// The driver time-out of one probe, in whole milliseconds as SetConfig takes them: the wire
// probe time and the margin. Through the LAN converter, which forwards a reply only once
// it has all of it, the whole reply instead of its first character (the network's share, the
// UDP time-out, the driver adds itself).
int32_t ProbeTimeoutMs(uint32_t baud, bool wholeReply,
                       std::chrono::milliseconds margin = AdapterMargin);
