#include "DriverSession.h"

#include "DriverCodes.h"

#include "DriverContract.h"

namespace driverlib {

namespace {

constexpr int32_t LowestBaud = 50;
constexpr int32_t HighestBaud = 4000000;
constexpr int32_t LongestTimeoutMs = 60000;

int32_t CodeOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Answered:
        return Ok;
    case Outcome::NoReply:
        return NoReply;
    case Outcome::EchoOnly:
        return EchoOnly;
    case Outcome::Garbled:
        return ReplyGarbled;
    case Outcome::OtherAddress:
        return ReplyFromOtherAddress;
    case Outcome::Failed:
        break;
    }
    return InternalError;
}

bool Retried(Outcome outcome)
{
    return outcome == Outcome::NoReply || outcome == Outcome::EchoOnly
        || outcome == Outcome::Garbled;
}

bool ReadRequest(const int32_t* elements, busframe::Request& request)
{
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) {
        if (elements[i] < 0 || elements[i] > 255)
            return false;
        bytes[i] = uint8_t(elements[i]);
    }
    request = {bytes[0], bytes[1], bytes[2], bytes[3], {bytes[4], bytes[5], bytes[6], bytes[7]}};
    return true;
}

} // namespace

Exchange RunTransaction(BusChannel& channel, const busframe::Request& request,
                        std::chrono::milliseconds timeout, int attempts)
{
    Exchange result;
    Outcome last = Outcome::NoReply;
    while (result.attempts < attempts) {
        ++result.attempts;
        const Attempt attempt = channel.Exchange(request, timeout);
        last = attempt.outcome;
        if (attempt.outcome == Outcome::Failed) {
            result.code = attempt.failure;
            return result;
        }
        if (attempt.outcome == Outcome::Answered) {
            result.reply = attempt.reply;
            result.code = attempt.reply.status == busframe::StatusOk
                ? Ok
                : CodeOfModuleStatus(attempt.reply.status);
            return result;
        }
        if (!Retried(attempt.outcome))
            break;
    }
    result.code = CodeOf(last);
    return result;
}

DriverSession::DriverSession(std::unique_ptr<BusChannel> channel,
                             std::chrono::milliseconds networkTimeout)
    : channel_(std::move(channel)), networkTimeout_(networkTimeout)
{
}

int32_t DriverSession::Configure(int32_t baud, int32_t timeout, int32_t option)
{
    if (baud < LowestBaud || baud > HighestBaud)
        return InvalidSpeed;
    if (timeout < 1 || timeout > LongestTimeoutMs)
        return InvalidTimeout;
    if (option != 1 && option != 2)
        return InvalidOption;
    std::lock_guard lock(mutex_);
    if (const int32_t code = channel_->SetSpeed(uint32_t(baud)); code != Ok)
        return code;
    configured_ = true;
    baud_ = baud;
    timeoutMs_ = timeout;
    attempts_ = option;
    return Ok;
}

int32_t DriverSession::Settings(int32_t& baud, int32_t& timeout, int32_t& option) const
{
    std::lock_guard lock(mutex_);
    if (!configured_)
        return ConnectionNotConfigured;
    baud = baud_;
    timeout = timeoutMs_;
    option = attempts_;
    return Ok;
}

std::chrono::milliseconds DriverSession::AttemptTimeout() const
{
    return networkTimeout_ + std::chrono::milliseconds(timeoutMs_);
}

int32_t DriverSession::Send(const int32_t* request, int32_t* response, int32_t* extra,
                            int32_t* status)
{
    if (!request || !response || !extra || !status)
        return InvalidParameter;
    response[0] = response[1] = response[2] = response[3] = 0;
    *extra = 0;

    busframe::Request frame;
    if (!ReadRequest(request, frame)) {
        *status = InvalidParameter;
        return InvalidParameter;
    }
    std::lock_guard lock(mutex_);
    if (!configured_) {
        *status = ConnectionNotConfigured;
        return ConnectionNotConfigured;
    }
    const Exchange exchange = RunTransaction(*channel_, frame, AttemptTimeout(), attempts_);
    *status = exchange.code;
    if (exchange.code != Ok)
        return exchange.code;
    for (int i = 0; i < 4; ++i)
        response[i] = exchange.reply.data[size_t(i)];
    *extra = exchange.reply.extra;
    return Ok;
}

} // namespace driverlib
