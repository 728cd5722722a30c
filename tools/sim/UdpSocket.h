// A UDP socket on 127.0.0.1, the one part of serving over UDP that differs by platform.
#pragma once

#include "NativeHandle.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace sim {

// An IPv4 address and port, both in host byte order.
struct Peer {
    uint32_t address = 0;
    uint16_t port = 0;

    static Peer Loopback(uint16_t port) { return {0x7F000001, port}; }
};

class UdpSocket {
public:
    // Bound to 127.0.0.1:port, port 0 picking a free one; Failure() says why when it is not.
    explicit UdpSocket(uint16_t port);
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Bound() const { return socket_ != NoSocket; }
    const std::string& Failure() const { return failure_; }
    uint16_t Port() const;

    // What a wait for input watches (WaitFor): the socket itself, or on Windows an event that
    // its input sets.
    NativeHandle Readable() const { return readable_; }

    // The next datagram, cut to the buffer's size, and who sent it; none when nothing has come.
    std::optional<size_t> Receive(std::span<uint8_t> buffer, Peer& from);
    void SendTo(std::span<const uint8_t> datagram, const Peer& to);

private:
    NativeSocket socket_ = NoSocket;
    NativeHandle readable_ = NoHandle;
    std::string failure_;
};

} // namespace sim
