// One attempt of a transaction on the way to the module: a serial line or the LAN converter.
#pragma once

#include "ModuleFrame.h"

#include <chrono>
#include <cstdint>

namespace driverlib {

enum class Outcome {
    Answered,      // the reply to the request, from the addressed module
    NoReply,       // nothing but stale replies until the time-out
    EchoOnly,      // only our own request came back until the time-out
    Garbled,       // bytes that fail the check
    OtherAddress,  // the reply came from another bus address
    Failed,        // the port or the network failed; failure holds the code
};

struct Attempt {
    Outcome outcome = Outcome::NoReply;
    busframe::Reply reply{};
    int32_t failure = 0;
};

class BusChannel {
public:
    virtual ~BusChannel() = default;
    virtual int32_t SetSpeed(uint32_t baud) = 0;
    virtual Attempt Exchange(const busframe::Request& request,
                             std::chrono::milliseconds timeout) = 0;
};

// Answered, or OtherAddress when a request to a non-zero address got a reply from another.
// Address 0 reaches whatever module is on the bench, so any reply address is fine then.
Attempt CheckedAnswer(const busframe::Request& request, const busframe::Reply& reply);

} // namespace driverlib
