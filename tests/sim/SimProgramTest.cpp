// The serkon-sim program as a user runs it: fault controls as options and as lines on its
// standard input, reached through the program's binding and the LAN converter's driver.
#include "tests/driverlibs/Connection.h"
#include "tests/support/ProgramFolder.h"

#include "ModuleFrame.h"
#include "SimChild.h"
#include "UdpClient.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint8_t Lan = 4;

// A connection through libRVD773 to the simulator's port. A time-out that a reply on
// loopback always beats, even on a busy machine; one attempt, so each fault shows as it is.
struct LanLink {
    explicit LanLink(uint16_t port, int32_t timeoutMs = 2000, int32_t attempts = 1)
        : connection(Lan)
    {
        opened = connection.OpenLan("127.0.0.1", port, 0) == 0
            && connection.Configure(9600, timeoutMs, attempts) == 0;
    }
    ProgramFolder folder;
    Connection connection;
    bool opened = false;
};

// What a fault given as options does to the transactions that follow.
struct OptionCase {
    std::vector<std::string> options;
    bool waitedOut;  // the first transaction ends in a time-out: a short one
    int32_t attempts;
    uint8_t command;
    uint8_t reg;
    std::vector<uint8_t> statuses;  // of the transactions in turn
    int value;                      // data byte 2 of the last, -1 not checked
};

} // namespace

TEST(SimProgram, FaultOptionsTakeEffectThroughTheDriver)
{
    const OptionCase cases[] = {
        {{"--drop", "2"}, true, 2, CmdReadRegister, 4, {30, 0}, 4},
        {{"--late", "1"}, true, 1, CmdReadRegister, 4, {30, 0}, 4},
        {{"--echo", "on"}, true, 2, CmdIdentify, 0, {32}, -1},
        {{"--corrupt", "2"}, false, 2, CmdReadRegister, 4, {31, 0}, 4},
        {{"--reply-address", "9"}, false, 2, CmdReadRegister, 4, {33}, -1},
        {{"--read-back", "4", "77"}, false, 2, CmdReadRegister, 4, {0}, 77},
        {{"--command-status", "102", "4"}, false, 2, CmdReadRegister, 4, {44, 44}, -1},
        {{"--status", "1", "--status-bits", "0x80"}, false, 2, CmdReadStatus, 0, {0}, -1},
    };
    for (const OptionCase& test : cases) {
        const std::string name = test.options[0];
        std::vector<std::string> options{"--udp", "0"};
        options.insert(options.end(), test.options.begin(), test.options.end());
        SimChild sim(options);
        const uint16_t port = sim.Port();
        ASSERT_NE(port, 0) << name;
        // A fault that swallows the reply is waited out quickly; a reply gets its full time.
        LanLink link(port, test.waitedOut ? 150 : 2000, test.attempts);
        ASSERT_TRUE(link.opened) << name;
        TransactionResult result;
        for (const uint8_t expected : test.statuses) {
            if (test.waitedOut && expected == 0) {
                ASSERT_EQ(link.connection.Configure(9600, 2000, test.attempts), 0);
            }
            result = link.connection.Transact(1, test.command, 0, {test.reg, test.reg, 0, 0});
            EXPECT_EQ(result.status, expected) << name;
        }
        if (test.value >= 0) {
            EXPECT_EQ(result.data[2], test.value) << name;
        }
        if (test.command == CmdReadStatus) {
            EXPECT_EQ(result.data[0], 0x81) << "status 1 with bit 7 added";
        }
        EXPECT_EQ(sim.Stop(), 0) << name;
    }
}

TEST(SimProgram, FaultsChangeWhileItRunsFromStandardInput)
{
    SimChild sim({"--udp", "0", "--address", "5"});
    const uint16_t port = sim.Port();
    ASSERT_NE(port, 0);
    LanLink link(port);
    ASSERT_TRUE(link.opened);
    EXPECT_EQ(link.connection.ReadRegister(5, 4).status, 0);

    EXPECT_EQ(sim.Command("read-back 4 200"), "ok read-back 4 200");
    EXPECT_EQ(link.connection.ReadRegister(5, 4).data[2], 200);
    EXPECT_EQ(sim.Command("read-back 4 off"), "ok read-back 4 off");
    EXPECT_EQ(link.connection.ReadRegister(5, 4).data[2], 4);

    EXPECT_EQ(sim.Command("status-bits 0x80"), "ok status-bits 0x80");
    const TransactionResult status = link.connection.Transact(5, CmdReadStatus);
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(status.data[0], 0x80);

    EXPECT_EQ(sim.Command("reply-address 6"), "ok reply-address 6");
    EXPECT_EQ(link.connection.ReadRegister(5, 4).status, 33);
    EXPECT_EQ(sim.Command("clear"), "ok clear");
    EXPECT_EQ(link.connection.ReadRegister(5, 4).status, 0);

    EXPECT_EQ(sim.Command("counters"), "requests 6 replies 6 garbage 0");
    EXPECT_EQ(sim.Command("drop x"), "error: drop: N must be a number from 0 to 4294967295");
    // Three stray replies: the driver's read in the middle has to ignore the second one.
    EXPECT_EQ(sim.Command("stray 3"), "ok stray 3");
    UdpClient client(port);
    const busframe::Request read{5, busframe::CommandReadRegister, 0, 0, {4, 4, 0, 0}};
    // The port the first answer to a plain request comes from; a stray one is checked.
    const auto firstAnswerPort = [&](uint16_t id) {
        client.Send(id, read);
        uint16_t firstPort = 0;
        const auto first = client.Receive(&firstPort);
        if (firstPort == port)
            return firstPort;
        uint16_t realPort = 0;
        const auto real = client.Receive(&realPort);
        EXPECT_EQ(realPort, port);
        EXPECT_EQ(busframe::DatagramTransactionId(first), id);
        EXPECT_TRUE(ReplyOf(first) && ReplyOf(first)->data[2] == uint8_t(~4)) << "inverted";
        EXPECT_TRUE(ReplyOf(real) && ReplyOf(real)->data[2] == 4);
        return firstPort;
    };
    EXPECT_NE(firstAnswerPort(0x1234), port);
    const TransactionResult result = link.connection.ReadRegister(5, 4);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.data[2], 4) << "the stray reply is ignored";
    EXPECT_NE(firstAnswerPort(0x1235), port) << "the driver's read took one stray reply";
    EXPECT_EQ(firstAnswerPort(0x1236), port) << "no stray reply left";

    EXPECT_EQ(sim.Command("quit"), "") << "no answer, the output ends";
    EXPECT_EQ(sim.Wait(), 0);
}

