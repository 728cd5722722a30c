// A plain UDP client of the simulator: requests as datagrams, each answer with the port it
// came from.
#pragma once

#include "ModuleFrame.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

class UdpClient {
public:
    static constexpr int ReceiveLimitMs = 5000;  // only a broken simulator takes this long

    explicit UdpClient(uint16_t port) : socket_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        peer_.sin_family = AF_INET;
        peer_.sin_port = htons(port);
        peer_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~UdpClient() { ::close(socket_); }
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;

    void Send(uint16_t id, const busframe::Request& request) const
    {
        const auto datagram = busframe::EncodeRequestDatagram(id, request);
        ::sendto(socket_, datagram.data(), datagram.size(), 0,
                 reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_);
    }

    // The next datagram and the port it came from; empty when none comes.
    std::vector<uint8_t> Receive(uint16_t* fromPort = nullptr) const
    {
        pollfd entry{socket_, POLLIN, 0};
        if (::poll(&entry, 1, ReceiveLimitMs) != 1)
            return {};
        std::vector<uint8_t> datagram(512);
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t got = ::recvfrom(socket_, datagram.data(), datagram.size(), 0,
                                       reinterpret_cast<sockaddr*>(&from), &size);
        datagram.resize(got > 0 ? size_t(got) : 0);
        if (fromPort)
            *fromPort = ntohs(from.sin_port);
        return datagram;
    }

private:
    int socket_;
    sockaddr_in peer_{};
};

inline std::optional<busframe::Reply> ReplyOf(const std::vector<uint8_t>& datagram)
{
    return busframe::DecodeReply(busframe::DatagramFrame(datagram));
}
