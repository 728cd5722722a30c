#include "ModuleFrame.h"
#include "ReplyScanner.h"

#include <gtest/gtest.h>

#include <string_view>

using busframe::ReplyScanner;

namespace {

const busframe::Request ReadRegister5{3, busframe::CommandReadRegister, 0, 0, {5, 5, 0, 0}};

busframe::Reply ReplyTo(const busframe::Request& request, uint8_t value)
{
    return {request.address, request.command, request.subcode, request.extra,
            {request.data[0], request.data[1], value, value}, 0};
}

std::vector<uint8_t> Bytes(std::initializer_list<std::span<const uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(ModuleFrame, CrcIsTheFieldBusCrc16)
{
    const std::string_view check = "123456789";
    EXPECT_EQ(busframe::Crc16({reinterpret_cast<const uint8_t*>(check.data()), check.size()}),
              0x4B37);
    const uint8_t readHolding[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};
    EXPECT_EQ(busframe::Crc16(readHolding), 0xCDC5);  // sent as C5 CD
}

TEST(ModuleFrame, FramesCarryEveryFieldAndTheCheckLowByteFirst)
{
    const busframe::Request request{7, 200, 2, 9, {1, 2, 3, 4}};
    const auto frame = busframe::EncodeRequest(request);
    ASSERT_EQ(frame.size(), 10u);
    EXPECT_EQ(frame[0], 7);
    EXPECT_EQ(frame[1], 200);
    const uint16_t crc = busframe::Crc16(std::span(frame).first(8));
    EXPECT_EQ(frame[8], crc & 0xFF);
    EXPECT_EQ(frame[9], crc >> 8);
    EXPECT_EQ(busframe::DecodeRequest(frame), request);

    const busframe::Reply reply{7, 200, 2, 9, {'K', 'Q', '-', '3'}, 0};
    const auto replyFrame = busframe::EncodeReply(reply);
    EXPECT_EQ(replyFrame[1], 200 ^ 0x80) << "a reply never starts like its request";
    EXPECT_EQ(busframe::DecodeReply(replyFrame), reply);
}

TEST(ModuleFrame, DecodingRefusesWrongLengthsAndEveryFlippedBit)
{
    const auto frame = busframe::EncodeReply(ReplyTo(ReadRegister5, 1));
    EXPECT_FALSE(busframe::DecodeReply(std::span(frame).first(10)));
    EXPECT_FALSE(busframe::DecodeRequest(frame));
    for (size_t byte = 0; byte < frame.size(); ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            auto broken = frame;
            broken[byte] = uint8_t(broken[byte] ^ (1 << bit));
            EXPECT_FALSE(busframe::DecodeReply(broken)) << byte << ':' << bit;
        }
    }
}

TEST(ModuleFrame, AReplyAnswersOnlyItsOwnCommandSubcodeAndRegister)
{
    EXPECT_TRUE(busframe::Answers(ReplyTo(ReadRegister5, 1), ReadRegister5));
    busframe::Request other = ReadRegister5;
    other.data = {6, 6, 0, 0};
    EXPECT_FALSE(busframe::Answers(ReplyTo(other, 1), ReadRegister5));
    const busframe::Request identify0{3, 200, 0, 0, {}};
    const busframe::Request identify1{3, 200, 1, 0, {}};
    EXPECT_FALSE(busframe::Answers(ReplyTo(identify0, 0), identify1));
}

TEST(ModuleFrame, WireTimesFollowTheBusSpeed)
{
    EXPECT_EQ(busframe::WireTimeUs(21, 9600), 21875u);
    EXPECT_EQ(busframe::CharacterTimeUs(115200), 87u);
    EXPECT_EQ(busframe::WireTimeUs(5, 0), 0u);
}

TEST(ModuleFrame, DatagramsPutTheTransactionIdFirst)
{
    const auto datagram = busframe::EncodeRequestDatagram(0xBEEF, ReadRegister5);
    EXPECT_EQ(datagram.size(), 12u);
    EXPECT_EQ(datagram[0], 0xEF);
    EXPECT_EQ(busframe::DatagramTransactionId(datagram), 0xBEEF);
    EXPECT_EQ(busframe::DecodeRequest(busframe::DatagramFrame(datagram)), ReadRegister5);
    EXPECT_FALSE(busframe::DatagramTransactionId(std::span(datagram).first(1)));
    EXPECT_TRUE(busframe::DatagramFrame(std::span(datagram).first(1)).empty());
}

TEST(ReplyScanner, SkipsTheEchoAndTakesTheReplyWhetherTheyComeWholeOrByteByByte)
{
    const auto echo = busframe::EncodeRequest(ReadRegister5);
    const auto reply = busframe::EncodeReply(ReplyTo(ReadRegister5, 42));
    const std::vector<uint8_t> line = Bytes({echo, reply});

    ReplyScanner whole(ReadRegister5);
    EXPECT_EQ(whole.Feed(line), ReplyScanner::State::Answered);
    EXPECT_TRUE(whole.EchoSeen());
    EXPECT_EQ(whole.Answer().data[2], 42);

    ReplyScanner trickle(ReadRegister5);
    for (size_t i = 0; i + 1 < line.size(); ++i)
        ASSERT_EQ(trickle.Feed(std::span(line).subspan(i, 1)), ReplyScanner::State::Pending) << i;
    EXPECT_EQ(trickle.Feed(std::span(line).last(1)), ReplyScanner::State::Answered);
    EXPECT_EQ(trickle.Answer().data[2], 42);
}

TEST(ReplyScanner, SkipsRepliesToOtherRequests)
{
    busframe::Request earlier = ReadRegister5;
    earlier.data = {4, 4, 0, 0};
    const auto stale = busframe::EncodeReply(ReplyTo(earlier, 1));
    const auto reply = busframe::EncodeReply(ReplyTo(ReadRegister5, 2));
    ReplyScanner scanner(ReadRegister5);
    EXPECT_EQ(scanner.Feed(stale), ReplyScanner::State::Pending);
    EXPECT_EQ(scanner.StaleReplies(), 1u);
    EXPECT_EQ(scanner.PendingBytes(), 0u);
    EXPECT_EQ(scanner.Feed(reply), ReplyScanner::State::Answered);
    EXPECT_EQ(scanner.Answer().data[2], 2);
}

TEST(ReplyScanner, BytesThatFormNoFrameAreGarbage)
{
    auto reply = busframe::EncodeReply(ReplyTo(ReadRegister5, 2));
    reply[10] ^= 1;
    ReplyScanner broken(ReadRegister5);
    EXPECT_EQ(broken.Feed(reply), ReplyScanner::State::Garbage);
    EXPECT_EQ(broken.Feed(busframe::EncodeReply(ReplyTo(ReadRegister5, 2))),
              ReplyScanner::State::Garbage)
        << "after garbage the line is out of step until it falls silent";

    ReplyScanner partial(ReadRegister5);
    const auto whole = busframe::EncodeReply(ReplyTo(ReadRegister5, 2));
    EXPECT_EQ(partial.Feed(std::span(whole).first(6)), ReplyScanner::State::Pending);
    EXPECT_EQ(partial.PendingBytes(), 6u);
}