TEST(SimProgram, ServesWithStandardInputAtDevNullOrClosed)
{
    // Without standard input to read, it serves and ends on SIGTERM all the same.
    for (const SimChild::Input input : {SimChild::Input::Null, SimChild::Input::Closed}) {
        SimChild sim({"--udp", "0", "--read-back", "3", "33"}, input);
        const uint16_t port = sim.Port();
        ASSERT_NE(port, 0);
        LanLink link(port);
        ASSERT_TRUE(link.opened);
        for (uint8_t reg = 0; reg < 5; ++reg) {
            const TransactionResult result = link.connection.ReadRegister(1, reg);
            EXPECT_EQ(result.status, 0) << int(input) << ' ' << int(reg);
            if (reg == 3) {
                EXPECT_EQ(result.data[2], 33) << int(input);
            }
        }
        EXPECT_EQ(sim.Stop(), 0) << int(input);
    }
}

TEST(SimProgram, HelpListsEveryControlAndBadControlsAreRefused)
{
    SimChild help({"--help"});
    const std::string text = help.Rest();
    EXPECT_EQ(help.Wait(), 0);
    for (const char* option : {"--drop N", "--corrupt N", "--late N", "--echo on|off",
                               "--reply-address A|off", "--read-back R V|off",
                               "--command-status C S|off", "--status-bits HEX", "--delay MS",
                               "--baud BD", "counters", "quit"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }

    const std::vector<std::vector<std::string>> refused = {
        {"--udp", "0", "--drop"},         {"--udp", "0", "--read-back", "60", "1"},
        {"--udp", "0", "--echo", "maybe"}, {"--pty", "--stray", "1"},
        {"--udp", "0", "--counters"},     {"--udp", "0", "drop", "1"},
        {"--udp", "0", "--module", "3:KQ-9999"}, {"--udp", "0", "--module", "256:KQ-3110"},
        {"--udp", "0", "--module", "3:KQ-3110:fast"},
        {"--udp", "0", "--module", "3:KQ-3110", "--address", "4"},
        {"--udp", "0", "--state", "s", "--module", "1:KQ-3110", "--module", "2:RZ-310"},
    };
    for (const auto& options : refused) {
        SimChild sim(options);
        EXPECT_EQ(sim.Line().rfind("serkon-sim: ", 0), 0u) << options[2] << ": refused saying why";
        EXPECT_EQ(sim.Wait(), 2) << options[2];
    }
}

TEST(SimProgram, PutsSeveralModulesOnOneLine)
{
    SimChild sim({"--udp", "0", "--module", "3:KQ-3110", "--module", "9:RZ-310:19200"});
    const uint16_t port = sim.Port();
    ASSERT_NE(port, 0);
    EXPECT_EQ(sim.Line(), "module RZ-310   v.2.00 at address 9, 19200 Bd");
    LanLink link(port, 150);
    ASSERT_TRUE(link.opened);
    EXPECT_EQ(link.connection.Transact(3, CmdIdentify).data[0], 'K');
    EXPECT_EQ(link.connection.Transact(9, CmdIdentify).data[0], 'R');
    EXPECT_EQ(link.connection.Transact(0, CmdIdentify).status, 31) << "both answer: a collision";

    // A control acts on both: each loses its next reply.
    EXPECT_EQ(sim.Command("drop 1"), "ok drop 1");
    EXPECT_EQ(link.connection.Transact(3, CmdIdentify).status, 30);
    EXPECT_EQ(link.connection.Transact(9, CmdIdentify).status, 30);
    EXPECT_EQ(link.connection.Transact(9, CmdIdentify).status, 0);
    EXPECT_EQ(sim.Command("counters"), "requests 6 replies 5 garbage 0");
    EXPECT_EQ(sim.Stop(), 0);
}
