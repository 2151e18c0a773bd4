#include <mivra/Network/Packet.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>
#include <mivra/System/Clock.hpp>

#include "LoopbackConnection.hpp"
#include "ProcessMemory.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

namespace
{
using mivra::IpAddress;
using mivra::Packet;
using mivra::TcpListener;
using mivra::TcpSocket;
using Status = mivra::Socket::Status;

using Connection = mivra::test::LoopbackConnection;

std::vector<std::uint8_t> pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + i / 251);
    return bytes;
}

// Reads exactly size bytes (or until the connection fails).
std::vector<std::uint8_t> receiveAll(TcpSocket& socket, std::size_t size, std::size_t chunk = 65536)
{
    std::vector<std::uint8_t> bytes(size);
    std::size_t total = 0;
    while (total < size)
    {
        std::size_t received = 0;
        if (socket.receive(bytes.data() + total, std::min(chunk, size - total), received) != Status::Done)
            break;
        total += received;
    }
    bytes.resize(total);
    return bytes;
}

TEST(TcpSocketTest, ExchangesBytesBothWays)
{
    Connection c;
    EXPECT_EQ(c.server.getRemoteAddress(), IpAddress::LocalHost);
    EXPECT_EQ(c.server.getRemotePort(), c.client.getLocalPort());
    EXPECT_EQ(c.client.getRemotePort(), c.listener.getLocalPort());
    EXPECT_NE(c.client.getLocalPort(), 0);

    const char greeting[] = "Hi, I'm the server";
    ASSERT_EQ(c.server.send(greeting, 18), Status::Done);
    char buffer[128]{};
    std::size_t received = 0;
    ASSERT_EQ(c.client.receive(buffer, sizeof(buffer), received), Status::Done);
    EXPECT_EQ(std::string(buffer, received), "Hi, I'm the server");

    ASSERT_EQ(c.client.send("Hi, I'm a client", 16), Status::Done);
    ASSERT_EQ(c.server.receive(buffer, sizeof(buffer), received), Status::Done);
    EXPECT_EQ(std::string(buffer, received), "Hi, I'm a client");
}

TEST(TcpSocketTest, UnconnectedSocketReportsNothing)
{
    TcpSocket socket;
    EXPECT_FALSE(socket.getRemoteAddress().has_value());
    EXPECT_EQ(socket.getLocalPort(), 0);
    EXPECT_EQ(socket.getRemotePort(), 0);
    char byte = 0;
    std::size_t received = 0;
    EXPECT_EQ(socket.send(&byte, 1), Status::Error);
    EXPECT_EQ(socket.receive(&byte, 1, received), Status::Error);
    socket.disconnect();
}

TEST(TcpSocketTest, ConnectFailures)
{
    // A port nobody listens on: take one from a listener, then close it.
    unsigned short port = 0;
    {
        TcpListener listener;
        ASSERT_EQ(listener.listen(mivra::Socket::AnyPort, IpAddress::LocalHost), Status::Done);
        port = listener.getLocalPort();
    }
    TcpSocket socket;
    EXPECT_EQ(socket.connect(IpAddress::LocalHost, port), Status::Error);
    EXPECT_EQ(socket.connect(IpAddress::LocalHost, port, mivra::milliseconds(500)), Status::Error);
    EXPECT_FALSE(socket.getRemoteAddress().has_value());
}

