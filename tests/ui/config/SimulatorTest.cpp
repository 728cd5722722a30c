// The configuration window against the simulated module, in-process and as the serkon-sim
// program, through the real driver libraries: read, change every field, write, read back.
#include "SimulatorFixture.h"

TEST_F(Simulator, RoundTripOverTheLanConverter)
{
    sim::UdpServer server(module);
    ASSERT_TRUE(server.Listening()) << server.Failure();
    Connect(InterfaceLan, {QStringLiteral("127.0.0.1"), QString::number(server.Port()),
                           QStringLiteral("100")});
    RoundTrip();
    ExpectRoundTripRegisters(module.Registers());
}

TEST_F(Simulator, RoundTripAgainstTheSimulatorProgram)
{
    // The program starts from the same registers, and keeps them in its state file.
    const std::string state = program.FilePath(QStringLiteral("module.state")).toStdString();
    ASSERT_TRUE(module.SaveState(state));
    SimulatorProgram simulator({QStringLiteral("--model"), QStringLiteral("KQ-3110"),
                                QStringLiteral("--address"), QStringLiteral("5"),
                                QStringLiteral("--state"), QString::fromStdString(state)});
    ASSERT_NE(simulator.Port(), 0) << simulator.FirstLine().toStdString()
                                   << simulator.Errors().toStdString();
    Connect(InterfaceLan, {QStringLiteral("127.0.0.1"), QString::number(simulator.Port()),
                           QStringLiteral("2000")});
    EXPECT_EQ(data.ModuleName, QStringLiteral("KQ-3110  v.1.09"));
    RoundTrip();

    // Every write was stored before it was answered.
    sim::Module stored;
    ASSERT_TRUE(stored.LoadState(state));
    ExpectRoundTripRegisters(stored.Registers());
    CloseConnection(data);
    EXPECT_TRUE(simulator.Stop()) << simulator.Errors().toStdString();
}
