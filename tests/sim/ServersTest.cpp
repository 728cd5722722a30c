#include "Servers.h"
#include "UdpClient.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr int WaitLimitMs = 5000;  // only a broken simulator takes this long

busframe::Request ReadRegister(uint8_t reg)
{
    return {1, busframe::CommandReadRegister, 0, 0, {reg, reg, 0, 0}};
}

} // namespace

TEST(SimUdpServer, AnswersWithTheRequestsTransactionId)
{
    sim::Module module;
    module.SetRegister(7, 77);
    sim::UdpServer server(module);
    ASSERT_TRUE(server.Listening()) << server.Failure();
    ASSERT_NE(server.Port(), 0);

    UdpClient client(server.Port());
    client.Send(0x1234, ReadRegister(7));
    const auto datagram = client.Receive();
    EXPECT_EQ(busframe::DatagramTransactionId(datagram), 0x1234);
    ASSERT_TRUE(ReplyOf(datagram));
    EXPECT_EQ(ReplyOf(datagram)->data[2], 77);
}

TEST(SimUdpServer, SendsLateRepliesAfterTheNextRequestAndStraysFromAnotherPort)
{
    sim::Module module;
    module.SetRegister(7, 77);
    sim::UdpServer server(module);
    UdpClient client(server.Port());

    module.AnswerLate(1);
    client.Send(1, ReadRegister(7));
    ASSERT_TRUE(module.WaitForRequests(1, std::chrono::milliseconds(WaitLimitMs)));
    client.Send(2, ReadRegister(7));
    EXPECT_EQ(busframe::DatagramTransactionId(client.Receive()), 1) << "the late one first";
    EXPECT_EQ(busframe::DatagramTransactionId(client.Receive()), 2);

    server.SendStrayReplies(1);
    client.Send(3, ReadRegister(7));
    uint16_t firstPort = 0;
    uint16_t secondPort = 0;
    const auto stray = client.Receive(&firstPort);
    const auto real = client.Receive(&secondPort);
    EXPECT_NE(firstPort, server.Port());
    EXPECT_EQ(secondPort, server.Port());
    EXPECT_EQ(busframe::DatagramTransactionId(stray), 3);
    ASSERT_TRUE(ReplyOf(stray) && ReplyOf(real));
    EXPECT_EQ(ReplyOf(stray)->data[2], uint8_t(~77));
    EXPECT_EQ(ReplyOf(real)->data[2], 77);
}

TEST(SimUdpServer, EchoesTheWholeDatagram)
{
    sim::Module module;
    module.SetEchoOnly(true);
    sim::UdpServer server(module);
    UdpClient client(server.Port());
    client.Send(9, ReadRegister(7));
    EXPECT_EQ(client.Receive(), busframe::EncodeRequestDatagram(9, ReadRegister(7)));
}

TEST(SimPtyServer, AnswersOnThePseudoTerminalAndLinksIt)
{
    const auto folder = std::filesystem::temp_directory_path()
        / ("serkon-sim-pty-" + std::to_string(getpid()));
    const std::string link = sim::ComLink(folder.string(), 3);
    EXPECT_EQ(link, (folder / "ports" / "com3").string());
    sim::Module module;
    module.SetRegister(8, 0x80);
    {
        sim::PtyServer server(module, link);
        ASSERT_TRUE(server.Listening()) << server.Failure();
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), server.Path());

        const int line = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(line, 0);
        const auto request = busframe::EncodeRequest(ReadRegister(8));
        ASSERT_EQ(::write(line, request.data(), request.size()), ssize_t(request.size()));
        std::vector<uint8_t> received;
        while (received.size() < busframe::ReplySize) {
            pollfd entry{line, POLLIN, 0};
            ASSERT_EQ(::poll(&entry, 1, WaitLimitMs), 1);
            uint8_t chunk[64];
            const ssize_t got = ::read(line, chunk, sizeof chunk);
            ASSERT_GT(got, 0);
            received.insert(received.end(), chunk, chunk + got);
        }
        ::close(line);
        const auto reply = busframe::DecodeReply(received);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->data[2], 0x80);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(std::filesystem::symlink_status(link)))
        << "the link goes with the server";
    std::filesystem::remove_all(folder);
}

