#include "Module.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using busframe::Reply;
using busframe::Request;
using sim::Module;
using sim::Response;

namespace {

Response Ask(Module& module, const Request& request)
{
    const auto frame = busframe::EncodeRequest(request);
    return module.Receive(frame);
}

Reply Answer(Module& module, const Request& request)
{
    const Response response = Ask(module, request);
    EXPECT_EQ(response.kind, Response::Kind::Reply);
    const auto reply = busframe::DecodeReply(response.bytes);
    EXPECT_TRUE(reply.has_value());
    return reply.value_or(Reply{});
}

Request Read(uint8_t reg, uint8_t address = 1)
{
    return {address, busframe::CommandReadRegister, 0, 0, {reg, reg, 0, 0}};
}

Request Write(uint8_t reg, uint8_t value, uint8_t address = 1)
{
    return {address, busframe::CommandWriteRegister, 0, 0, {reg, reg, value, value}};
}

std::string Text(const busframe::Data& data)
{
    return std::string(data.begin(), data.end());
}

} // namespace

TEST(SimModule, IdentifiesByModelNameAndVersionAndPassesTheExtraValueBack)
{
    Module module("RZ-310", 1);
    const Request identify{1, busframe::CommandIdentify, 0, 42, {}};
    Reply reply = Answer(module, identify);
    EXPECT_EQ(Text(reply.data), "RZ-3");
    EXPECT_EQ(reply.extra, 42);
    EXPECT_EQ(reply.command, busframe::CommandIdentify);
    reply = Answer(module, {1, busframe::CommandIdentify, 1, 0, {}});
    EXPECT_EQ(Text(reply.data), "10  ");
    reply = Answer(module, {1, busframe::CommandIdentify, 2, 0, {}});
    EXPECT_EQ(Text(reply.data), "2.00");
    reply = Answer(module, {1, busframe::CommandIdentify, 3, 0, {}});
    EXPECT_EQ(reply.status, busframe::StatusUnknownCommand);
    EXPECT_FALSE(sim::ModelIdentity("KQ-9999"));
}

TEST(SimModule, ReadsAndWritesRegistersAndRefusesBadOnes)
{
    Module module;
    Reply reply = Answer(module, Write(59, 0x0D));
    EXPECT_EQ(reply.status, 0);
    EXPECT_EQ(module.Register(59), 0x0D);
    reply = Answer(module, Read(59));
    EXPECT_EQ(reply.data, (busframe::Data{59, 59, 0x0D, 0x0D}));

    EXPECT_EQ(Answer(module, Read(60)).status, busframe::StatusBadRegister);
    EXPECT_EQ(Answer(module, {1, busframe::CommandReadRegister, 0, 0, {4, 5, 0, 0}}).status,
              busframe::StatusBadRegister);
    const Reply badValue = Answer(module, {1, busframe::CommandWriteRegister, 0, 0, {4, 4, 1, 2}});
    EXPECT_EQ(badValue.status, busframe::StatusBadValue);
    EXPECT_EQ(badValue.data[0], 4) << "register numbers come back even in a refusal";
    EXPECT_EQ(module.Register(4), 4) << "default speed index kept";
    EXPECT_EQ(Answer(module, {1, 77, 0, 0, {}}).status, busframe::StatusUnknownCommand);
}

TEST(SimModule, StatusRegisterReadsLowByteFirstAndClears)
{
    Module module;
    module.SetStatus(0x80000002);
    module.SetStatusBits(0x10);
    Reply reply = Answer(module, {1, busframe::CommandReadStatus, 0, 0, {}});
    EXPECT_EQ(reply.data, (busframe::Data{0x12, 0, 0, 0x80}));
    Answer(module, {1, busframe::CommandClearStatus, 0, 0, {}});
    EXPECT_EQ(module.Status(), 0u);
}

TEST(SimModule, AnswersAtItsOwnAddressAndAtZeroOnly)
{
    Module module("KQ-3110", 7);
    EXPECT_EQ(Answer(module, Read(4, 7)).address, 7);
    EXPECT_EQ(Answer(module, Read(4, 0)).address, 7);
    EXPECT_EQ(Ask(module, Read(4, 8)).kind, Response::Kind::Silent);
    EXPECT_EQ(module.GetCounters().requests, 3u) << "a request to another module is still heard";
    EXPECT_EQ(module.GetCounters().replies, 2u);

    const std::vector<uint8_t> noise = {1, 2, 3};
    EXPECT_EQ(module.Receive(noise).kind, Response::Kind::Silent);
    EXPECT_EQ(module.GetCounters().garbage, 1u);
}

