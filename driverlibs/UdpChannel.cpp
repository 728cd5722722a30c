#include "UdpChannel.h"

#include "ByteLink.h"
#include "DriverCodes.h"

#include "WaitFor.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace driverlib {

namespace {

constexpr size_t LargestDatagram = 512;

Attempt Failure(int32_t code)
{
    return Attempt{Outcome::Failed, {}, code};
}

int32_t CodeOfSendError(int error)
{
    switch (error) {
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EADDRNOTAVAIL:
        return NetworkUnreachable;
    case ECONNREFUSED:
        return ConverterRefused;
    default:
        return NetworkSendFailed;
    }
}

// Waits for a datagram until the time; false when the time has come.
bool WaitReadable(int socket, Clock::time_point until)
{
    for (;;) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero())
            return false;
        const timespec limit = TimespecOf(left);
        pollfd descriptor{socket, POLLIN, 0};
        const int ready = ppoll(&descriptor, 1, &limit, nullptr);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

uint16_t RandomTransactionId()
{
    std::random_device source;
    return uint16_t(source());
}

} // namespace

UdpChannel::UdpChannel(int socket) : socket_(socket), lastTransactionId_(RandomTransactionId())
{
}

UdpChannel::~UdpChannel()
{
    ::close(socket_);
}

int32_t UdpChannel::Open(const std::string& address, int32_t port,
                         std::unique_ptr<UdpChannel>& channel)
{
    if (port < 1 || port > 65535)
        return InvalidUdpPort;
    sockaddr_storage peer{};
    socklen_t peerSize = 0;
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(&peer);
    auto* ipv6 = reinterpret_cast<sockaddr_in6*>(&peer);
    if (inet_pton(AF_INET, address.c_str(), &ipv4->sin_addr) == 1) {
        ipv4->sin_family = AF_INET;
        ipv4->sin_port = htons(uint16_t(port));
        peerSize = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, address.c_str(), &ipv6->sin6_addr) == 1) {
        ipv6->sin6_family = AF_INET6;
        ipv6->sin6_port = htons(uint16_t(port));
        peerSize = sizeof(sockaddr_in6);
    } else {
        return InvalidIpAddress;
    }

    const int socket = ::socket(peer.ss_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return SocketFailed;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&peer), peerSize) != 0) {
        const int error = errno;
        ::close(socket);
        return CodeOfSendError(error);
    }
    channel.reset(new UdpChannel(socket));
    return Ok;
}

int32_t UdpChannel::SetSpeed(uint32_t)
{
    return Ok;
}

void UdpChannel::DiscardPending() const
{
    uint8_t scrap[LargestDatagram];
    for (int i = 0; i < 1000; ++i) {
        const ssize_t got = ::recv(socket_, scrap, sizeof scrap, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
    }
}

Attempt UdpChannel::Exchange(const busframe::Request& request, std::chrono::milliseconds timeout)
{
    DiscardPending();
    const uint16_t transactionId = ++lastTransactionId_;
    const std::vector<uint8_t> datagram = busframe::EncodeRequestDatagram(transactionId, request);
    if (::send(socket_, datagram.data(), datagram.size(), 0) < 0)
        return Failure(CodeOfSendError(errno));

    const Clock::time_point deadline = Clock::now() + timeout;
    bool echoSeen = false;
    uint8_t received[LargestDatagram];
    while (WaitReadable(socket_, deadline)) {
        const ssize_t got = ::recv(socket_, received, sizeof received, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            return Failure(errno == ECONNREFUSED ? ConverterRefused : NetworkReceiveFailed);
        }
        const std::span<const uint8_t> reply(received, size_t(got));
        if (std::equal(reply.begin(), reply.end(), datagram.begin(), datagram.end())) {
            echoSeen = true;
            continue;
        }
        if (busframe::DatagramTransactionId(reply) != transactionId)
            continue;  // an answer to an earlier request, or not ours at all
        const auto decoded = busframe::DecodeReply(busframe::DatagramFrame(reply));
        if (!decoded)
            return Attempt{Outcome::Garbled};
        if (!busframe::Answers(*decoded, request))
            continue;
        return CheckedAnswer(request, *decoded);
    }
    return Attempt{echoSeen ? Outcome::EchoOnly : Outcome::NoReply};
}

} // namespace driverlib
