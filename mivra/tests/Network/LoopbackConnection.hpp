#pragma once

#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>
#include <mivra/System/Time.hpp>

#include <gtest/gtest.h>

namespace mivra::test
{
// A connected pair over loopback: client connected to server through a listener on a free port.
struct LoopbackConnection
{
    TcpListener listener;
    TcpSocket client;
    TcpSocket server;

    LoopbackConnection()
    {
        EXPECT_EQ(listener.listen(Socket::AnyPort, IpAddress::LocalHost), Socket::Status::Done);
        EXPECT_EQ(client.connect(IpAddress::LocalHost, listener.getLocalPort(), seconds(5)), Socket::Status::Done);
        EXPECT_EQ(listener.accept(server), Socket::Status::Done);
    }
};
} // namespace mivra::test
