#include "SerialChannel.h"

#include "DriverCodes.h"
#include "ReplyScanner.h"

#include <algorithm>

namespace driverlib {

namespace {

constexpr std::chrono::microseconds MinimumReceiveSilence{20000};

Attempt Failure(int32_t code)
{
    return Attempt{Outcome::Failed, {}, code};
}

} // namespace

std::chrono::microseconds ReceiveSilence(uint32_t baud)
{
    const std::chrono::microseconds gap{busframe::SilenceGapUs(baud)};
    return std::max(gap, MinimumReceiveSilence);
}

SerialChannel::SerialChannel(std::unique_ptr<ByteLink> link) : link_(std::move(link)) {}

int32_t SerialChannel::SetSpeed(uint32_t baud)
{
    const int32_t code = link_->SetSpeed(baud);
    if (code == Ok)
        baud_ = baud;
    return code;
}

// A module may still be sending (the rest of a reply an attempt stopped waiting for): its
// bytes are let pass and dropped until the line has been quiet for the gap, so that a request
// never starts over a reply. A line that never falls quiet is waited for until the limit.
void SerialChannel::WaitForBusSilence(Clock::time_point limit)
{
    const std::chrono::microseconds gap{busframe::SilenceGapUs(baud_)};
    std::vector<uint8_t> arriving;
    for (;;) {
        const Clock::time_point quiet = lineQuietSince_ + gap;
        if (Clock::now() >= quiet)
            return;
        arriving.clear();
        if (link_->Read(arriving, std::min(quiet, limit)) != Ok || Clock::now() >= limit)
            return;
        if (!arriving.empty())
            lineQuietSince_ = Clock::now();
    }
}

Attempt SerialChannel::Exchange(const busframe::Request& request,
                                std::chrono::milliseconds timeout)
{
    WaitForBusSilence(Clock::now() + timeout);
    link_->DiscardInput();
    const auto frame = busframe::EncodeRequest(request);
    if (const int32_t code = link_->Write(frame); code != Ok)
        return Failure(code);
    lineQuietSince_ = Clock::now();

    const Clock::time_point deadline = lineQuietSince_ + timeout + link_->ReceiveLatency();
    const auto silence = ReceiveSilence(baud_);
    busframe::ReplyScanner scanner(request);
    std::vector<uint8_t> received;
    const auto broken = [&scanner] {
        return scanner.PendingBytes() > 0
            || scanner.CurrentState() == busframe::ReplyScanner::State::Garbage;
    };
    for (;;) {
        // Part of a frame ends at line silence; before the first byte only the time-out counts.
        const Clock::time_point until =
            broken() ? std::min(deadline, lineQuietSince_ + silence) : deadline;
        received.clear();
        if (const int32_t code = link_->Read(received, until); code != Ok)
            return Failure(code);
        const Clock::time_point now = Clock::now();
        if (!received.empty()) {
            lineQuietSince_ = now;
            if (scanner.Feed(received) == busframe::ReplyScanner::State::Answered)
                return CheckedAnswer(request, scanner.Answer());
            if (now < deadline)
                continue;
        }
        if (broken())
            return Attempt{Outcome::Garbled};
        if (now >= deadline)
            return Attempt{scanner.EchoSeen() ? Outcome::EchoOnly : Outcome::NoReply};
    }
}

} // namespace driverlib
