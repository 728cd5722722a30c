#include "UdpSocket.h"

#include "DriverCodes.h"
#include "WaitFor.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace driverlib {

namespace {

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

class PosixUdpSocket final : public UdpSocket {
public:
    explicit PosixUdpSocket(int socket) : socket_(socket) {}
    ~PosixUdpSocket() override { ::close(socket_); }

    int32_t Send(std::span<const uint8_t> datagram) override
    {
        if (::send(socket_, datagram.data(), datagram.size(), 0) < 0)
            return CodeOfSendError(errno);
        return Ok;
    }

    int32_t Receive(std::optional<std::vector<uint8_t>>& datagram,
                    Clock::time_point until) override
    {
        datagram.reset();
        uint8_t received[LargestDatagram];
        while (WaitReadable(socket_, until)) {
            const ssize_t got = ::recv(socket_, received, sizeof received, MSG_DONTWAIT);
            if (got >= 0) {
                datagram.emplace(received, received + got);
                return Ok;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            return errno == ECONNREFUSED ? ConverterRefused : NetworkReceiveFailed;
        }
        return Ok;
    }

    void DiscardPending() override
    {
        uint8_t scrap[LargestDatagram];
        for (int i = 0; i < 1000; ++i) {
            const ssize_t got = ::recv(socket_, scrap, sizeof scrap, MSG_DONTWAIT);
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
        }
    }

private:
    int socket_;
};

} // namespace

int32_t ConnectUdpSocket(const std::string& address, uint16_t port,
                         std::unique_ptr<UdpSocket>& socket)
{
    sockaddr_storage peer{};
    socklen_t peerSize = 0;
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(&peer);
    auto* ipv6 = reinterpret_cast<sockaddr_in6*>(&peer);
    if (inet_pton(AF_INET, address.c_str(), &ipv4->sin_addr) == 1) {
        ipv4->sin_family = AF_INET;
        ipv4->sin_port = htons(port);
        peerSize = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, address.c_str(), &ipv6->sin6_addr) == 1) {
        ipv6->sin6_family = AF_INET6;
        ipv6->sin6_port = htons(port);
        peerSize = sizeof(sockaddr_in6);
    } else {
        return InvalidIpAddress;
    }

    const int descriptor = ::socket(peer.ss_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0)
        return SocketFailed;
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&peer), peerSize) != 0) {
        const int error = errno;
        ::close(descriptor);
        return CodeOfSendError(error);
    }
    socket = std::make_unique<PosixUdpSocket>(descriptor);
    return Ok;
}

} // namespace driverlib
