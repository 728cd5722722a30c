// The driver libraries through the program's binding against the simulated module: each test
// of ModuleAccess runs over every line the platform has (ModuleAccess.h), the UDP of the LAN
// converter (RVD773) here.
#include "ModuleAccess.h"

namespace {

std::shared_ptr<void> ServeOverUdp(sim::Module& module, const ProgramFolder&,
                                   Connection& connection)
{
    return Opened(std::make_shared<sim::UdpServer>(module), [&](const sim::UdpServer& server) {
        return connection.OpenLan("127.0.0.1", server.Port());
    });
}

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

INSTANTIATE_TEST_SUITE_P(Lines, ModuleAccess,
                         ::testing::Values(LineUnderTest{"Udp", Lan, ServeOverUdp}), LineName);

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
