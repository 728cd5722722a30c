#include "UdpSocket.h"
#include "UdpSocketWindows.h"

#include "DriverCodes.h"
#include "WideTextWindows.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <mutex>

namespace driverlib {

namespace {

bool IsConverterRefusal(int error)
{
    // Wine passes on Linux's ECONNREFUSED as WSAECONNREFUSED.
    return error == WSAECONNRESET || error == WSAECONNREFUSED;
}

// Waits until a datagram or an error is there, or the time has come; false when not readable.
bool WaitReadable(SOCKET socket, Clock::time_point until)
{
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero())
        return false;
    const auto microseconds = std::chrono::ceil<std::chrono::microseconds>(left).count();
    timeval limit{long(microseconds / 1000000), long(microseconds % 1000000)};
    fd_set readable;
    fd_set failed;
    FD_ZERO(&readable);
    FD_ZERO(&failed);
    FD_SET(socket, &readable);
    FD_SET(socket, &failed);
    return select(0, &readable, nullptr, &failed, &limit) > 0 && FD_ISSET(socket, &readable);
}

// The error the socket holds (and clears it); 0 when none.
int PendingError(SOCKET socket)
{
    int error = 0;
    int size = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
        return 0;
    return error;
}

class WinsockUdpSocket final : public UdpSocket {
public:
    explicit WinsockUdpSocket(SOCKET socket) : socket_(socket) {}
    ~WinsockUdpSocket() override { closesocket(socket_); }

    int32_t Send(std::span<const uint8_t> datagram) override
    {
        if (send(socket_, reinterpret_cast<const char*>(datagram.data()), int(datagram.size()), 0)
            == SOCKET_ERROR)
            return CodeOfSendError(WSAGetLastError());
        return Ok;
    }

    // A datagram that is there is taken before any wait: under Wine a select on a socket with
    // data waiting takes milliseconds. Windows tells of an ICMP port unreachable by a failed
    // receive; Wine only by the socket's error, which select marks as an exception, if at all.
    int32_t Receive(std::optional<std::vector<uint8_t>>& datagram,
                    Clock::time_point until) override
    {
        datagram.reset();
        char received[LargestDatagram];
        for (;;) {
            const int got = recv(socket_, received, sizeof received, 0);
            const int error = got == SOCKET_ERROR ? WSAGetLastError() : 0;
            // Linux cuts a longer datagram to the buffer silently; Winsock cuts it and says so.
            if (got >= 0 || error == WSAEMSGSIZE) {
                const size_t size = got >= 0 ? size_t(got) : sizeof received;
                datagram.emplace(received, received + size);
                return Ok;
            }
            if (error != WSAEWOULDBLOCK && error != WSAEINTR)
                return CodeOfReceiveError(error);
            if (!WaitReadable(socket_, until)) {
                const int pending = PendingError(socket_);
                return pending == 0 ? int32_t(Ok) : CodeOfReceiveError(pending);
            }
        }
    }

    void DiscardPending() override
    {
        char scrap[LargestDatagram];
        for (int i = 0; i < 1000; ++i) {
            if (recv(socket_, scrap, sizeof scrap, 0) == SOCKET_ERROR
                && WSAGetLastError() == WSAEWOULDBLOCK)
                break;
        }
        PendingError(socket_);
    }

private:
    SOCKET socket_;
};

// The converter's address and port; false when the text is no numeric IPv4 or IPv6 address.
bool ParsePeer(const std::string& address, uint16_t port, sockaddr_storage& peer, int& peerSize)
{
    const std::wstring text = WideOf(address);
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(&peer);
    auto* ipv6 = reinterpret_cast<sockaddr_in6*>(&peer);
    if (InetPtonW(AF_INET, text.c_str(), &ipv4->sin_addr) == 1) {
        ipv4->sin_family = AF_INET;
        ipv4->sin_port = htons(port);
        peerSize = sizeof(sockaddr_in);
        return true;
    }
    if (InetPtonW(AF_INET6, text.c_str(), &ipv6->sin6_addr) == 1) {
        ipv6->sin6_family = AF_INET6;
        ipv6->sin6_port = htons(port);
        peerSize = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

} // namespace

int32_t CodeOfSendError(int error)
{
    switch (error) {
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEADDRNOTAVAIL:
        return NetworkUnreachable;
    default:
        return IsConverterRefusal(error) ? ConverterRefused : NetworkSendFailed;
    }
}

int32_t CodeOfReceiveError(int error)
{
    return IsConverterRefusal(error) ? ConverterRefused : NetworkReceiveFailed;
}

// Started once and left running: WSACleanup belongs to the process's end, and a library may
// not call it from DllMain, where its unloading would run it.
bool WinsockStarted()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        WSADATA data{};
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return started;
}

int32_t ConnectUdpSocket(const std::string& address, uint16_t port,
                         std::unique_ptr<UdpSocket>& socket)
{
    if (!WinsockStarted())
        return SocketFailed;
    sockaddr_storage peer{};
    int peerSize = 0;
    if (!ParsePeer(address, port, peer, peerSize))
        return InvalidIpAddress;
    const SOCKET handle = WSASocketW(peer.ss_family, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0,
                                     WSA_FLAG_NO_HANDLE_INHERIT);
    if (handle == INVALID_SOCKET)
        return SocketFailed;
    u_long nonBlocking = 1;
    if (ioctlsocket(handle, static_cast<long>(FIONBIO), &nonBlocking) == SOCKET_ERROR) {
        closesocket(handle);
        return SocketFailed;
    }
    if (connect(handle, reinterpret_cast<const sockaddr*>(&peer), peerSize) == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        closesocket(handle);
        return CodeOfSendError(error);
    }
    socket = std::make_unique<WinsockUdpSocket>(handle);
    return Ok;
}

} // namespace driverlib
