// One open driver connection: the channel to the module and the settings of SetConfig, and
// the transaction with its retry.
#pragma once

#include "BusChannel.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

namespace driverlib {

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

    // Until a Configure succeeds the connection has no speed and time-out of its own: Settings
    // and Send refuse with ConnectionNotConfigured rather than guess them.
    int32_t Configure(int32_t baud, int32_t timeout, int32_t option);
    int32_t Settings(int32_t& baud, int32_t& timeout, int32_t& option) const;
    int32_t Send(const int32_t* request, int32_t* response, int32_t* extra, int32_t* status);

private:
    std::chrono::milliseconds AttemptTimeout() const;

    mutable std::mutex mutex_;  // one transaction at a time per connection
    std::unique_ptr<BusChannel> channel_;
    std::chrono::milliseconds networkTimeout_;
    bool configured_ = false;
    int32_t baud_ = 0;
    int32_t timeoutMs_ = 0;
    int32_t attempts_ = 0;  // SetConfig's option: 2 is one try and one retry
};

} // namespace driverlib
