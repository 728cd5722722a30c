// One open driver connection: the channel to the module and the settings of SetConfig, and
// the transaction with its retry.
#pragma once

#include "BusChannel.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

namespace driverlib {

inline constexpr uint32_t DefaultBaud = 9600;
inline constexpr int32_t DefaultTimeoutMs = 200;
inline constexpr int32_t DefaultAttempts = 2;  // SetConfig's option: one try and one retry

struct Exchange {
    int32_t code = 0;
    busframe::Reply reply{};
    int attempts = 0;
};

// Up to `attempts` tries: a try that timed out or failed its check is repeated; a reply with a
// non-zero status becomes the module's code.
Exchange RunTransaction(BusChannel& channel, const busframe::Request& request,
                        std::chrono::milliseconds timeout, int attempts);

class DriverSession {
public:
    // networkTimeout is added to SetConfig's time-out for each attempt: the LAN converter's
    // round trip on the network on top of the module's time on the bus.
    explicit DriverSession(std::unique_ptr<BusChannel> channel,
                           std::chrono::milliseconds networkTimeout = {});

    int32_t Configure(int32_t baud, int32_t timeout, int32_t option);
    void Settings(int32_t& baud, int32_t& timeout, int32_t& option) const;
    int32_t Send(const int32_t* request, int32_t* response, int32_t* extra, int32_t* status);

private:
    std::chrono::milliseconds AttemptTimeout() const;

    mutable std::mutex mutex_;  // one transaction at a time per connection
    std::unique_ptr<BusChannel> channel_;
    std::chrono::milliseconds networkTimeout_;
    int32_t baud_ = DefaultBaud;
    int32_t timeoutMs_ = DefaultTimeoutMs;
    int32_t attempts_ = DefaultAttempts;
};

} // namespace driverlib
