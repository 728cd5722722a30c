// Sorts the bytes that come back after a request on a serial line: our own request echoed by
// the line, replies that answer an earlier request (late ones), and the reply itself.
#pragma once

#include "ModuleFrame.h"

#include <cstddef>
#include <span>
#include <vector>

namespace busframe {

class ReplyScanner {
public:
    enum class State {
        Pending,   // no reply yet; more bytes may complete one
        Answered,  // Answer() holds the reply to the request
        Garbage,   // bytes that form no frame with a correct check
    };

    explicit ReplyScanner(const Request& request);

    State Feed(std::span<const uint8_t> bytes);

    State CurrentState() const { return state_; }
    bool EchoSeen() const { return echoSeen_; }
    size_t StaleReplies() const { return staleReplies_; }
    size_t PendingBytes() const { return buffer_.size(); }
    const Reply& Answer() const { return answer_; }

private:
    State Scan();
    bool StartsWithEcho() const;
    bool MayBecomeEcho() const;

    std::array<uint8_t, RequestSize> request_;
    Request decodedRequest_;
    std::vector<uint8_t> buffer_;
    Reply answer_;
    State state_ = State::Pending;
    bool echoSeen_ = false;
    size_t staleReplies_ = 0;
};

} // namespace busframe
