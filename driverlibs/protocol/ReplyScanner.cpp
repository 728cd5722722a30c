#include "ReplyScanner.h"

#include <algorithm>

namespace busframe {

ReplyScanner::ReplyScanner(const Request& request)
    : request_(EncodeRequest(request)), decodedRequest_(request)
{
}

ReplyScanner::State ReplyScanner::Feed(std::span<const uint8_t> bytes)
{
    if (state_ != State::Pending)
        return state_;  // the reply is complete or the line carried garbage: the rest is noise
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    state_ = Scan();
    return state_;
}

bool ReplyScanner::StartsWithEcho() const
{
    return buffer_.size() >= RequestSize
        && std::equal(request_.begin(), request_.end(), buffer_.begin());
}

bool ReplyScanner::MayBecomeEcho() const
{
    return buffer_.size() < RequestSize
        && std::equal(buffer_.begin(), buffer_.end(), request_.begin());
}

ReplyScanner::State ReplyScanner::Scan()
{
    for (;;) {
        if (buffer_.empty() || MayBecomeEcho())
            return State::Pending;
        if (StartsWithEcho()) {
            echoSeen_ = true;
            buffer_.erase(buffer_.begin(), buffer_.begin() + RequestSize);
            continue;
        }
        if (buffer_.size() < ReplySize)
            return State::Pending;
        const auto reply = DecodeReply(std::span<const uint8_t>(buffer_.data(), ReplySize));
        if (!reply)
            return State::Garbage;
        buffer_.erase(buffer_.begin(), buffer_.begin() + ReplySize);
        if (!Answers(*reply, decodedRequest_)) {
            ++staleReplies_;
            continue;
        }
        answer_ = *reply;
        return State::Answered;
    }
}

} // namespace busframe
