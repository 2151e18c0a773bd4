#include <mivra/Network/Packet.hpp>
#include <mivra/Network/UdpSocket.hpp>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
using mivra::IpAddress;
using mivra::Packet;
using mivra::UdpSocket;
using Status = mivra::Socket::Status;

TEST(UdpSocketTest, UnboundSenderIsBoundOnFirstSendAndGetsTheAnswer)
{
    UdpSocket server;
    ASSERT_EQ(server.bind(mivra::Socket::AnyPort, IpAddress::Any), Status::Done);
    const unsigned short serverPort = server.getLocalPort();
    ASSERT_NE(serverPort, 0);

    UdpSocket client;
    EXPECT_EQ(client.getLocalPort(), 0);
    ASSERT_EQ(client.send("Hi, I'm a client", 16, IpAddress::LocalHost, serverPort), Status::Done);
    const unsigned short clientPort = client.getLocalPort();
    EXPECT_NE(clientPort, 0);

    char buffer[128]{};
    std::size_t received = 0;
    std::optional<IpAddress> sender;
    unsigned short senderPort = 0;
    ASSERT_EQ(server.receive(buffer, sizeof(buffer), received, sender, senderPort), Status::Done);
    EXPECT_EQ(std::string(buffer, received), "Hi, I'm a client");
    EXPECT_EQ(sender, IpAddress::LocalHost);
    EXPECT_EQ(senderPort, clientPort);

    // The answer goes to the datagram's source and reaches the auto-bound socket.
    ASSERT_EQ(server.send("Hi, I'm the server", 18, *sender, senderPort), Status::Done);
    ASSERT_EQ(client.receive(buffer, sizeof(buffer), received, sender, senderPort), Status::Done);
    EXPECT_EQ(std::string(buffer, received), "Hi, I'm the server");
    EXPECT_EQ(senderPort, serverPort);
    // The port stays the same for later datagrams.
    ASSERT_EQ(client.send("again", 5, IpAddress::LocalHost, serverPort), Status::Done);
    EXPECT_EQ(client.getLocalPort(), clientPort);
}

TEST(UdpSocketTest, OneDatagramPerReceive)
{
    UdpSocket server, client;
    ASSERT_EQ(server.bind(mivra::Socket::AnyPort, IpAddress::LocalHost), Status::Done);
    ASSERT_EQ(client.send("one", 3, IpAddress::LocalHost, server.getLocalPort()), Status::Done);
    ASSERT_EQ(client.send("", 0, IpAddress::LocalHost, server.getLocalPort()), Status::Done);
    ASSERT_EQ(client.send("three", 5, IpAddress::LocalHost, server.getLocalPort()), Status::Done);

    char buffer[64];
    std::size_t received = 0;
    std::optional<IpAddress> sender;
    unsigned short port = 0;
    for (const std::string expected : {"one", "", "three"})
    {
        ASSERT_EQ(server.receive(buffer, sizeof(buffer), received, sender, port), Status::Done);
        EXPECT_EQ(std::string(buffer, received), expected);
    }
}

TEST(UdpSocketTest, DatagramSizeLimits)
{
    UdpSocket server, client;
    ASSERT_EQ(server.bind(mivra::Socket::AnyPort, IpAddress::LocalHost), Status::Done);
    const std::vector<char> largest(UdpSocket::MaxDatagramSize, 'L');
    EXPECT_EQ(client.send(largest.data(), largest.size() + 1, IpAddress::LocalHost, server.getLocalPort()),
              Status::Error);
    ASSERT_EQ(client.send(largest.data(), largest.size(), IpAddress::LocalHost, server.getLocalPort()), Status::Done);

    // Too long for the buffer: reported, not passed off as a whole datagram.
    char small[128];
    std::size_t received = 0;
    std::optional<IpAddress> sender;
    unsigned short port = 0;
    EXPECT_EQ(server.receive(small, sizeof(small), received, sender, port), Status::Error);
    EXPECT_EQ(received, sizeof(small));
    EXPECT_EQ(small[127], 'L');

    // Exactly the buffer's size is fine.
    ASSERT_EQ(client.send(largest.data(), sizeof(small), IpAddress::LocalHost, server.getLocalPort()), Status::Done);
    EXPECT_EQ(server.receive(small, sizeof(small), received, sender, port), Status::Done);
    EXPECT_EQ(received, sizeof(small));
}

TEST(UdpSocketTest, PacketsTravelAsOneDatagram)
{
    UdpSocket server, client;
    ASSERT_EQ(server.bind(mivra::Socket::AnyPort, IpAddress::LocalHost), Status::Done);
    Packet out;
    out << std::uint8_t{1} << std::string("hello") << 2.5;
    ASSERT_EQ(client.send(out, IpAddress::LocalHost, server.getLocalPort()), Status::Done);

    Packet in;
    std::optional<IpAddress> sender;
    unsigned short port = 0;
    ASSERT_EQ(server.receive(in, sender, port), Status::Done);
    ASSERT_EQ(in.getDataSize(), out.getDataSize());
    std::uint8_t type = 0;
    std::string text;
    double value = 0;
    in >> type >> text >> value;
    EXPECT_TRUE(in);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(port, client.getLocalPort());
}

TEST(UdpSocketTest, BusyPortAndUnboundReceive)
{
    UdpSocket first, second;
    ASSERT_EQ(first.bind(mivra::Socket::AnyPort, IpAddress::LocalHost), Status::Done);
    EXPECT_EQ(second.bind(first.getLocalPort(), IpAddress::LocalHost), Status::Error);
    EXPECT_EQ(second.getLocalPort(), 0);

    char buffer[8];
    std::size_t received = 0;
    std::optional<IpAddress> sender;
    unsigned short port = 0;
    EXPECT_EQ(second.receive(buffer, sizeof(buffer), received, sender, port), Status::Error);
    first.setBlocking(false);
    EXPECT_EQ(first.receive(buffer, sizeof(buffer), received, sender, port), Status::NotReady);
    EXPECT_FALSE(sender.has_value());
}
} // namespace
