// Frames of the module bus and of the LAN converter's UDP datagrams (docs/module-protocol.md).
//
// Request (10 bytes):  address command subcode extra data0 data1 data2 data3 crcLo crcHi
// Reply   (11 bytes):  address command^0x80 subcode extra data0 data1 data2 data3 status
//                      crcLo crcHi
// The CRC is CRC-16 with the reflected polynomial 0xA001, initial value 0xFFFF, sent low byte
// first. A reply carries the command with its top bit inverted, so a reply never starts like
// the request it answers and an echo of the request is told apart at its second byte.
// A UDP datagram is a two-byte transaction id (low byte first) followed by one frame.
#pragma once

#include "DriverContract.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace busframe {

inline constexpr size_t RequestSize = 10;
inline constexpr size_t ReplySize = 11;
inline constexpr size_t TransactionIdSize = 2;
inline constexpr uint8_t ReplyCommandFlip = 0x80;

// Bits of one character on the bus: start bit, 8 data bits, no parity, one stop bit.
inline constexpr uint32_t BitsPerCharacter = 10;

// Commands the modules know: the drivers put the request's command on the bus as it is.
inline constexpr uint8_t CommandReadStatus = SERKON_COMMAND_READ_STATUS;
inline constexpr uint8_t CommandClearStatus = SERKON_COMMAND_CLEAR_STATUS;
inline constexpr uint8_t CommandReadRegister = SERKON_COMMAND_READ_REGISTER;
inline constexpr uint8_t CommandWriteRegister = SERKON_COMMAND_WRITE_REGISTER;
inline constexpr uint8_t CommandIdentify = SERKON_COMMAND_IDENTIFY;

// Status byte of a reply.
inline constexpr uint8_t StatusOk = 0;
inline constexpr uint8_t StatusUnknownCommand = 1;
inline constexpr uint8_t StatusBadRegister = 2;
inline constexpr uint8_t StatusBadValue = 3;
inline constexpr uint8_t StatusBusy = 4;

using Data = std::array<uint8_t, 4>;

struct Request {
    uint8_t address = 0;
    uint8_t command = 0;
    uint8_t subcode = 0;
    uint8_t extra = 0;
    Data data{};
    friend bool operator==(const Request&, const Request&) = default;
};

struct Reply {
    uint8_t address = 0;
    uint8_t command = 0;  // the request's command, as it was before the flip
    uint8_t subcode = 0;
    uint8_t extra = 0;
    Data data{};
    uint8_t status = 0;
    friend bool operator==(const Reply&, const Reply&) = default;
};

uint16_t Crc16(std::span<const uint8_t> bytes);

std::array<uint8_t, RequestSize> EncodeRequest(const Request& request);
std::array<uint8_t, ReplySize> EncodeReply(const Reply& reply);

// Empty unless the bytes are exactly one frame of the kind with a correct check.
std::optional<Request> DecodeRequest(std::span<const uint8_t> bytes);
std::optional<Reply> DecodeReply(std::span<const uint8_t> bytes);

// True when the reply answers this request: the same command and sub-code and, for the
// register commands, the same register numbers. The address is checked separately.
bool Answers(const Reply& reply, const Request& request);

// UDP datagrams: transaction id, then the frame.
std::vector<uint8_t> EncodeRequestDatagram(uint16_t transactionId, const Request& request);
std::vector<uint8_t> EncodeReplyDatagram(uint16_t transactionId, const Reply& reply);
std::optional<uint16_t> DatagramTransactionId(std::span<const uint8_t> datagram);
std::span<const uint8_t> DatagramFrame(std::span<const uint8_t> datagram);

// Time on the wire, in microseconds.
uint64_t CharacterTimeUs(uint32_t baud);
uint64_t WireTimeUs(size_t bytes, uint32_t baud);
// The silence that ends a frame: 3.5 character times, at least 1750 µs (the fixed value field
// buses use above 19200 Bd).
uint64_t SilenceGapUs(uint32_t baud);

} // namespace busframe