TEST(TcpSocketTest, ConnectTimesOut)
{
    // A listener that never accepts, with a full backlog, drops further connection attempts: the
    // time-out is all that ends the wait.
    const int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(handle, -1);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ASSERT_EQ(::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(handle, 0), 0);
    ASSERT_EQ(::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const unsigned short port = ntohs(address.sin_port);

    std::vector<TcpSocket> queued(4);
    Status last = Status::Done;
    for (auto& socket : queued)
    {
        last = socket.connect(IpAddress::LocalHost, port, mivra::milliseconds(300));
        if (last != Status::Done)
            break;
    }
    EXPECT_EQ(last, Status::Error);
    ::close(handle);
}

TEST(TcpSocketTest, LargeBlockingSendArrivesWholeAndInOrder)
{
    // Far more than the socket buffers hold: the send must loop over short writes while the
    // reader drains slowly, in small pieces.
    Connection c;
    const auto data = pattern(24 * 1024 * 1024);
    std::vector<std::uint8_t> got;
    std::thread reader([&] { got = receiveAll(c.server, data.size(), 4093); });
    EXPECT_EQ(c.client.send(data.data(), data.size()), Status::Done);
    reader.join();
    EXPECT_TRUE(got == data);
}

TEST(TcpSocketTest, NonBlockingSendReportsPartialProgress)
{
    Connection c;
    c.client.setBlocking(false);
    EXPECT_FALSE(c.client.isBlocking());
    const auto data = pattern(64 * 1024 * 1024);

    std::size_t sent = 0;
    const Status first = c.client.send(data.data(), data.size(), sent);
    ASSERT_EQ(first, Status::Partial);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, data.size());

    std::vector<std::uint8_t> got;
    std::thread reader([&] { got = receiveAll(c.server, data.size()); });
    std::size_t offset = sent;
    while (offset < data.size())
    {
        std::size_t step = 0;
        const Status status = c.client.send(data.data() + offset, data.size() - offset, step);
        ASSERT_TRUE(status == Status::Done || status == Status::Partial || status == Status::NotReady);
        offset += step;
        if (status != Status::Done)
            std::this_thread::yield();
    }
    reader.join();
    EXPECT_TRUE(got == data);
}

TEST(TcpSocketTest, PeerClosingIsReported)
{
    Connection c;
    ASSERT_EQ(c.server.send("bye", 3), Status::Done);
    c.server.disconnect();

    char buffer[16];
    std::size_t received = 0;
    ASSERT_EQ(c.client.receive(buffer, sizeof(buffer), received), Status::Done);
    EXPECT_EQ(std::string(buffer, received), "bye");
    EXPECT_EQ(c.client.receive(buffer, sizeof(buffer), received), Status::Disconnected);
    EXPECT_EQ(received, 0u);

    // Writing to a closed peer fails (the first write may still be accepted locally) and must not
    // kill the process with SIGPIPE.
    const auto data = pattern(1024 * 1024);
    Status status = Status::Done;
    for (int i = 0; i < 10 && status == Status::Done; ++i)
        status = c.client.send(data.data(), data.size());
    EXPECT_EQ(status, Status::Disconnected);
}

TEST(TcpSocketTest, NonBlockingReceiveWithNothingToRead)
{
    Connection c;
    c.server.setBlocking(false);
    char buffer[4];
    std::size_t received = 7;
    EXPECT_EQ(c.server.receive(buffer, sizeof(buffer), received), Status::NotReady);
    EXPECT_EQ(received, 0u);
}

TEST(TcpSocketTest, PacketsArriveWholeAndInOrder)
{
    Connection c;
    Packet first, empty, big;
    first << std::uint8_t{1} << std::string("voice") << std::int16_t{-5};
    const auto bytes = pattern(3 * 1024 * 1024);
    big.append(bytes.data(), bytes.size());

    std::thread sender([&] {
        EXPECT_EQ(c.client.send(first), Status::Done);
        EXPECT_EQ(c.client.send(empty), Status::Done);
        EXPECT_EQ(c.client.send(big), Status::Done);
    });
    Packet received;
    ASSERT_EQ(c.server.receive(received), Status::Done);
    std::uint8_t type = 0;
    std::string text;
    std::int16_t sample = 0;
    received >> type >> text >> sample;
    EXPECT_TRUE(received);
    EXPECT_TRUE(received.endOfPacket());
    EXPECT_EQ(type, 1);
    EXPECT_EQ(text, "voice");
    EXPECT_EQ(sample, -5);

    ASSERT_EQ(c.server.receive(received), Status::Done);
    EXPECT_EQ(received.getDataSize(), 0u);

    ASSERT_EQ(c.server.receive(received), Status::Done);
    ASSERT_EQ(received.getDataSize(), bytes.size());
    EXPECT_EQ(std::memcmp(received.getData(), bytes.data(), bytes.size()), 0);
    sender.join();
}

TEST(TcpSocketTest, PacketFramingOnTheWire)
{
    Connection c;
    Packet packet;
    packet << std::uint8_t{2};
    ASSERT_EQ(c.client.send(packet), Status::Done);
    const auto wire = receiveAll(c.server, 5);
    EXPECT_EQ(wire, (std::vector<std::uint8_t>{0, 0, 0, 1, 2}));
}

