#include "Servers.h"
#include "Waiting.h"

#include <algorithm>

namespace sim {

namespace {

constexpr size_t LargestDatagram = 512;

} // namespace

UdpServer::UdpServer(Line line, uint16_t port) : line_(std::move(line)), socket_(port)
{
    if (!socket_.Bound())
        return;
    port_ = socket_.Port();
    thread_ = std::thread([this] { Serve(); });
}

UdpServer::~UdpServer()
{
    stop_.Raise();
    if (thread_.joinable())
        thread_.join();
}

void UdpServer::SendStrayReplies(uint32_t count)
{
    strayCount_ = count;
}

// A clear from standard input may set the count to 0 at any moment: decrement only from a
// positive value, never wrapping it round.
bool UdpServer::TakeStrayReply()
{
    uint32_t left = strayCount_.load();
    while (left > 0) {
        if (strayCount_.compare_exchange_weak(left, left - 1))
            return true;
    }
    return false;
}

void UdpServer::Serve()
{
    std::vector<uint8_t> datagram(LargestDatagram);
    for (;;) {
        const Wake wake = WaitFor(socket_.Readable(), stop_.Handle(), std::nullopt);
        if (wake == Wake::Stopped)
            return;
        Peer peer;
        const auto got = socket_.Receive(datagram, peer);
        if (!got)
            continue;
        Handle(std::vector<uint8_t>(datagram.begin(), datagram.begin() + long(*got)), peer);
    }
}

void UdpServer::Handle(const std::vector<uint8_t>& datagram, const Peer& peer)
{
    const Clock::time_point receivedAt = Clock::now();
    const auto transactionId = busframe::DatagramTransactionId(datagram);
    const Response response = line_.Receive(busframe::DatagramFrame(datagram));

    // Replies held back from earlier requests arrive now, after the driver gave up on them.
    for (const Held& late : held_)
        socket_.SendTo(late.datagram, late.peer);
    held_.clear();

    if (response.kind == Response::Kind::Silent || !transactionId)
        return;
    if (WaitFor(NoHandle, stop_.Handle(), receivedAt + response.delay) == Wake::Stopped)
        return;
    if (response.kind == Response::Kind::Echo) {
        socket_.SendTo(datagram, peer);
        return;
    }
    std::vector<uint8_t> reply(busframe::TransactionIdSize + response.bytes.size());
    reply[0] = uint8_t(*transactionId & 0xFF);
    reply[1] = uint8_t(*transactionId >> 8);
    std::copy(response.bytes.begin(), response.bytes.end(),
              reply.begin() + busframe::TransactionIdSize);
    if (response.late) {
        held_.push_back({reply, peer});
        return;
    }
    if (TakeStrayReply())
        SendStray(*transactionId, response.bytes, peer);
    socket_.SendTo(reply, peer);
}

void UdpServer::SendStray(uint16_t transactionId, const std::vector<uint8_t>& reply,
                          const Peer& peer)
{
    auto forged = busframe::DecodeReply(reply);
    if (!forged || !straySocket_.Bound())
        return;
    for (uint8_t& byte : forged->data)
        byte = uint8_t(~byte);
    straySocket_.SendTo(busframe::EncodeReplyDatagram(transactionId, *forged), peer);
}

} // namespace sim