TEST(SimProgram, PrintsWhereItListensAndServesUntilTerminated)
{
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::execl(SERKON_SIM_PROGRAM, SERKON_SIM_PROGRAM, "--udp", "0", "--model", "KQ-3230",
                "--address", "3", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    FILE* lines = ::fdopen(output[0], "r");
    unsigned port = 0;
    char name[16] = {};
    ASSERT_EQ(std::fscanf(lines, "udp 127.0.0.1:%u\n", &port), 1);
    ASSERT_EQ(std::fscanf(lines, "module %8c", name), 1);
    EXPECT_STREQ(name, "KQ-3230 ");

    UdpClient client{uint16_t(port)};
    client.Send(5, {3, busframe::CommandIdentify, 2, 0, {}});
    const auto reply = ReplyOf(client.Receive());
    ASSERT_TRUE(reply);
    EXPECT_EQ(std::string(reply->data.begin(), reply->data.end()), "1.02");

    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::fclose(lines);
}

TEST(SimProgram, RefusesBadOptionsSayingWhy)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--udp 70000", "--udp takes a port from 0 to 65535, not \"70000\""},
        {"--udp ' 0'", "--udp takes a port from 0 to 65535, not \" 0\""},
        {"--udp 0 --address ' 5'", "--address takes a bus address from 0 to 255, not \" 5\""},
        {"--udp 0 --drop ' 3'", "drop: N must be a number from 0 to 4294967295"},
        {"--udp 0 --drop +3", "drop: N must be a number from 0 to 4294967295"},
        {"--udp 0 --delay '1 '", "delay: the delay in ms must be a number from 0 to 60000"},
        {"--udp 0 --model", "--model needs a value"},
        {"--udp 0 --frobnicate", "unknown option \"--frobnicate\""},
        {"--pty --udp 1", "give either --udp PORT or --pty"},
        {"", "give either --udp PORT or --pty"},
        {"--udp 0 --link x", "--link goes with --pty"},
    };
    for (const auto& [options, error] : cases) {
        const std::string command = std::string(SERKON_SIM_PROGRAM) + " " + options + " 2>&1";
        std::FILE* output = ::popen(command.c_str(), "r");
        ASSERT_NE(output, nullptr);
        char line[256] = {};
        EXPECT_NE(std::fgets(line, sizeof line, output), nullptr) << options;
        std::string text;
        for (int c = std::fgetc(output); c != EOF; c = std::fgetc(output))
            text += char(c);
        const int status = ::pclose(output);
        EXPECT_EQ(std::string(line), std::string("serkon-sim: ") + error + '\n') << options;
        EXPECT_EQ(text.rfind("usage: serkon-sim", 0), 0u) << options << ": the usage follows";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << options;
    }
}

TEST(SimProgram, AnUnknownModelIsNamedWithTheKnownOnes)
{
    const std::string command = std::string(SERKON_SIM_PROGRAM) + " --udp 0 --model KQ-1 2>&1";
    std::FILE* output = ::popen(command.c_str(), "r");
    ASSERT_NE(output, nullptr);
    char line[512] = {};
    EXPECT_NE(std::fgets(line, sizeof line, output), nullptr);
    std::string usage;
    for (int c = std::fgetc(output); c != EOF; c = std::fgetc(output))
        usage += char(c);
    const int status = ::pclose(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);

    const std::string error = line;
    EXPECT_EQ(error.rfind("serkon-sim: unknown model \"KQ-1\" (known: KQ-3110, ", 0), 0u) << error;
    const std::vector<std::string> models = sim::ModelNames();
    ASSERT_EQ(models.size(), 8u);
    for (const std::string& model : models) {
        EXPECT_NE(error.find(model), std::string::npos) << model;
        EXPECT_NE(usage.find(model), std::string::npos) << model << " in the usage";
    }
}
