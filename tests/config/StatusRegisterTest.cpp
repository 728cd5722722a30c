#include "TestDrivers.h"

#include "FakeModule.h"

#include "config/Connection.h"
#include "config/StatusRegister.h"

#include <gtest/gtest.h>

using testdriver::CallsTo;
using testdriver::FakeModule;

namespace {

class StatusRegister : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestDrivers("full");
        InitData(data);
        module.address = 6;
        module.Install();
    }
    void TearDown() override
    {
        CloseConnection(data);
        SetProgramDirectory({});
    }
    void ConnectTo(uint8_t address)
    {
        ConnectionInput input = ConnectionInputFromRecord(data);
        input.moduleAddress = QString::number(address);
        ASSERT_TRUE(InitializeConnection(data, input).connected);
        testdriver::Calls().clear();
    }

    TData data;
    FakeModule module;
};

} // namespace

TEST(StatusBits, ColumnsAreBytesAndRowsAreBitsFromTheTop)
{
    const ModuleData bytes = {0x12, 0, 0, 0x80};
    std::vector<std::pair<int, int>> set;
    for (int column = 0; column < StatusColumns; ++column) {
        for (int row = 0; row < StatusRows; ++row) {
            if (StatusBit(bytes, column, row))
                set.emplace_back(column, row);
        }
    }
    EXPECT_EQ(set, (std::vector<std::pair<int, int>>{{0, 1}, {0, 4}, {3, 7}}));
    EXPECT_STREQ(StatusBitCaptions[0][1], "FN");
    EXPECT_STREQ(StatusBitCaptions[0][4], "PWR");
}

TEST_F(StatusRegister, NothingIsSentWithoutAReadyConnection)
{
    for (const StatusReply& reply : {ReadStatusRegister(data, 6), ClearStatusRegister(data, 6)}) {
        EXPECT_EQ(reply.outcome, StatusOutcome::NotReady);
        EXPECT_EQ(reply.statusText, QStringLiteral(" Připojení k modulu není inicializováno."));
    }
    data.Connected = 1;  // a flag without a handle is no connection either
    EXPECT_EQ(ReadStatusRegister(data, 6).outcome, StatusOutcome::NotReady);
    EXPECT_TRUE(testdriver::Calls().empty());
}

TEST_F(StatusRegister, ReadReturnsTheFourBytesAndTheTextOfSuccess)
{
    ConnectTo(6);
    module.statusRegister = {0x12, 0, 0, 0x80};
    const StatusReply reply = ReadStatusRegister(data, 6);
    EXPECT_EQ(reply.outcome, StatusOutcome::Done);
    EXPECT_EQ(reply.bytes, (ModuleData{0x12, 0, 0, 0x80}));
    EXPECT_EQ(reply.statusText, QStringLiteral(" V pořádku"));
    EXPECT_EQ(CallsTo("Send").at(0).request, (std::array<int32_t, 8>{6, 100, 0, 0, 0, 0, 0, 0}));
}

TEST_F(StatusRegister, FailedReadCarriesTheDriversText)
{
    ConnectTo(6);
    const StatusReply reply = ReadStatusRegister(data, 9);  // nobody answers at 9
    EXPECT_EQ(reply.outcome, StatusOutcome::Failed);
    EXPECT_EQ(reply.statusText, QStringLiteral(" chyba ovladače 3"));
}

TEST_F(StatusRegister, ClearEmptiesTheRegisterAndSaysNothing)
{
    ConnectTo(6);
    module.statusRegister = {0xFF, 1, 2, 3};
    const StatusReply reply = ClearStatusRegister(data, 6);
    EXPECT_EQ(reply.outcome, StatusOutcome::Done);
    EXPECT_TRUE(reply.statusText.isEmpty());
    EXPECT_EQ(module.statusRegister, (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(CallsTo("Send").at(0).request, (std::array<int32_t, 8>{6, 101, 0, 0, 0, 0, 0, 0}));

    EXPECT_EQ(ClearStatusRegister(data, 9).statusText, QStringLiteral(" chyba ovladače 3"));
}
