#include "TestDrivers.h"

#include "drivers/DriverBinding.h"
#include "drivers/ErrorCodes.h"
#include "drivers/InterfaceTypes.h"
#include "drivers/Transaction.h"

#include <gtest/gtest.h>

using testdriver::CallsTo;
using testdriver::CurrentScript;
using testdriver::Reply;

namespace {

// Runs each test against an open test driver of every one of the five stems.
class Transaction : public ::testing::TestWithParam<uint8_t> {
protected:
    void SetUp() override
    {
        UseTestDrivers("full");
        DriverConfigBlock config{};
        const QByteArray ip = "127.0.0.1";
        config[0] = type() == 4 ? reinterpret_cast<intptr_t>(ip.constData()) : 1;
        ASSERT_EQ(LoadDriver(type(), &handle, config), 0);
        testdriver::Calls().clear();
    }
    void TearDown() override
    {
        CloseDriver(type(), &handle);
        SetProgramDirectory({});
        EXPECT_TRUE(CallsTo("Version").empty());
        EXPECT_TRUE(CallsTo("GetConfig").empty());
    }
    uint8_t type() const { return GetParam(); }
    void Queue(Reply reply) { CurrentScript().replies.push_back(reply); }

    uint32_t handle = 0;
    DriverBuffer response{};
};

Reply Status(int32_t status, int32_t result = 0)
{
    Reply reply;
    reply.status = status;
    reply.result = result;
    reply.extra = 0x55;
    reply.data = {1, 2, 3, 4};
    reply.fillWholeResponse = true;
    return reply;
}

} // namespace

TEST_P(Transaction, RequestCarriesAddressCommandSubcodeExtraAndData)
{
    uint8_t extra = 0x33;
    ModuleData data = {9, 8, 7, 6};
    uint8_t status = 0xEE;
    ModuleTransaction(type(), handle, 17, CmdIdentify, 2, extra, data, status, response);
    const auto sends = CallsTo("Send");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].args[0], handle);
    EXPECT_EQ(sends[0].request, (std::array<int32_t, 8>{17, 200, 2, 0x33, 9, 8, 7, 6}));
    EXPECT_EQ(status, 0);
}

TEST_P(Transaction, RegisterReadReturnsTheLowBytesOfTheReply)
{
    // Every data byte differs, so only data byte 2 gives 5.
    Queue({0, 0, 0x1AB, {58, 57, 0x105, 0x77}, false});
    uint8_t status = 0xEE;
    EXPECT_EQ(ReadRegister(type(), handle, 3, 59, status), 5);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(CallsTo("Send")[0].request, (std::array<int32_t, 8>{3, 102, 0, 0, 59, 59, 0, 0}));

    Queue({0, 0, 0x1AB, {0x13B, 1, 2, 0x1FF}, false});
    uint8_t extra = 0;
    ModuleData data{};
    ModuleTransaction(type(), handle, 3, CmdReadStatus, 0, extra, data, status, response);
    EXPECT_EQ(extra, 0xAB);
    EXPECT_EQ(data, (ModuleData{0x3B, 1, 2, 0xFF}));
}

TEST_P(Transaction, AFailedTransactionZeroesTheOutputs)
{
    for (const Reply& reply : {Status(3), Status(0, 3), Status(1, 3)}) {
        Queue(reply);
        uint8_t extra = 0x11;
        ModuleData data = {1, 1, 1, 1};
        uint8_t status = 0;
        ModuleTransaction(type(), handle, 0, CmdReadRegister, 0, extra, data, status, response);
        EXPECT_EQ(status, 3);
        EXPECT_EQ(extra, 0);
        EXPECT_EQ(data, (ModuleData{0, 0, 0, 0}));
    }
}

TEST_P(Transaction, StatusAboveTwoFiftyFiveArrivesAsItsLowByte)
{
    Queue(Status(0x104));
    uint8_t extra = 0;
    ModuleData data{};
    uint8_t status = 0;
    ModuleTransaction(type(), handle, 0, CmdReadStatus, 0, extra, data, status, response);
    EXPECT_EQ(status, 4);
}

