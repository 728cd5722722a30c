#include "UdpChannel.h"

#include "DriverCodes.h"

#include <algorithm>
#include <random>

namespace driverlib {

namespace {

Attempt Failure(int32_t code)
{
    return Attempt{Outcome::Failed, {}, code};
}

uint16_t RandomTransactionId()
{
    std::random_device source;
    return uint16_t(source());
}

} // namespace

UdpChannel::UdpChannel(std::unique_ptr<UdpSocket> socket)
    : socket_(std::move(socket)), lastTransactionId_(RandomTransactionId())
{
}

int32_t UdpChannel::Open(const std::string& address, int32_t port,
                         std::unique_ptr<UdpChannel>& channel)
{
    if (port < 1 || port > 65535)
        return InvalidUdpPort;
    std::unique_ptr<UdpSocket> socket;
    if (const int32_t code = ConnectUdpSocket(address, uint16_t(port), socket); code != Ok)
        return code;
    channel = std::make_unique<UdpChannel>(std::move(socket));
    return Ok;
}

int32_t UdpChannel::SetSpeed(uint32_t)
{
    return Ok;
}

Attempt UdpChannel::Exchange(const busframe::Request& request, std::chrono::milliseconds timeout)
{
    socket_->DiscardPending();
    const uint16_t transactionId = ++lastTransactionId_;
    const std::vector<uint8_t> datagram = busframe::EncodeRequestDatagram(transactionId, request);
    if (const int32_t code = socket_->Send(datagram); code != Ok)
        return Failure(code);

    const Clock::time_point deadline = Clock::now() + timeout;
    bool echoSeen = false;
    std::optional<std::vector<uint8_t>> received;
    for (;;) {
        if (const int32_t code = socket_->Receive(received, deadline); code != Ok)
            return Failure(code);
        if (!received)
            break;
        const std::span<const uint8_t> reply(*received);
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
