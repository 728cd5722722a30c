// Transactions through the LAN converter: one UDP datagram per request, a transaction id in
// each, so that a late reply to an earlier request is never taken for the current one. The
// socket is connected to the converter, so datagrams from any other address or port never
// reach it.
#pragma once

#include "BusChannel.h"
#include "UdpSocket.h"

#include <cstdint>
#include <memory>
#include <string>

namespace driverlib {

class UdpChannel final : public BusChannel {
public:
    // Parses the address text (IPv4 dotted or IPv6) and connects a socket to it.
    static int32_t Open(const std::string& address, int32_t port,
                        std::unique_ptr<UdpChannel>& channel);

    explicit UdpChannel(std::unique_ptr<UdpSocket> socket);

    // The converter sets its bus speed itself.
    int32_t SetSpeed(uint32_t baud) override;
    Attempt Exchange(const busframe::Request& request, std::chrono::milliseconds timeout) override;

private:
    std::unique_ptr<UdpSocket> socket_;
    uint16_t lastTransactionId_;
};

} // namespace driverlib
