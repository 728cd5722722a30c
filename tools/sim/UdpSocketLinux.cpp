#include "UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

namespace {

sockaddr_in Address(const Peer& peer)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(peer.port);
    address.sin_addr.s_addr = htonl(peer.address);
    return address;
}

} // namespace

UdpSocket::UdpSocket(uint16_t port)
{
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) {
        failure_ = std::string("socket: ") + std::strerror(errno);
        return;
    }
    const sockaddr_in address = Address(Peer::Loopback(port));
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        failure_ = "bind 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(descriptor);
        return;
    }
    socket_ = readable_ = descriptor;
}

UdpSocket::~UdpSocket()
{
    if (socket_ != NoSocket)
        ::close(socket_);
}

uint16_t UdpSocket::Port() const
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

std::optional<size_t> UdpSocket::Receive(std::span<uint8_t> buffer, Peer& from)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    const ssize_t got = ::recvfrom(socket_, buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&address), &size);
    if (got < 0)
        return std::nullopt;
    from = {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
    return size_t(got);
}

void UdpSocket::SendTo(std::span<const uint8_t> datagram, const Peer& to)
{
    const sockaddr_in address = Address(to);
    ::sendto(socket_, datagram.data(), datagram.size(), 0,
             reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

} // namespace sim
