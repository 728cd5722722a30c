// A serial line as the transaction engine sees it: bytes out, bytes in with a time limit.
// Implemented by a serial device (tty, pseudo-terminal) and by a 16550 UART driven through its
// registers.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace driverlib {

using Clock = std::chrono::steady_clock;

class ByteLink {
public:
    virtual ~ByteLink() = default;

    // Sets the line speed; 8 data bits, no parity, one stop bit. Returns a code.
    virtual int32_t SetSpeed(uint32_t baud) = 0;
    // Drops whatever has arrived and not been read.
    virtual void DiscardInput() = 0;
    // Sends the bytes and returns once they have left. Returns a code.
    virtual int32_t Write(std::span<const uint8_t> bytes) = 0;
    // Waits until bytes are there or the time has come and appends what is there (possibly
    // nothing). Returns a code.
    virtual int32_t Read(std::vector<uint8_t>& into, Clock::time_point until) = 0;
    // How long the device may hold received bytes back before it passes them on: a USB
    // bridge's latency timer. Nothing for a UART or a pseudo-terminal.
    virtual std::chrono::microseconds ReceiveLatency() const { return {}; }
};

} // namespace driverlib