TEST(TcpSocketTest, PacketSentInDribblesIsReceivedWhole)
{
    Connection c;
    const std::uint8_t wire[] = {0, 0, 0, 3, 'a', 'b', 'c'};
    std::thread sender([&] {
        for (const std::uint8_t byte : wire)
        {
            EXPECT_EQ(c.client.send(&byte, 1), Status::Done);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    Packet packet;
    ASSERT_EQ(c.server.receive(packet), Status::Done);
    sender.join();
    ASSERT_EQ(packet.getDataSize(), 3u);
    EXPECT_EQ(std::string(static_cast<const char*>(packet.getData()), 3), "abc");
}

TEST(TcpSocketTest, NonBlockingPacketReceiveKeepsPartialBytes)
{
    Connection c;
    c.server.setBlocking(false);
    Packet packet;
    packet << std::uint32_t{0xDEADBEEF};
    EXPECT_EQ(c.server.receive(packet), Status::NotReady);

    // Half of the length, then the rest of the length and half the payload, then the rest.
    const std::uint8_t wire[] = {0, 0, 0, 4, 1, 2, 3, 4};
    const auto deliver = [&](std::size_t from, std::size_t to) {
        ASSERT_EQ(c.client.send(wire + from, to - from), Status::Done);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    deliver(0, 2);
    EXPECT_EQ(c.server.receive(packet), Status::NotReady);
    deliver(2, 6);
    EXPECT_EQ(c.server.receive(packet), Status::NotReady);
    deliver(6, 8);
    mivra::Clock clock;
    Status status = Status::NotReady;
    while (status == Status::NotReady && clock.getElapsedTime() < mivra::seconds(10))
        status = c.server.receive(packet);
    ASSERT_EQ(status, Status::Done);
    std::uint32_t value = 0;
    packet >> value;
    EXPECT_EQ(value, 0x01020304u);
}

TEST(TcpSocketTest, NonBlockingPacketSendResumesAfterPartial)
{
    Connection c;
    c.client.setBlocking(false);
    const auto bytes = pattern(8 * 1024 * 1024);
    Packet packet;
    packet.append(bytes.data(), bytes.size());

    Status status = c.client.send(packet);
    ASSERT_EQ(status, Status::Partial);
    Packet received;
    std::thread reader([&] { EXPECT_EQ(c.server.receive(received), Status::Done); });
    while (status != Status::Done)
    {
        status = c.client.send(packet);
        ASSERT_TRUE(status == Status::Done || status == Status::Partial || status == Status::NotReady);
    }
    reader.join();
    ASSERT_EQ(received.getDataSize(), bytes.size());
    EXPECT_EQ(std::memcmp(received.getData(), bytes.data(), bytes.size()), 0);
}

TEST(TcpSocketTest, PacketLengthAboveTheCapIsRefused)
{
    Connection c;
    const std::uint32_t length = TcpSocket::MaxPacketSize + 1;
    const std::uint8_t header[] = {static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
                                   static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    ASSERT_EQ(c.client.send(header, sizeof(header)), Status::Done);
    Packet packet;
    packet << std::uint8_t{9};
    EXPECT_EQ(c.server.receive(packet), Status::Error);
    // The stream cannot be followed past such a length: the receiver hangs up.
    EXPECT_FALSE(c.server.getRemoteAddress().has_value());
    char byte = 0;
    std::size_t received = 0;
    EXPECT_EQ(c.client.receive(&byte, 1, received), Status::Disconnected);
}

TEST(TcpSocketTest, LargestPacketIsAcceptedAndLargerOneNotSent)
{
    Connection c;
    Packet tooBig;
    const std::vector<std::uint8_t> bytes(TcpSocket::MaxPacketSize + 1, 0x5A);
    tooBig.append(bytes.data(), bytes.size());
    EXPECT_EQ(c.client.send(tooBig), Status::Error);

    Packet largest;
    largest.append(bytes.data(), TcpSocket::MaxPacketSize);
    std::thread sender([&] { EXPECT_EQ(c.client.send(largest), Status::Done); });
    Packet received;
    // The refused packet left nothing on the wire: the next one is the first to arrive.
    ASSERT_EQ(c.server.receive(received), Status::Done);
    sender.join();
    EXPECT_EQ(received.getDataSize(), TcpSocket::MaxPacketSize);
}

TEST(TcpSocketTest, PacketMemoryGrowsWithTheBytesThatArrive)
{
    // Peers that announce the largest packet and then trickle: each receiver holds what arrived,
    // not what was announced.
    constexpr int peers = 8;
    std::vector<std::unique_ptr<Connection>> connections;
    const std::uint32_t length = TcpSocket::MaxPacketSize;
    const std::uint8_t start[] = {static_cast<std::uint8_t>(length >> 24),
                                  static_cast<std::uint8_t>(length >> 16),
                                  static_cast<std::uint8_t>(length >> 8),
                                  static_cast<std::uint8_t>(length),
                                  1,
                                  2,
                                  3};
    const std::size_t before = mivra::test::residentBytes();
    for (int i = 0; i < peers; ++i)
    {
        connections.push_back(std::make_unique<Connection>());
        Connection& c = *connections.back();
        ASSERT_EQ(c.client.send(start, sizeof(start)), Status::Done);
        c.server.setBlocking(false);
        Packet packet;
        Status status = Status::Done;
        // The header and the first bytes may arrive apart: receive until both have been seen.
        for (int attempt = 0; attempt < 100 && status != Status::Error; ++attempt)
        {
            status = c.server.receive(packet);
            if (status == Status::NotReady && attempt > 10)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(status, Status::NotReady);
    }
    if (mivra::test::residentSizesAreMeaningful)
        EXPECT_LT(mivra::test::residentBytes() - before, TcpSocket::MaxPacketSize * peers / 8)
            << "resident " << (before >> 20) << " MiB, then " << (mivra::test::residentBytes() >> 20) << " MiB";

    // The packet still arrives whole once the rest comes.
    Connection& first = *connections.front();
    const std::vector<std::uint8_t> rest(length - 3, 7);
    std::thread sender([&] { EXPECT_EQ(first.client.send(rest.data(), rest.size()), Status::Done); });
    Packet packet;
    Status status = Status::NotReady;
    while (status == Status::NotReady)
        status = first.server.receive(packet);
    sender.join();
    ASSERT_EQ(status, Status::Done);
    ASSERT_EQ(packet.getDataSize(), length);
    const auto* bytes = static_cast<const std::uint8_t*>(packet.getData());
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[3], 7);
    EXPECT_EQ(bytes[length - 1], 7);
}

TEST(TcpSocketTest, PeerClosingInTheMiddleOfAPacket)
{
    Connection c;
    const std::uint8_t wire[] = {0, 0, 0, 100, 1, 2, 3, 4, 5};
    ASSERT_EQ(c.client.send(wire, sizeof(wire)), Status::Done);
    c.client.disconnect();
    Packet packet;
    packet << std::uint8_t{1};
    EXPECT_EQ(c.server.receive(packet), Status::Disconnected);
    // Cut off in the length itself.
    Connection d;
    ASSERT_EQ(d.client.send(wire, 2), Status::Done);
    d.client.disconnect();
    EXPECT_EQ(d.server.receive(packet), Status::Disconnected);
}

TEST(TcpListenerTest, PortIsReusableAndBusyPortRefused)
{
    unsigned short port = 0;
    {
        Connection c;
        port = c.listener.getLocalPort();
        // Busy: another listener cannot take the same port while this one listens.
        TcpListener other;
        EXPECT_EQ(other.listen(port, IpAddress::LocalHost), Status::Error);
        EXPECT_EQ(other.getLocalPort(), 0);
        // The server closes first, leaving its side in TIME_WAIT.
        c.server.disconnect();
    }
    TcpListener again;
    EXPECT_EQ(again.listen(port, IpAddress::LocalHost), Status::Done);
    EXPECT_EQ(again.getLocalPort(), port);
}

TEST(TcpListenerTest, AcceptWithoutListeningFails)
{
    TcpListener listener;
    TcpSocket socket;
    EXPECT_EQ(listener.accept(socket), Status::Error);
    ASSERT_EQ(listener.listen(mivra::Socket::AnyPort), Status::Done);
    listener.setBlocking(false);
    EXPECT_EQ(listener.accept(socket), Status::NotReady);
}

TEST(TcpSocketTest, MovedSocketKeepsTheConnection)
{
    Connection c;
    TcpSocket moved(std::move(c.client));
    EXPECT_EQ(c.client.getNativeHandle(), -1);
    ASSERT_EQ(moved.send("x", 1), Status::Done);
    char byte = 0;
    std::size_t received = 0;
    ASSERT_EQ(c.server.receive(&byte, 1, received), Status::Done);
    EXPECT_EQ(byte, 'x');
}
} // namespace
