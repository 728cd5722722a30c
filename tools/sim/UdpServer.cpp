#include "Servers.h"
#include "Waiting.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr size_t LargestDatagram = 512;

int BoundSocket(uint16_t port, std::string& failure)
{
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) {
        failure = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        failure = "bind 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

uint16_t LocalPort(int descriptor)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

} // namespace

UdpServer::UdpServer(Line line, uint16_t port) : line_(std::move(line))
{
    socket_ = BoundSocket(port, failure_);
    if (socket_ < 0)
        return;
    straySocket_ = BoundSocket(0, failure_);
    port_ = LocalPort(socket_);
    thread_ = std::thread([this] { Serve(); });
}

UdpServer::~UdpServer()
{
    stop_.Raise();
    if (thread_.joinable())
        thread_.join();
    if (socket_ >= 0)
        ::close(socket_);
    if (straySocket_ >= 0)
        ::close(straySocket_);
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
        const Wake wake = WaitFor(socket_, stop_.Descriptor(), std::nullopt);
        if (wake == Wake::Stopped)
            return;
        Peer peer;
        peer.size = sizeof peer.address;
        const ssize_t got = ::recvfrom(socket_, datagram.data(), datagram.size(), 0,
                                       reinterpret_cast<sockaddr*>(&peer.address), &peer.size);
        if (got < 0)
            continue;
        Handle(std::vector<uint8_t>(datagram.begin(), datagram.begin() + got), peer);
    }
}

void UdpServer::Handle(const std::vector<uint8_t>& datagram, const Peer& peer)
{
    const Clock::time_point receivedAt = Clock::now();
    const auto transactionId = busframe::DatagramTransactionId(datagram);
    const Response response = line_.Receive(busframe::DatagramFrame(datagram));

    // Replies held back from earlier requests arrive now, after the driver gave up on them.
    for (const Held& late : held_)
        SendTo(socket_, late.datagram, late.peer);
    held_.clear();

    if (response.kind == Response::Kind::Silent || !transactionId)
        return;
    if (WaitFor(-1, stop_.Descriptor(), receivedAt + response.delay) == Wake::Stopped)
        return;
    if (response.kind == Response::Kind::Echo) {
        SendTo(socket_, datagram, peer);
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
    SendTo(socket_, reply, peer);
}

void UdpServer::SendStray(uint16_t transactionId, const std::vector<uint8_t>& reply,
                          const Peer& peer)
{
    auto forged = busframe::DecodeReply(reply);
    if (!forged || straySocket_ < 0)
        return;
    for (uint8_t& byte : forged->data)
        byte = uint8_t(~byte);
    SendTo(straySocket_, busframe::EncodeReplyDatagram(transactionId, *forged), peer);
}

void UdpServer::SendTo(int socket, const std::vector<uint8_t>& datagram, const Peer& peer)
{
    ::sendto(socket, datagram.data(), datagram.size(), 0,
             reinterpret_cast<const sockaddr*>(&peer.address), peer.size);
}

} // namespace sim
