#include "../Support/DiagnosticCapture.hpp"
#include "LoopbackConnection.hpp"

#include <mivra/Network/Packet.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{
using mivra::Packet;
using Status = mivra::Socket::Status;

using Connection = mivra::test::LoopbackConnection;

Packet packetOf(std::size_t size, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    Packet packet;
    packet.append(bytes.data(), bytes.size());
    return packet;
}
} // namespace

// A peer that reads keeps getting every packet whole, in order, through the timed send.
TEST(TcpSocketSendTimeout, PacketsArriveWholeWhileThePeerReads)
{
    Connection c;
    std::vector<Packet> received;
    std::thread reader([&] {
        for (int i = 0; i < 40; ++i)
        {
            Packet packet;
            if (c.server.receive(packet) != Status::Done)
                return;
            received.push_back(packet);
        }
    });
    for (int i = 0; i < 40; ++i)
    {
        Packet packet = packetOf(100'000 + static_cast<std::size_t>(i), static_cast<std::uint8_t>(i));
        ASSERT_EQ(c.client.send(packet, mivra::seconds(5)), Status::Done) << "packet " << i;
    }
    reader.join();
    ASSERT_EQ(received.size(), 40u);
    for (std::size_t i = 0; i < received.size(); ++i)
    {
        const Packet expected = packetOf(100'000 + i, static_cast<std::uint8_t>(i));
        ASSERT_EQ(received[i].getDataSize(), expected.getDataSize());
        EXPECT_EQ(std::memcmp(received[i].getData(), expected.getData(), expected.getDataSize()), 0) << "packet " << i;
    }
}

// A peer that stops reading: once the kernel's buffers are full, the send gives up at its time-out
// with one line and closes the connection, where a plain blocking send would wait for ever.
TEST(TcpSocketSendTimeout, PeerThatStopsReadingEndsTheSend)
{
    Connection c; // c.server never receives
    mivra::test::DiagnosticCapture diagnostics;
    Packet packet = packetOf(1 << 20, 3);
    Status status = Status::Done;
    int sent = 0;
    // Loopback buffers a few megabytes; 64 MiB cannot all fit.
    for (; sent < 64 && status == Status::Done; ++sent)
        status = c.client.send(packet, mivra::milliseconds(300));
    EXPECT_EQ(status, Status::Error);
    EXPECT_LT(sent, 64);
    EXPECT_EQ(c.client.getNativeHandle(), -1) << "a half-sent packet leaves the connection unusable";
    const std::string peer = "127.0.0.1:" + std::to_string(c.listener.getLocalPort());
    EXPECT_THAT(diagnostics.take(), testing::ElementsAre("mivra: cannot send to the TCP peer " + peer +
                                                         ": timed out after 300 ms; connection closed"));
}
