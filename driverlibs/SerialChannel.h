// Transactions over a serial line: frames delimited by line silence, stale bytes flushed
// before each request, our own echo and late replies to earlier requests skipped. Each attempt
// waits its time-out and, on top, the time the device may hold received bytes back.
#pragma once

#include "BusChannel.h"
#include "ByteLink.h"

#include <memory>

namespace driverlib {

class SerialChannel final : public BusChannel {
public:
    explicit SerialChannel(std::unique_ptr<ByteLink> link);

    int32_t SetSpeed(uint32_t baud) override;
    Attempt Exchange(const busframe::Request& request, std::chrono::milliseconds timeout) override;

private:
    void WaitForBusSilence(Clock::time_point limit);

    std::unique_ptr<ByteLink> link_;
    uint32_t baud_ = 9600;
    Clock::time_point lineQuietSince_{};
};

// How long the line must stay quiet after part of a reply before the part counts as garbled.
// Longer than the bus's 3.5 character times: USB adapters deliver a frame in pieces up to
// their latency timer apart, and a complete frame is recognised by its length anyway.
std::chrono::microseconds ReceiveSilence(uint32_t baud);

} // namespace driverlib