TEST_P(Transaction, AFailureWhoseLowByteIsZeroIsNeverSuccess)
{
    // A driver status of 0x100, a Send result of 0x200, and a negative multiple of 256.
    for (const Reply& reply : {Status(0x100), Status(0, 0x200), Status(0, -0x300)}) {
        Queue(reply);
        uint8_t extra = 0x11;
        ModuleData data = {9, 9, 9, 9};
        uint8_t status = 0;
        ModuleTransaction(type(), handle, 0, CmdReadStatus, 0, extra, data, status, response);
        EXPECT_EQ(status, CodeUnknownFailure);
        EXPECT_EQ(extra, 0);
        EXPECT_EQ(data, (ModuleData{0, 0, 0, 0}));
    }
    EXPECT_EQ(DriverErrorString(type(), CodeUnknownFailure), QStringLiteral("neznámý chybový kód"));

    Queue(Status(0x100));
    uint8_t status = 0;
    EXPECT_EQ(ReadRegister(type(), handle, 3, 59, status), 0);
    EXPECT_EQ(status, CodeUnknownFailure);
}

TEST_P(Transaction, HandleZeroSendsNothingAndWritesNothing)
{
    uint8_t extra = 0x11;
    ModuleData data = {1, 2, 3, 4};
    uint8_t status = 0x77;
    ModuleTransaction(type(), 0, 0, CmdReadStatus, 0, extra, data, status, response);
    EXPECT_EQ(status, 0x77);
    EXPECT_EQ(extra, 0x11);
    EXPECT_EQ(data, (ModuleData{1, 2, 3, 4}));
    EXPECT_TRUE(CallsTo("Send").empty());
}

TEST_P(Transaction, WriteVerifyWritesAndReadsBackAtAddressZero)
{
    Queue({});
    Queue({0, 0, 0, {41, 42, 7, 0x99}, false}); // the value is data byte 2, not 3
    bool verified = false;
    uint8_t status = 0xEE;
    EXPECT_TRUE(WriteVerifyRegister(type(), handle, 40, 7, verified, status));
    EXPECT_TRUE(verified);
    EXPECT_EQ(status, 0);
    const auto sends = CallsTo("Send");
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(sends[0].request, (std::array<int32_t, 8>{0, 103, 0, 0, 40, 40, 7, 7}));
    EXPECT_EQ(sends[1].request, (std::array<int32_t, 8>{0, 102, 0, 0, 40, 40, 0, 0}));
}

TEST_P(Transaction, WriteVerifyTellsAMismatchFromAFailure)
{
    Queue({});
    Queue({0, 0, 0, {7, 7, 6, 7}, false}); // only data byte 2 tells the mismatch
    bool verified = true;
    uint8_t status = 0xEE;
    EXPECT_TRUE(WriteVerifyRegister(type(), handle, 40, 7, verified, status));
    EXPECT_FALSE(verified);

    testdriver::Calls().clear();
    Queue(Status(4));
    EXPECT_FALSE(WriteVerifyRegister(type(), handle, 40, 7, verified, status));
    EXPECT_FALSE(verified);
    EXPECT_EQ(status, 4);
    EXPECT_EQ(CallsTo("Send").size(), 1u); // no read-back after a failed write

    Queue({});
    Queue(Status(8));
    EXPECT_FALSE(WriteVerifyRegister(type(), handle, 40, 7, verified, status));
    EXPECT_EQ(status, 8);
}

TEST_P(Transaction, ADriverThatOpensWithHandleZeroIsNeverSentTo)
{
    uint32_t closed = handle;
    CloseDriver(type(), &closed);
    testdriver::Reset();
    CurrentScript().handleOnInit = 0;
    DriverConfigBlock config{};
    const QByteArray ip = "127.0.0.1";
    config[0] = type() == 4 ? reinterpret_cast<intptr_t>(ip.constData()) : 1;
    ASSERT_EQ(LoadDriver(type(), &handle, config), 0);
    ASSERT_EQ(handle, 0u);

    uint8_t extra = 0x11;
    ModuleData data = {1, 2, 3, 4};
    uint8_t status = 0x77;
    ModuleTransaction(type(), handle, 0, CmdReadStatus, 0, extra, data, status, response);
    EXPECT_EQ(status, 0x77);

    // The register operations report the missing connection rather than success.
    EXPECT_EQ(ReadRegister(type(), handle, 0, 1, status), 0);
    EXPECT_EQ(status, CodeNoDriver);
    bool verified = true;
    status = 0;
    EXPECT_FALSE(WriteVerifyRegister(type(), handle, 1, 7, verified, status));
    EXPECT_FALSE(verified);
    EXPECT_EQ(status, CodeNoDriver);
    EXPECT_TRUE(CallsTo("Send").empty());
    handle = 1; // let TearDown close it
}

INSTANTIATE_TEST_SUITE_P(EveryStem, Transaction, ::testing::Values(0, 1, 2, 3, 4),
                         [](const auto& parameter) {
                             return std::string(InterfaceTypes[parameter.param].stem);
                         });
