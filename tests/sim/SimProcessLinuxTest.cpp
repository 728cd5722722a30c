// serkon-sim's options for serving on a pseudo-terminal, which only Linux has.
#include "SimChild.h"

#include <gtest/gtest.h>

TEST(SimProgram, TakesEitherUdpOrAPseudoTerminalAndTheLinkOnlyWithIt)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--pty", "--udp", "1"}, "give either --udp PORT or --pty"},
        {{"--udp", "0", "--link", "x"}, "--link goes with --pty"},
    };
    for (const auto& [options, error] : cases) {
        const SimRun run = RunSim(options);
        EXPECT_EQ(run.firstLine, std::string("serkon-sim: ") + error) << options[0];
        EXPECT_EQ(run.rest.rfind("usage: serkon-sim (--udp PORT | --pty [--link PATH])", 0), 0u)
            << options[0];
        EXPECT_EQ(run.exitCode, 2) << options[0];
    }
}
