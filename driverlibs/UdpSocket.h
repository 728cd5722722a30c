// A UDP socket connected to the LAN converter: what the transactions need of the platform's
// sockets (UdpSocketLinux.cpp, UdpSocketWindows.cpp). Being connected, it never receives a
// datagram from any other address or port.
#pragma once

#include "ByteLink.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace driverlib {

// Longer than any datagram of the converter; a longer one arrives cut to this size.
inline constexpr size_t LargestDatagram = 512;

class UdpSocket {
public:
    virtual ~UdpSocket() = default;

    // Sends one datagram. Returns a code.
    virtual int32_t Send(std::span<const uint8_t> datagram) = 0;
    // Waits for the next datagram until the time: Ok with the datagram, Ok without one when
    // the time came first, otherwise a code.
    virtual int32_t Receive(std::optional<std::vector<uint8_t>>& datagram,
                            Clock::time_point until) = 0;
    // Drops the datagrams that are waiting, and the error an earlier datagram left.
    virtual void DiscardPending() = 0;
};

// Parses the address text (IPv4 dotted or IPv6) and connects a new socket to it and the port.
// Returns a code.
int32_t ConnectUdpSocket(const std::string& address, uint16_t port,
                         std::unique_ptr<UdpSocket>& socket);

} // namespace driverlib
