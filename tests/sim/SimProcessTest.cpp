// serkon-sim as a program of its own: where it listens, the options it refuses, how it ends
// and the state it keeps. The same on Linux and Windows, where a stop is a console's Ctrl+C or
// Ctrl+Break and the state lies in a folder whose name the ANSI code page cannot spell.
#include "Module.h"
#include "SimChild.h"
#include "UdpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

busframe::Request WriteRegister(uint8_t reg, uint8_t value)
{
    return {3, busframe::CommandWriteRegister, 0, 0, {reg, reg, value, value}};
}

busframe::Request ReadRegister(uint8_t reg)
{
    return {3, busframe::CommandReadRegister, 0, 0, {reg, reg, 0, 0}};
}

// The status of the reply to one request, -1 when none comes; data byte 2 in value.
int Transact(UdpClient& client, const busframe::Request& request, uint8_t* value = nullptr)
{
    static uint16_t id = 0;
    client.Send(++id, request);
    const auto reply = ReplyOf(client.Receive());
    if (!reply)
        return -1;
    if (value)
        *value = reply->data[2];
    return reply->status;
}

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string Contents(const fs::path& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A folder of the test's own named with a blank and letters beyond any one ANSI code page.
class StateFolder {
public:
    StateFolder()
        : path_(fs::temp_directory_path()
                / (u8"serkon-sim Měření Ω " + Digits(std::chrono::steady_clock::now()
                                                          .time_since_epoch()
                                                          .count())))
    {
        fs::create_directories(path_);
    }
    ~StateFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }

    fs::path File(const fs::path& name) const { return path_ / name; }

private:
    static std::u8string Digits(long long number)
    {
        const std::string text = std::to_string(number);
        return std::u8string(text.begin(), text.end());
    }
    fs::path path_;
};

enum class End { Quit, Interrupt, Stop };

// Its exit code.
int EndIt(SimChild& sim, End end)
{
    switch (end) {
    case End::Quit:
        return sim.Command("quit").empty() ? sim.Wait() : -1;
    case End::Interrupt:
        return sim.Interrupt();
    case End::Stop:
        return sim.Stop();
    }
    return -1;
}

} // namespace

TEST(SimProgram, PrintsWhereItListensAndServesUntilStopped)
{
    SimChild sim({"--udp", "0", "--model", "KQ-3230", "--address", "3"});
    unsigned port = 0;
    ASSERT_EQ(std::sscanf(sim.Line().c_str(), "udp 127.0.0.1:%u", &port), 1);
    EXPECT_EQ(sim.Line(), "module KQ-3230  v.1.02 at address 3");

    UdpClient client{uint16_t(port)};
    client.Send(5, {3, busframe::CommandIdentify, 2, 0, {}});
    const auto reply = ReplyOf(client.Receive());
    ASSERT_TRUE(reply);
    EXPECT_EQ(std::string(reply->data.begin(), reply->data.end()), "1.02");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimProgram, RefusesBadOptionsSayingWhy)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--udp", "70000"}, "--udp takes a port from 0 to 65535, not \"70000\""},
        {{"--udp", " 0"}, "--udp takes a port from 0 to 65535, not \" 0\""},
        {{"--udp", "0", "--address", " 5"}, "--address takes a bus address from 0 to 255, not \" 5\""},
        {{"--udp", "0", "--drop", " 3"}, "drop: N must be a number from 0 to 4294967295"},
        {{"--udp", "0", "--drop", "+3"}, "drop: N must be a number from 0 to 4294967295"},
        {{"--udp", "0", "--delay", "1 "}, "delay: the delay in ms must be a number from 0 to 60000"},
        {{"--udp", "0", "--model"}, "--model needs a value"},
        {{"--udp", "0", "--frobnicate"}, "unknown option \"--frobnicate\""},
        {{}, "give either --udp PORT or --pty"},
    };
    for (const auto& [options, error] : cases) {
        const std::string name = options.empty() ? "no options" : options.back();
        const SimRun run = RunSim(options);
        EXPECT_EQ(run.firstLine, std::string("serkon-sim: ") + error) << name;
        EXPECT_EQ(run.rest.rfind("usage: serkon-sim", 0), 0u) << name << ": the usage follows";
        EXPECT_EQ(run.exitCode, 2) << name;
    }
}

TEST(SimProgram, AnUnknownModelIsNamedWithTheKnownOnes)
{
    const SimRun run = RunSim({"--udp", "0", "--model", "KQ-1"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.firstLine.rfind("serkon-sim: unknown model \"KQ-1\" (known: KQ-3110, ", 0), 0u)
        << run.firstLine;
    const std::vector<std::string> models = sim::ModelNames();
    ASSERT_EQ(models.size(), 8u);
    for (const std::string& model : models) {
        EXPECT_NE(run.firstLine.find(model), std::string::npos) << model;
        EXPECT_NE(run.rest.find(model), std::string::npos) << model << " in the usage";
    }
}

// However it is ended (a quit line; Ctrl+C or SIGTERM once its input has closed, which alone
// ends nothing), it ends with 0, every write it took in its state file.
TEST(SimProgram, EndsCleanlyOnQuitOrAStopKeepingItsState)
{
    struct Case {
        const char* name;
        SimChild::Input input;
        End end;
    };
    const Case cases[] = {
        {"quit", SimChild::Input::Pipe, End::Quit},
        {"Ctrl+C after the input closed", SimChild::Input::Pipe, End::Interrupt},
        {"SIGTERM or Ctrl+Break after the input closed", SimChild::Input::Pipe, End::Stop},
        {"Ctrl+C without input", SimChild::Input::Null, End::Interrupt},
    };
    const StateFolder folder;
    for (const Case& test : cases) {
        const fs::path state = folder.File(std::string(test.name).substr(0, 4) + ".txt");
        SimChild sim({"--udp", "0", "--address", "3", "--state", Utf8(state)}, test.input);
        const uint16_t port = sim.Port();
        ASSERT_NE(port, 0) << test.name;
        UdpClient client(port);
        // The second write replaces the file the first one made.
        EXPECT_EQ(Transact(client, WriteRegister(5, 40)), 0) << test.name;
        EXPECT_EQ(Transact(client, WriteRegister(5, 41)), 0) << test.name;
        if (test.input == SimChild::Input::Pipe && test.end != End::Quit) {
            // A last line without its line feed is answered when the input ends.
            ASSERT_TRUE(sim.Write("counters")) << test.name;
            sim.CloseInput();
            EXPECT_EQ(sim.Line(), "requests 2 replies 2 garbage 0") << test.name;
            EXPECT_EQ(Transact(client, ReadRegister(5)), 0) << test.name << ": still serving";
        }
        EXPECT_EQ(EndIt(sim, test.end), 0) << test.name;
        EXPECT_NE(Contents(state).find("\nregister 5 = 41\n"), std::string::npos) << test.name;
        EXPECT_FALSE(fs::exists(fs::path(state) += ".tmp")) << test.name;
    }
}

TEST(SimProgram, ReadsItsStateFromAFolderWithDiacritics)
{
    const StateFolder folder;
    const fs::path state = folder.File(u8"stav ř.txt");
    std::ofstream(state) << "register 5 = 99\nstatus = 00000080\n";
    SimChild sim({"--udp", "0", "--address", "3", "--state", Utf8(state)});
    const uint16_t port = sim.Port();
    ASSERT_NE(port, 0);
    UdpClient client(port);
    uint8_t value = 0;
    EXPECT_EQ(Transact(client, ReadRegister(5), &value), 0);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(sim.Command("quit"), "");
    EXPECT_EQ(sim.Wait(), 0);
}
