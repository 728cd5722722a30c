// The pseudo-terminal server in-process: a Linux matter.
#include "Servers.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int WaitLimitMs = 5000;  // only a broken simulator takes this long

busframe::Request ReadRegister(uint8_t reg)
{
    return {1, busframe::CommandReadRegister, 0, 0, {reg, reg, 0, 0}};
}

} // namespace

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