TEST(SimModule, FaultsShapeTheReplies)
{
    Module module;
    module.SetWireSpeed(19200);
    module.DropReplies(1);
    EXPECT_EQ(Ask(module, Write(20, 9)).kind, Response::Kind::Silent);
    EXPECT_EQ(module.Register(20), 9) << "a lost reply does not undo the write";

    module.CorruptReplies(1);
    Response corrupt = Ask(module, Read(4));
    EXPECT_EQ(corrupt.kind, Response::Kind::Reply);
    EXPECT_FALSE(busframe::DecodeReply(corrupt.bytes));
    EXPECT_TRUE(busframe::DecodeReply(Ask(module, Read(4)).bytes)) << "only the next one";

    module.SetReplyAddress(33);
    EXPECT_EQ(Answer(module, Read(4)).address, 33);
    module.SetReplyAddress(std::nullopt);

    module.SetReadBackValue(20, 99);
    EXPECT_EQ(Answer(module, Read(20)).data[2], 99);
    EXPECT_EQ(Answer(module, Write(20, 5)).status, 0);
    EXPECT_EQ(module.Register(20), 5);

    const uint8_t before = module.Register(21);
    module.SetCommandStatus(busframe::CommandWriteRegister, 4);
    EXPECT_EQ(Answer(module, Write(21, 5)).status, 4);
    EXPECT_EQ(module.Register(21), before) << "a refused write changes nothing";

    module.AnswerLate(1);
    EXPECT_TRUE(Ask(module, Read(4)).late);
    EXPECT_FALSE(Ask(module, Read(4)).late);

    module.SetEchoOnly(true);
    const Request read = Read(4);
    const Response echo = Ask(module, read);
    EXPECT_EQ(echo.kind, Response::Kind::Echo);
    EXPECT_EQ(busframe::DecodeRequest(echo.bytes), read);

    module.ClearFaults();
    EXPECT_EQ(module.WireSpeed(), 19200u) << "the line's speed is no fault";
    EXPECT_EQ(Answer(module, Read(20)).data[2], 5);
    EXPECT_EQ(Answer(module, Write(21, 5)).status, 0);
}

TEST(SimModule, EmulatedWireTimeCoversBothFramesAndTheGap)
{
    Module module;
    EXPECT_EQ(Ask(module, Read(4)).delay.count(), 0);
    module.SetWireSpeed(9600);
    module.SetReplyDelay(std::chrono::microseconds(500));
    // 21 characters of 10 bits at 9600 Bd, 3.5 characters of silence, and the delay.
    const auto expected = busframe::WireTimeUs(21, 9600) + busframe::SilenceGapUs(9600) + 500;
    EXPECT_NEAR(double(Ask(module, Read(4)).delay.count()), double(expected), 2.0);
    EXPECT_EQ(busframe::SilenceGapUs(9600), 3646u);
    EXPECT_EQ(busframe::SilenceGapUs(115200), 1750u);
}

TEST(SimModule, KeepsTheLogAndWakesWaiters)
{
    Module module;
    EXPECT_FALSE(module.WaitForRequests(1, std::chrono::milliseconds(1)));
    Ask(module, Read(4));
    Ask(module, Read(5, 9));
    EXPECT_TRUE(module.WaitForRequests(2, std::chrono::milliseconds(1)));
    ASSERT_EQ(module.RequestLog().size(), 2u);
    EXPECT_EQ(module.RequestLog()[1], Read(5, 9));
}

TEST(SimModule, StateFileKeepsRegistersAndStatusBetweenRuns)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / ("serkon-sim-state-" + std::to_string(getpid())))
            .string();
    bool changed = false;
    {
        Module module;
        module.OnChange([&] { changed = true; });
        Answer(module, Write(13, 'X'));
        EXPECT_TRUE(changed);
        module.SetStatus(0xA5000001);
        ASSERT_TRUE(module.SaveState(path));
    }
    Module restored;
    ASSERT_TRUE(restored.LoadState(path));
    EXPECT_EQ(restored.Register(13), 'X');
    EXPECT_EQ(restored.Status(), 0xA5000001u);

    std::ofstream(path) << "register 5 = 1\nnonsense\n";
    std::string error;
    EXPECT_FALSE(restored.LoadState(path, &error));
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;
    EXPECT_EQ(restored.Register(5), 3) << "a broken file changes nothing";
    std::remove(path.c_str());
    EXPECT_FALSE(restored.LoadState(path, &error));
}
