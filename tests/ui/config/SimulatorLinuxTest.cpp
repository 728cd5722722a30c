// Linux: the configuration window against the simulated module on a pseudo-terminal, reached
// as COM1 through the link of ports/.
#include "SimulatorFixture.h"

TEST_F(Simulator, RoundTripOverASerialLine)
{
    sim::PtyServer server(module, sim::ComLink(program.Path(), 1));
    ASSERT_TRUE(server.Listening()) << server.Failure();
    Connect(InterfaceCom, {QStringLiteral("1"), QString(), QString()});
    RoundTrip();
}
