// The driver libraries through the program's binding against the simulated module, over a
// pseudo-terminal (RVS770, COM3 linked to it) and over UDP loopback (RVD773).
#include "Connection.h"
#include "tests/support/ProgramFolder.h"

#include "Servers.h"

#include "drivers/DriverBinding.h"
#include "drivers/Transaction.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr uint8_t ModuleAddress = 5;
constexpr uint8_t Com = 0;
constexpr uint8_t Lan = 4;

enum class Line { Serial, Udp };

void PrintTo(Line line, std::ostream* out)
{
    *out << (line == Line::Serial ? "pseudo-terminal" : "UDP");
}

std::string LineName(const ::testing::TestParamInfo<Line>& info)
{
    return info.param == Line::Serial ? "Pty" : "Udp";
}

class ModuleAccess : public ::testing::TestWithParam<Line> {
protected:
    void SetUp() override
    {
        if (GetParam() == Line::Serial) {
            pty = std::make_unique<sim::PtyServer>(module, sim::ComLink(folder.Path(), 3));
            ASSERT_TRUE(pty->Listening()) << pty->Failure();
            ASSERT_EQ(connection.Open(3), 0);
        } else {
            udp = std::make_unique<sim::UdpServer>(module);
            ASSERT_TRUE(udp->Listening()) << udp->Failure();
            ASSERT_EQ(connection.OpenLan("127.0.0.1", udp->Port()), 0);
        }
        ASSERT_NE(connection.Handle(), 0u);
        ASSERT_EQ(connection.Configure(), 0);
    }

    uint64_t Heard() const { return module.GetCounters().requests; }

    // The driver has returned, so the module has heard every attempt; one more transaction
    // that succeeds proves no further attempt was still on its way.
    uint64_t AttemptsOfLastTransaction(uint64_t heardBefore)
    {
        module.ClearFaults();
        EXPECT_EQ(connection.ReadRegister(ModuleAddress, 4).status, 0);
        return Heard() - heardBefore - 1;
    }

    ProgramFolder folder;
    sim::Module module{"KQ-3110", ModuleAddress};
    std::unique_ptr<sim::PtyServer> pty;
    std::unique_ptr<sim::UdpServer> udp;
    Connection connection{GetParam() == Line::Serial ? Com : Lan};
};

} // namespace

TEST_P(ModuleAccess, IdentifiesTheModuleByThreeTransactions)
{
    std::string name;
    uint8_t extra = 0;
    for (uint8_t subcode = 0; subcode < 3; ++subcode) {
        const TransactionResult result =
            connection.Transact(ModuleAddress, CmdIdentify, subcode, {}, extra);
        ASSERT_EQ(result.status, 0);
        extra = result.extra;
        name.append(result.data.begin(), result.data.end());
        if (subcode == 1)
            name += " v.";
    }
    EXPECT_EQ(name, "KQ-3110  v.1.09");
    EXPECT_EQ(DriverErrorString(connection.Type(), 0), QStringLiteral("V pořádku"));
}

TEST_P(ModuleAccess, WritesWithReadBackAndReadsRegisters)
{
    bool verified = false;
    uint8_t status = 0xFF;
    EXPECT_TRUE(WriteVerifyRegister(connection.Type(), connection.Handle(), 59, 0x0D, verified,
                                    status));
    EXPECT_TRUE(verified);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(module.Register(59), 0x0D);
    EXPECT_EQ(module.RequestLog().back().address, 0) << "writes go to address 0";

    module.SetRegister(8, 0x80);
    const TransactionResult read = connection.ReadRegister(ModuleAddress, 8);
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.data, (ModuleData{8, 8, 0x80, 0x80}));
}

TEST_P(ModuleAccess, ReadsAndClearsTheStatusRegister)
{
    module.SetStatusBits(0x80000012);
    const TransactionResult read = connection.Transact(ModuleAddress, CmdReadStatus);
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.data, (ModuleData{0x12, 0, 0, 0x80}));
    EXPECT_EQ(connection.Transact(ModuleAddress, CmdClearStatus).status, 0);
    EXPECT_EQ(module.Status(), 0u);
}

