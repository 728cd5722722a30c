// serkon-sim on Windows, which has no pseudo-terminals: their options are refused saying so,
// and the help says it serves over UDP only.
#include "SimChild.h"

#include <gtest/gtest.h>

TEST(SimProgram, RefusesThePseudoTerminalOptionsAsLinuxOnly)
{
    const std::string why = "pseudo-terminals are a Linux matter: on Windows serkon-sim serves "
                            "over UDP only (--udp PORT)";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--pty"}, "--pty: " + why},
        {{"--pty", "--link", "ports\\com1"}, "--pty: " + why},
        {{"--pty", "--udp", "1"}, "--pty: " + why},
        {{"--udp", "0", "--link", "ports\\com1"}, "--link: " + why},
    };
    for (const auto& [options, error] : cases) {
        const SimRun run = RunSim(options);
        EXPECT_EQ(run.firstLine, "serkon-sim: " + error) << options.back();
        EXPECT_EQ(run.rest.rfind("usage: serkon-sim --udp PORT [options]\n", 0), 0u)
            << options.back();
        EXPECT_EQ(run.exitCode, 2) << options.back();
    }

    const SimRun help = RunSim({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.firstLine, "usage: serkon-sim --udp PORT [options]");
    EXPECT_NE(help.rest.find("\n  --pty, --link PATH        Linux only: on Windows serkon-sim "
                             "serves over UDP only\n"),
              std::string::npos)
        << help.rest;
}
