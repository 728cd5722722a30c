#include "ModuleFrame.h"

#include <algorithm>

namespace busframe {

namespace {

constexpr uint16_t CrcPolynomial = 0xA001;  // 0x8005 reflected

template <size_t Size>
void AppendCrc(std::array<uint8_t, Size>& frame)
{
    const uint16_t crc = Crc16(std::span<const uint8_t>(frame.data(), Size - 2));
    frame[Size - 2] = uint8_t(crc & 0xFF);
    frame[Size - 1] = uint8_t(crc >> 8);
}

bool CheckCrc(std::span<const uint8_t> frame)
{
    const size_t body = frame.size() - 2;
    const uint16_t crc = Crc16(frame.first(body));
    return frame[body] == uint8_t(crc & 0xFF) && frame[body + 1] == uint8_t(crc >> 8);
}

bool IsRegisterCommand(uint8_t command)
{
    return command == CommandReadRegister || command == CommandWriteRegister;
}

std::vector<uint8_t> WithTransactionId(uint16_t transactionId, std::span<const uint8_t> frame)
{
    std::vector<uint8_t> datagram;
    datagram.reserve(TransactionIdSize + frame.size());
    datagram.push_back(uint8_t(transactionId & 0xFF));
    datagram.push_back(uint8_t(transactionId >> 8));
    datagram.insert(datagram.end(), frame.begin(), frame.end());
    return datagram;
}

} // namespace

uint16_t Crc16(std::span<const uint8_t> bytes)
{
    uint16_t crc = 0xFFFF;
    for (const uint8_t byte : bytes) {
        crc = uint16_t(crc ^ byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ CrcPolynomial) : uint16_t(crc >> 1);
    }
    return crc;
}

std::array<uint8_t, RequestSize> EncodeRequest(const Request& request)
{
    std::array<uint8_t, RequestSize> frame{request.address, request.command, request.subcode,
                                           request.extra,   request.data[0], request.data[1],
                                           request.data[2], request.data[3]};
    AppendCrc(frame);
    return frame;
}

std::array<uint8_t, ReplySize> EncodeReply(const Reply& reply)
{
    std::array<uint8_t, ReplySize> frame{reply.address,
                                         uint8_t(reply.command ^ ReplyCommandFlip),
                                         reply.subcode,
                                         reply.extra,
                                         reply.data[0],
                                         reply.data[1],
                                         reply.data[2],
                                         reply.data[3],
                                         reply.status};
    AppendCrc(frame);
    return frame;
}

std::optional<Request> DecodeRequest(std::span<const uint8_t> bytes)
{
    if (bytes.size() != RequestSize || !CheckCrc(bytes))
        return std::nullopt;
    return Request{bytes[0], bytes[1], bytes[2], bytes[3], {bytes[4], bytes[5], bytes[6], bytes[7]}};
}

std::optional<Reply> DecodeReply(std::span<const uint8_t> bytes)
{
    if (bytes.size() != ReplySize || !CheckCrc(bytes))
        return std::nullopt;
    return Reply{bytes[0],
                 uint8_t(bytes[1] ^ ReplyCommandFlip),
                 bytes[2],
                 bytes[3],
                 {bytes[4], bytes[5], bytes[6], bytes[7]},
                 bytes[8]};
}

bool Answers(const Reply& reply, const Request& request)
{
    if (reply.command != request.command || reply.subcode != request.subcode)
        return false;
    if (IsRegisterCommand(request.command))
        return reply.data[0] == request.data[0] && reply.data[1] == request.data[1];
    return true;
}

std::vector<uint8_t> EncodeRequestDatagram(uint16_t transactionId, const Request& request)
{
    return WithTransactionId(transactionId, EncodeRequest(request));
}

std::vector<uint8_t> EncodeReplyDatagram(uint16_t transactionId, const Reply& reply)
{
    return WithTransactionId(transactionId, EncodeReply(reply));
}

std::optional<uint16_t> DatagramTransactionId(std::span<const uint8_t> datagram)
{
    if (datagram.size() < TransactionIdSize)
        return std::nullopt;
    return uint16_t(datagram[0] | (datagram[1] << 8));
}

std::span<const uint8_t> DatagramFrame(std::span<const uint8_t> datagram)
{
    if (datagram.size() < TransactionIdSize)
        return {};
    return datagram.subspan(TransactionIdSize);
}

uint64_t CharacterTimeUs(uint32_t baud)
{
    if (baud == 0)
        return 0;
    return (uint64_t(BitsPerCharacter) * 1000000 + baud - 1) / baud;
}

uint64_t WireTimeUs(size_t bytes, uint32_t baud)
{
    if (baud == 0)
        return 0;
    return (uint64_t(bytes) * BitsPerCharacter * 1000000 + baud - 1) / baud;
}

uint64_t SilenceGapUs(uint32_t baud)
{
    if (baud == 0)
        return 0;
    const uint64_t threeAndHalf = (uint64_t(BitsPerCharacter) * 35 * 100000 + baud - 1) / baud;
    return std::max<uint64_t>(threeAndHalf, 1750);
}

} // namespace busframe