TEST_P(ModuleAccess, DeadModuleCostsOneTimeOutAndOneRetry)
{
    module.DropReplies(1000);
    uint64_t before = Heard();
    const TransactionResult result = connection.ReadRegister(ModuleAddress, 4);
    EXPECT_EQ(result.status, 30);
    EXPECT_EQ(result.data, (ModuleData{})) << "nothing of a failed reply is used";
    EXPECT_EQ(AttemptsOfLastTransaction(before), 2u);
    EXPECT_EQ(DriverErrorString(connection.Type(), 30),
              QStringLiteral("Modul neodpovídá - zkontrolujte adresu, rychlost a zapojení"));

    ASSERT_EQ(connection.Configure(9600, 500, 1), 0) << "option 1: no retry";
    module.DropReplies(1000);
    before = Heard();
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 4).status, 30);
    EXPECT_EQ(AttemptsOfLastTransaction(before), 1u);
}

TEST_P(ModuleAccess, ABadCheckIsRetriedOnceThenReported)
{
    module.SetRegister(10, 7);
    module.CorruptReplies(1);
    uint64_t before = Heard();
    const TransactionResult recovered = connection.ReadRegister(ModuleAddress, 10);
    EXPECT_EQ(recovered.status, 0);
    EXPECT_EQ(recovered.data[2], 7);
    EXPECT_EQ(Heard() - before, 2u);

    module.CorruptReplies(2);
    before = Heard();
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 10).status, 31);
    EXPECT_EQ(AttemptsOfLastTransaction(before), 2u);
}

TEST_P(ModuleAccess, AnEchoAloneIsReportedAsSuch)
{
    module.SetEchoOnly(true);
    const uint64_t before = Heard();
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 4).status, 32);
    EXPECT_EQ(AttemptsOfLastTransaction(before), 2u);
}

TEST_P(ModuleAccess, AReplyFromAnotherAddressIsRefusedWithoutRetry)
{
    module.SetReplyAddress(9);
    const uint64_t before = Heard();
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 4).status, 33);
    EXPECT_EQ(AttemptsOfLastTransaction(before), 1u);

    module.SetReplyAddress(9);
    EXPECT_EQ(connection.ReadRegister(0, 4).status, 0) << "address 0 reaches any module";
}

TEST_P(ModuleAccess, AModuleAtAnotherAddressStaysSilent)
{
    const uint64_t before = Heard();
    EXPECT_EQ(connection.ReadRegister(ModuleAddress + 1, 4).status, 30);
    EXPECT_EQ(AttemptsOfLastTransaction(before), 2u);
}

TEST_P(ModuleAccess, ReadBackOfAnotherValueFailsTheVerification)
{
    module.SetReadBackValue(7, 6);
    bool verified = true;
    uint8_t status = 0xFF;
    EXPECT_TRUE(WriteVerifyRegister(connection.Type(), connection.Handle(), 7, 7, verified,
                                    status));
    EXPECT_FALSE(verified);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(module.Register(7), 7);
}

TEST_P(ModuleAccess, ModuleStatusBecomesTheDriversCode)
{
    const std::pair<uint8_t, uint8_t> cases[] = {{1, 41}, {2, 42}, {3, 43}, {4, 44}, {77, 45}};
    for (const auto& [moduleStatus, code] : cases) {
        module.SetCommandStatus(CmdWriteRegister, moduleStatus);
        bool verified = true;
        uint8_t status = 0;
        EXPECT_FALSE(WriteVerifyRegister(connection.Type(), connection.Handle(), 20, 1, verified,
                                         status));
        EXPECT_EQ(status, code) << int(moduleStatus);
    }
    EXPECT_EQ(DriverErrorString(connection.Type(), 43),
              QStringLiteral("Modul odmítl zapisovanou hodnotu"));
    EXPECT_EQ(connection.Transact(ModuleAddress, 150).status, 41) << "an unknown command";
}

