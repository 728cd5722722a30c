// The module access tests over a pseudo-terminal that a ports/ link makes COM3 (RVS770), and
// late replies on a serial line.
#include "ModuleAccess.h"

namespace {

std::shared_ptr<void> ServeOverPty(sim::Module& module, const ProgramFolder& folder,
                                   Connection& connection)
{
    return Opened(std::make_shared<sim::PtyServer>(module, sim::ComLink(folder.Path(), 3)),
                  [&](const sim::PtyServer&) { return connection.Open(3); });
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Lines, ModuleAccess,
                         ::testing::Values(LineUnderTest{"Pty", Com, ServeOverPty}), LineName);

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
