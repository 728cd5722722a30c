#include "UdpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>

namespace sim {

namespace {

// Winsock is started once for the whole process and left to the process's end to clean up.
bool WinsockStarted(std::string& failure)
{
    static const int started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (started != 0)
        failure = "WSAStartup: error " + std::to_string(started);
    return started == 0;
}

std::string LastError(const char* call)
{
    return std::string(call) + ": error " + std::to_string(WSAGetLastError());
}

sockaddr_in Address(const Peer& peer)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(peer.port);
    address.sin_addr.s_addr = htonl(peer.address);
    return address;
}

// Without this, a reply sent to a client that has gone makes the next receive fail with
// WSAECONNRESET (the port-unreachable answer), where Linux keeps quiet.
void IgnorePortUnreachable(SOCKET handle)
{
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(handle, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
             nullptr);
}

} // namespace

UdpSocket::UdpSocket(uint16_t port)
{
    if (!WinsockStarted(failure_))
        return;
    const SOCKET handle =
        WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (handle == INVALID_SOCKET) {
        failure_ = LastError("socket");
        return;
    }
    // Like Linux: a port that another socket holds is refused, not shared.
    BOOL exclusive = TRUE;
    setsockopt(handle, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    const sockaddr_in address = Address(Peer::Loopback(port));
    if (bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        failure_ = "bind 127.0.0.1:" + std::to_string(port) + ": error "
            + std::to_string(WSAGetLastError());
        closesocket(handle);
        return;
    }
    IgnorePortUnreachable(handle);
    // The event is set whenever a datagram waits; selecting it makes the socket non-blocking.
    const WSAEVENT event = WSACreateEvent();
    if (event == WSA_INVALID_EVENT || WSAEventSelect(handle, event, FD_READ) != 0) {
        failure_ = LastError("WSAEventSelect");
        if (event != WSA_INVALID_EVENT)
            WSACloseEvent(event);
        closesocket(handle);
        return;
    }
    socket_ = handle;
    readable_ = event;
}

UdpSocket::~UdpSocket()
{
    if (socket_ == NoSocket)
        return;
    closesocket(socket_);
    WSACloseEvent(readable_);
}

uint16_t UdpSocket::Port() const
{
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

std::optional<size_t> UdpSocket::Receive(std::span<uint8_t> buffer, Peer& from)
{
    // Reset before the receive, which sets the event again when more datagrams wait.
    WSAResetEvent(readable_);
    sockaddr_in address{};
    int size = sizeof address;
    const int got = recvfrom(socket_, reinterpret_cast<char*>(buffer.data()), int(buffer.size()),
                             0, reinterpret_cast<sockaddr*>(&address), &size);
    // A datagram longer than the buffer arrives cut, as on Linux, rather than as an error.
    if (got == SOCKET_ERROR && WSAGetLastError() != WSAEMSGSIZE)
        return std::nullopt;
    from = {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
    return got == SOCKET_ERROR ? buffer.size() : size_t(got);
}

void UdpSocket::SendTo(std::span<const uint8_t> datagram, const Peer& to)
{
    const sockaddr_in address = Address(to);
    sendto(socket_, reinterpret_cast<const char*>(datagram.data()), int(datagram.size()), 0,
           reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

} // namespace sim