TEST_P(ModuleAccess, AReplyDelayedWithinTheTimeOutArrives)
{
    module.SetReplyDelay(std::chrono::milliseconds(40));
    module.SetRegister(11, 0xC8);
    const uint64_t before = Heard();
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 11).data[2], 0xC8);
    EXPECT_EQ(Heard() - before, 1u);
}

TEST_P(ModuleAccess, RequestValuesOutsideAByteAreRefused)
{
    DriverBuffer request{};
    request[0] = ModuleAddress;
    request[1] = CmdReadRegister;
    request[4] = 300;
    DriverBuffer response{};
    int32_t extra = 0;
    int32_t status = 0;
    EXPECT_EQ(DriverSend(connection.Type(), connection.Handle(), request, response, extra, status),
              1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(module.GetCounters().requests, 0u);
}

TEST_P(ModuleAccess, InvalidSettingsAreRefusedAndTheOldOnesKept)
{
    EXPECT_EQ(connection.Configure(9600, 200, 3), 62);
    EXPECT_EQ(connection.Configure(9600, 0, 2), 61);
    EXPECT_EQ(connection.Configure(0, 200, 2), 60);
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 4).status, 0);
}

INSTANTIATE_TEST_SUITE_P(Lines, ModuleAccess, ::testing::Values(Line::Serial, Line::Udp),
                         LineName);

// A reply that comes after the time-out must not be taken for the answer to a later request.
TEST(LateReply, OnUdpTheTransactionIdKeepsAnIdenticalRequestApart)
{
    ProgramFolder folder;
    sim::Module module{"KQ-3110", ModuleAddress};
    sim::UdpServer server(module);
    Connection connection(Lan);
    ASSERT_EQ(connection.OpenLan("127.0.0.1", server.Port()), 0);
    ASSERT_EQ(connection.Configure(9600, 500, 2), 0);

    module.SetRegister(12, 11);
    module.AnswerLate(2);  // both attempts answered late
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 12).status, 30);
    module.SetRegister(12, 22);
    const TransactionResult fresh = connection.ReadRegister(ModuleAddress, 12);
    EXPECT_EQ(fresh.status, 0);
    EXPECT_EQ(fresh.data[2], 22) << "the late replies carried 11";
}

TEST(LateReply, OnASerialLineTheRegisterKeepsAnotherRequestApart)
{
    ProgramFolder folder;
    sim::Module module{"KQ-3110", ModuleAddress};
    sim::PtyServer server(module, sim::ComLink(folder.Path(), 1));
    Connection connection(Com);
    ASSERT_EQ(connection.Open(1), 0);
    ASSERT_EQ(connection.Configure(9600, 500, 1), 0);

    module.SetRegister(12, 11);
    module.SetRegister(13, 33);
    module.AnswerLate(1);
    EXPECT_EQ(connection.ReadRegister(ModuleAddress, 12).status, 30);
    const TransactionResult next = connection.ReadRegister(ModuleAddress, 13);
    EXPECT_EQ(next.status, 0);
    EXPECT_EQ(next.data, (ModuleData{13, 13, 33, 33}));
}

TEST(LateReply, OnASerialLineALateAnswerToTheSameRequestIsAValidAnswer)
{
    ProgramFolder folder;
    sim::Module module{"KQ-3110", ModuleAddress};
    sim::PtyServer server(module, sim::ComLink(folder.Path(), 1));
    Connection connection(Com);
    ASSERT_EQ(connection.Open(1), 0);
    ASSERT_EQ(connection.Configure(9600, 500, 2), 0);

    module.SetRegister(12, 11);
    module.AnswerLate(1);  // the first attempt's reply comes during the retry
    const TransactionResult result = connection.ReadRegister(ModuleAddress, 12);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.data[2], 11);
    const TransactionResult next = connection.ReadRegister(ModuleAddress, 13);
    EXPECT_EQ(next.status, 0);
    EXPECT_EQ(next.data[0], 13) << "the retry's own reply, left over, is flushed or skipped";
}
