// A plain UDP client of the simulator: requests as datagrams, each answer with the port it
// came from.
#pragma once

#include "ModuleFrame.h"
#include "UdpSocket.h"
#include "Waiting.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

class UdpClient {
public:
    static constexpr std::chrono::seconds ReceiveLimit{5};  // only a broken simulator takes this long

    explicit UdpClient(uint16_t port) : peer_(sim::Peer::Loopback(port)) {}

    void Send(uint16_t id, const busframe::Request& request)
    {
        Send(busframe::EncodeRequestDatagram(id, request));
    }
    void Send(const std::vector<uint8_t>& datagram) { socket_.SendTo(datagram, peer_); }

    // The next datagram and the port it came from; empty when none comes.
    std::vector<uint8_t> Receive(uint16_t* fromPort = nullptr)
    {
        const auto limit = sim::Clock::now() + ReceiveLimit;
        std::vector<uint8_t> datagram(512);
        sim::Peer from;
        for (;;) {
            if (sim::WaitFor(socket_.Readable(), sim::NoHandle, limit) != sim::Wake::Readable)
                return {};
            if (const auto got = socket_.Receive(datagram, from)) {
                datagram.resize(*got);
                break;
            }
        }
        if (fromPort)
            *fromPort = from.port;
        return datagram;
    }

private:
    sim::UdpSocket socket_{0};
    sim::Peer peer_;
};

inline std::optional<busframe::Reply> ReplyOf(const std::vector<uint8_t>& datagram)
{
    return busframe::DecodeReply(busframe::DatagramFrame(datagram));
}
