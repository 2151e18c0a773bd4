// Where the FTP client opens its data connections. Run in a private network namespace whose
// loopback also holds the documentation addresses 203.0.113.1 and 203.0.113.2: two hosts that
// count as public, so no private-address rule can hide which one the client picks.

#include <mivra/Network/Ftp.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include "FtpServerProcess.hpp"
#include "ScriptedFtpServer.hpp"

#include <gtest/gtest.h>

#include <poll.h>

#include <fstream>

namespace
{
using mivra::Ftp;
using mivra::IpAddress;
using mivra::TcpListener;
using mivra::test::Session;
using Status = Ftp::Response::Status;
using SocketStatus = mivra::Socket::Status;

const IpAddress serverHost(203, 0, 113, 1);
const IpAddress thirdHost(203, 0, 113, 2);

bool hasWaitingConnection(const TcpListener& listener)
{
    pollfd entry{listener.getNativeHandle(), POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
}

// A server that names another host in its passive reply must not get the client to connect
// there: an upload would go to whatever listens on that host.
TEST(FtpPassiveAddressTest, UploadGoesToTheServerNotToTheHostItNames)
{
    TcpListener atServer;
    ASSERT_EQ(atServer.listen(mivra::Socket::AnyPort, serverHost), SocketStatus::Done)
        << "203.0.113.1 is not on this host: run the test in its network namespace";
    const unsigned short port = atServer.getLocalPort();
    TcpListener atThirdHost;
    ASSERT_EQ(atThirdHost.listen(port, thirdHost), SocketStatus::Done);

    mivra::test::TempDir local;
    const std::filesystem::path file = local.path() / "secret.txt";
    std::ofstream(file, std::ios::binary) << "for the server only";

    std::string stored;
    bool thirdHostContacted = false;
    Ftp::Response response;
    {
        const mivra::test::ScriptedServer server = mivra::test::greetingServer(
            [&](Session& s) {
                if (s.nextCommand() != "PASV")
                    return;
                s.say("227 Entering Passive Mode (203,0,113,2," + std::to_string(port / 256) + "," +
                      std::to_string(port % 256) + ").\r\n");
                pollfd entry{atServer.getNativeHandle(), POLLIN, 0};
                const bool accepted = ::poll(&entry, 1, 5000) > 0 && atServer.accept(s.data) == SocketStatus::Done;
                thirdHostContacted = hasWaitingConnection(atThirdHost);
                if (s.nextCommand().rfind("STOR", 0) != 0)
                    return;
                if (!accepted)
                {
                    s.say("425 No data connection.\r\n");
                    s.drain();
                    return;
                }
                s.say("150 Send it.\r\n");
                char buffer[4096];
                std::size_t received = 0;
                while (s.data.receive(buffer, sizeof(buffer), received) == SocketStatus::Done)
                    stored.append(buffer, received);
                s.say("226 Stored.\r\n");
                s.drain();
            },
            serverHost);

        Ftp ftp;
        ASSERT_EQ(ftp.connect(serverHost, server.port(), mivra::seconds(5)).getStatus(), Status::ServiceReady);
        ASSERT_EQ(ftp.login("user", "secret").getStatus(), Status::LoggedIn);
        response = ftp.upload(file, "");
    } // the client hangs up, the script ends

    EXPECT_EQ(response.getStatus(), Status::ClosingDataConnection) << response.getMessage();
    EXPECT_FALSE(thirdHostContacted);
    EXPECT_FALSE(hasWaitingConnection(atThirdHost));
    EXPECT_EQ(stored, "for the server only");
}
} // namespace
