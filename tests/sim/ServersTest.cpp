// The UDP server in-process, through a plain client.
#include "Servers.h"
#include "UdpClient.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr std::chrono::seconds WaitLimit{5};  // only a broken simulator takes this long

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
    ASSERT_TRUE(module.WaitForRequests(1, WaitLimit));
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

TEST(SimUdpServer, CountsADatagramTooLongForItAsGarbageAndServesOn)
{
    sim::Module module;
    sim::UdpServer server(module);
    UdpClient client(server.Port());
    client.Send(std::vector<uint8_t>(2000, 0x55));
    client.Send(4, ReadRegister(7));
    EXPECT_EQ(busframe::DatagramTransactionId(client.Receive()), 4);
    EXPECT_EQ(module.GetCounters().garbage, 1u) << "the long one was cut, not lost";
}
