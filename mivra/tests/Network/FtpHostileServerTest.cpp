// The FTP client against a scripted server that misbehaves in the ways real servers and networks
// do. Every failure must come back as a failing Response within the client's time-out, and no
// download may leave a file behind.

#include <mivra/Network/Ftp.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include "../Support/DiagnosticCapture.hpp"
#include "FtpServerProcess.hpp"
#include "ScriptedFtpServer.hpp"

#include "ListingNames.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <thread>

namespace
{
using namespace mivra::test::ftp;
using mivra::TcpListener;
using mivra::TcpSocket;

const mivra::Time clientTimeout = mivra::seconds(2);

class FtpHostileServerTest : public ::testing::Test
{
protected:
    // Logs in, downloads "file.bin", and expects the download to fail as given with nothing left
    // in the local directory.
    void expectFailedDownload(Ftp& ftp, unsigned short port, Status expected,
                              Ftp::TransferMode mode = Ftp::TransferMode::Binary)
    {
        connectAndLogin(ftp, port, clientTimeout);
        EXPECT_EQ(ftp.download("file.bin", local.path(), mode).getStatus(), expected);
        EXPECT_EQ(entriesIn(local.path()), 0u);
    }

    // Logs in and uploads a file larger than any socket buffer, expecting the upload to fail as
    // given.
    void expectFailedUpload(unsigned short port, Status expected)
    {
        const fs::path file = local.path() / "big.bin";
        mivra::test::writePatternFile(file, 64 * 1024 * 1024);
        Ftp ftp;
        connectAndLogin(ftp, port, clientTimeout);
        EXPECT_EQ(ftp.upload(file, "").getStatus(), expected);
    }

    mivra::test::TempDir local;
};

TEST_F(FtpHostileServerTest, MalformedGreeting)
{
    ScriptedServer server([](Session& s) {
        s.say("hello there\r\n");
        s.drain();
    });
    Ftp ftp;
    EXPECT_EQ(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).getStatus(), Status::InvalidResponse);
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpHostileServerTest, MalformedReplyToACommand)
{
    ScriptedServer server = greetingServer([](Session& s) {
        s.nextCommand();
        s.say("2x7 \"/\" looks like a directory\r\n");
        s.drain();
    });
    Ftp ftp;
    ASSERT_EQ(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).getStatus(), Status::ServiceReady);
    const Ftp::DirectoryResponse pwd = ftp.getWorkingDirectory();
    EXPECT_EQ(pwd.getStatus(), Status::InvalidResponse);
    EXPECT_TRUE(pwd.getDirectory().empty());
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpHostileServerTest, ReplyOver64KiB)
{
    ScriptedServer server([](Session& s) {
        std::string reply = "220-Welcome\r\n";
        while (reply.size() < 100 * 1024)
            reply += "220-and on and on\r\n";
        s.say(reply + "220 Finally.\r\n");
        s.drain();
    });
    Ftp ftp;
    EXPECT_EQ(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).getStatus(), Status::InvalidResponse);
}

TEST_F(FtpHostileServerTest, OneEndlessLine)
{
    ScriptedServer server([](Session& s) {
        s.say("220 " + std::string(80 * 1024, 'x'));
        s.drain();
    });
    Ftp ftp;
    EXPECT_EQ(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).getStatus(), Status::InvalidResponse);
}

TEST_F(FtpHostileServerTest, UnterminatedMultiLineReply)
{
    ScriptedServer server([](Session& s) {
        s.say("220-Welcome\r\n220-still welcoming\r\n");
        s.drain();
    });
    Ftp ftp;
    const Ftp::Response response = ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout);
    EXPECT_EQ(response.getStatus(), Status::ConnectionClosed);
    EXPECT_FALSE(response.isOk());
}

TEST_F(FtpHostileServerTest, MultiLineReplyCutByClosing)
{
    ScriptedServer server = greetingServer([](Session& s) {
        s.readLine(); // USER
        s.say("331 Password.\r\n");
        s.readLine(); // PASS
        s.say("230-Welcome\r\n230-");
    });
    Ftp ftp;
    ASSERT_TRUE(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).isOk());
    EXPECT_EQ(ftp.login("user", "secret").getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpHostileServerTest, MultiLineReplyIsWhole)
{
    ScriptedServer server = greetingServer([](Session& s) {
        s.readLine();
        s.say("331 Password.\r\n");
        s.readLine();
        s.say("230-Welcome\r\n230-second line\r\n230 Logged in.\r\n");
        s.nextCommand();
        s.say("257 no quotes here\r\n");
        s.drain();
    });
    Ftp ftp;
    ASSERT_TRUE(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).isOk());
    const Ftp::Response login = ftp.login("user", "secret");
    EXPECT_EQ(login.getStatus(), Status::LoggedIn);
    EXPECT_EQ(login.getMessage(), "-Welcome\n230-second line\n230 Logged in.");
    const Ftp::DirectoryResponse pwd = ftp.getWorkingDirectory();
    EXPECT_EQ(pwd.getStatus(), Status::DirectoryOk);
    EXPECT_TRUE(pwd.getDirectory().empty());
}

TEST_F(FtpHostileServerTest, ServerThatNeverAnswers)
{
    ScriptedServer silent([](Session& s) { s.drain(); });
    Ftp ftp;
    EXPECT_EQ(ftp.connect(IpAddress::LocalHost, silent.port(), clientTimeout).getStatus(), Status::ConnectionClosed);

    ScriptedServer mute = greetingServer([](Session& s) { s.drain(); });
    Ftp other;
    ASSERT_TRUE(other.connect(IpAddress::LocalHost, mute.port(), clientTimeout).isOk());
    EXPECT_EQ(other.keepAlive().getStatus(), Status::ConnectionClosed);
    EXPECT_EQ(other.keepAlive().getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpHostileServerTest, SlowGreetingWithATimeOutOfWeeks)
{
    // 2^32 ms: a time-out that does not fit poll's int must still mean "wait", not "give up now".
    const mivra::Time weeks = mivra::microseconds(std::int64_t{1000} << 32);
    ScriptedServer server([](Session& s) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        s.say("220 Ready at last.\r\n");
        s.drain();
    });
    Ftp ftp;
    const Ftp::Response greeting = ftp.connect(IpAddress::LocalHost, server.port(), weeks);
    EXPECT_EQ(greeting.getStatus(), Status::ServiceReady) << greeting.getMessage();
}

TEST_F(FtpHostileServerTest, BogusPassiveReplies)
{
    ScriptedServer server = greetingServer([](Session& s) {
        for (const char* reply : {"227 Entering Passive Mode (127,0,0,1,0,0).\r\n",
                                  "227 Entering Passive Mode (999,0,0,1,4,1).\r\n", "227 Nothing to see.\r\n"})
        {
            if (s.nextCommand() != "PASV")
                return;
            s.say(reply);
        }
        while (s.nextCommand() == "NOOP")
            s.say("200 Still here.\r\n");
    });
    Ftp ftp;
    connectAndLogin(ftp, server.port(), clientTimeout);
    for (int i = 0; i < 3; ++i)
    {
        const Ftp::ListingResponse listing = ftp.getDirectoryListing();
        EXPECT_EQ(listing.getStatus(), Status::InvalidResponse);
        EXPECT_TRUE(listing.getListing().empty());
    }
    // The control connection is still in step.
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::Ok);
}

TEST_F(FtpHostileServerTest, PassivePortNobodyListensOn)
{
    unsigned short closedPort = 0;
    {
        TcpListener probe;
        ASSERT_EQ(probe.listen(mivra::Socket::AnyPort, IpAddress::LocalHost), SocketStatus::Done);
        closedPort = probe.getLocalPort();
    }
    ScriptedServer server = greetingServer([closedPort](Session& s) {
        s.nextCommand();
        s.say("227 Entering Passive Mode (127,0,0,1," + std::to_string(closedPort / 256) + "," +
              std::to_string(closedPort % 256) + ").\r\n");
        s.drain();
    });
    Ftp ftp;
    expectFailedDownload(ftp, server.port(), Status::ConnectionFailed, Ftp::TransferMode::Ascii);
}

// Serves one listing through whatever address the PASV reply names.
void serveListing(Session& s, const std::string& passiveAddress)
{
    if (!s.openTransfer("NLST", passiveAddress))
        return;
    s.say("150 Here it comes.\r\n");
    s.data.send("one\r\ntwo\r\n", 10);
    s.data.disconnect();
    s.say("226 Done.\r\n");
    s.drain();
}

TEST_F(FtpHostileServerTest, PassiveAddressBehindNat)
{
    // A zero or private address that is not the server's: the data connection goes to the address
    // the control connection reached.
    for (const char* address : {"0,0,0,0", "10,9,8,7", "192,168,77,1"})
    {
        ScriptedServer server = greetingServer([address](Session& s) { serveListing(s, address); });
        Ftp ftp;
        connectAndLogin(ftp, server.port(), clientTimeout);
        const Ftp::ListingResponse listing = ftp.getDirectoryListing();
        EXPECT_EQ(listing.getStatus(), Status::ClosingDataConnection) << address;
        EXPECT_EQ(mivra::test::names(listing.getListing()), (std::vector<std::string>{"one", "two"})) << address;
    }
}

TEST_F(FtpHostileServerTest, ExtendedPassiveWhenPassiveIsRefused)
{
    ScriptedServer server = greetingServer([](Session& s) {
        if (s.nextCommand() != "PASV")
            return;
        s.say("502 PASV not implemented.\r\n");
        if (s.nextCommand() != "EPSV")
            return;
        s.openPassive();
        s.say("229 Entering Extended Passive Mode (|||" + std::to_string(s.dataListener.getLocalPort()) + "|)\r\n");
        if (!s.acceptData() || s.nextCommand() != "NLST")
            return;
        s.say("150 Here it comes.\r\n");
        s.data.send("only\r\n", 6);
        s.data.disconnect();
        s.say("226 Done.\r\n");
        s.drain();
    });
    Ftp ftp;
    connectAndLogin(ftp, server.port(), clientTimeout);
    const Ftp::ListingResponse listing = ftp.getDirectoryListing();
    EXPECT_TRUE(listing.isOk()) << listing.getStatus() << listing.getMessage();
    EXPECT_EQ(mivra::test::names(listing.getListing()), std::vector<std::string>{"only"});
}

// Starts a download of "file.bin" and sends part of it; what follows is the caller's.
bool startDownload(Session& s, const std::string& sizeReply)
{
    if (s.nextCommand().rfind("SIZE", 0) != 0)
        return false;
    s.say(sizeReply);
    if (!s.openTransfer("RETR file.bin"))
        return false;
    s.say("150 Opening data connection.\r\n");
    const std::string part(500, 'd');
    return s.data.send(part.data(), part.size()) == SocketStatus::Done;
}

TEST_F(FtpHostileServerTest, DataConnectionClosedMidTransferDespiteSuccessReply)
{
    ScriptedServer server = greetingServer([](Session& s) {
        if (!startDownload(s, "213 1000\r\n"))
            return;
        s.data.disconnect();
        s.say("226 Transfer complete.\r\n");
        while (s.nextCommand() == "NOOP")
            s.say("200 Ok.\r\n");
    });
    Ftp ftp;
    expectFailedDownload(ftp, server.port(), Status::ConnectionClosed);
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::Ok);
}

// A download is saved as every file the library saves: beside its target, then renamed over it. A
// symbolic link keeps pointing where it did, and the file it names gets the download; a link that
// names no file is refused, with one line, and left as it was. The new file keeps the old one's
// permission bits, never its setuid or setgid bits.
TEST_F(FtpHostileServerTest, DownloadOntoLinksAndFilesWithSpecialBits)
{
    struct Case
    {
        const char* name;
        bool link;          // file.bin is a link to real.bin
        bool dangling;      // which does not exist: the download is refused
        fs::perms mode;     // of the file there before
        fs::perms modeThen; // of the file that got the download
    };
    const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
    const fs::perms rwx = rw | fs::perms::owner_exec | fs::perms::group_exec;
    const Case cases[] = {
        {"plain file", false, false, rw, rw},
        {"setuid and setgid file", false, false, rwx | fs::perms::set_uid | fs::perms::set_gid, rwx},
        {"link to a file", true, false, rw, rw},
        {"dangling link", true, true, rw, rw},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const fs::path named = local.path() / "file.bin";
        const fs::path real = c.link ? local.path() / "real.bin" : named;
        fs::remove(local.path() / "real.bin");
        fs::remove(named);
        if (!c.dangling)
        {
            std::ofstream(real) << "old";
            fs::permissions(real, c.mode);
        }
        if (c.link)
            fs::create_symlink(real, named);

        ScriptedServer server = greetingServer([](Session& s) {
            if (!startDownload(s, "213 1000\r\n"))
                return;
            const std::string rest(500, 'd');
            s.data.send(rest.data(), rest.size());
            s.data.disconnect();
            s.say("226 Transfer complete.\r\n");
            if (s.nextCommand() == "QUIT") // answered, so that the client need not wait for its time-out
                s.say("221 Bye.\r\n");
        });
        mivra::test::DiagnosticCapture diagnostics;
        Ftp ftp;
        connectAndLogin(ftp, server.port(), clientTimeout);
        const Ftp::Response response = ftp.download("file.bin", local.path());
        ftp.disconnect();
        EXPECT_EQ(response.isOk(), !c.dangling) << response.getMessage();
        EXPECT_EQ(fs::is_symlink(named), c.link);
        if (!c.dangling)
        {
            EXPECT_EQ(fs::file_size(real), 1000u);
            EXPECT_EQ(fs::status(real).permissions(), c.modeThen);
            EXPECT_EQ(diagnostics.take(), std::vector<std::string>{});
        }
        else
        {
            EXPECT_FALSE(fs::exists(real));
            const std::vector<std::string> lines = diagnostics.take();
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NE(lines[0].find("file.bin: a symbolic link to " + real.string() + ", which names no file"),
                      std::string::npos)
                << lines[0];
        }
        EXPECT_EQ(entriesIn(local.path()), c.link && !c.dangling ? 2u : 1u);
    }
}

TEST_F(FtpHostileServerTest, SizeDependsOnTheTransferType)
{
    // After a listing the type is still ASCII, in which a server may count the size with CRLF line
    // ends. A binary download must compare against the binary size, not cut itself short.
    std::string contents;
    for (int line = 0; line < 100; ++line)
        contents += "123456789\n";
    ScriptedServer server = greetingServer([&contents](Session& s) {
        for (;;)
        {
            const std::string command = s.nextCommand();
            if (command.empty())
                return;
            if (command == "PASV")
            {
                s.say("227 Entering Passive Mode " + s.openPassive() + ".\r\n");
                if (!s.acceptData())
                    return;
            }
            else if (command == "NLST")
            {
                s.say("150 Listing.\r\n");
                s.data.send("file.bin\r\n", 10);
                s.data.disconnect();
                s.say("226 Done.\r\n");
            }
            else if (command == "SIZE file.bin")
                s.say(s.type == "A" ? "213 1100\r\n" : "213 1000\r\n");
            else if (command == "RETR file.bin")
            {
                s.say("150 Sending.\r\n");
                s.data.send(contents.data(), contents.size());
                s.data.disconnect();
                s.say("226 Transfer complete.\r\n");
            }
            else
                s.say("502 Not here.\r\n");
        }
    });
    Ftp ftp;
    connectAndLogin(ftp, server.port(), clientTimeout);
    ASSERT_EQ(mivra::test::names(ftp.getDirectoryListing().getListing()), std::vector<std::string>{"file.bin"});
    const Ftp::Response response = ftp.download("file.bin", local.path());
    EXPECT_EQ(response.getStatus(), Status::ClosingDataConnection) << response.getMessage();
    std::ifstream file(local.path() / "file.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), contents);
}

TEST_F(FtpHostileServerTest, DataConnectionAbortedByTheServer)
{
    ScriptedServer server = greetingServer([](Session& s) {
        if (!startDownload(s, "502 No SIZE here.\r\n"))
            return;
        s.data.disconnect();
        s.say("426 Connection closed; transfer aborted.\r\n");
        s.drain();
    });
    Ftp ftp;
    expectFailedDownload(ftp, server.port(), Status::TransferAborted);
}

TEST_F(FtpHostileServerTest, ControlConnectionClosedMidTransfer)
{
    ScriptedServer server = greetingServer([](Session& s) {
        if (!startDownload(s, "213 1000\r\n"))
            return;
        s.control.disconnect();
        s.data.disconnect();
    });
    Ftp ftp;
    expectFailedDownload(ftp, server.port(), Status::ConnectionClosed);
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpHostileServerTest, ControlConnectionClosedMidCommand)
{
    ScriptedServer server = greetingServer([](Session& s) {
        s.nextCommand();
        s.say("25");
        s.control.disconnect();
    });
    Ftp ftp;
    connectAndLogin(ftp, server.port(), clientTimeout);
    EXPECT_EQ(ftp.deleteFile("x").getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpHostileServerTest, StalledDownload)
{
    ScriptedServer server = greetingServer([](Session& s) {
        if (!startDownload(s, "213 1000\r\n"))
            return;
        s.drain(); // keeps the data connection open and silent
    });
    Ftp ftp;
    expectFailedDownload(ftp, server.port(), Status::ConnectionClosed);
}

// Accepts an upload and asks for the data; what follows is the caller's.
bool startUpload(Session& s)
{
    if (s.nextCommand() != "PASV")
        return false;
    s.say("227 Entering Passive Mode " + s.openPassive() + ".\r\n");
    if (!s.acceptData() || s.nextCommand().rfind("STOR", 0) != 0)
        return false;
    s.say("150 Send it.\r\n");
    return true;
}

TEST_F(FtpHostileServerTest, StalledUpload)
{
    ScriptedServer server = greetingServer([](Session& s) {
        if (!startUpload(s))
            return;
        s.drain(); // never reads the data
    });
    expectFailedUpload(server.port(), Status::ConnectionClosed);
}
TEST_F(FtpHostileServerTest, DataConnectionClosedMidUpload)
{
    // The client must survive writing into a connection the server has closed (no SIGPIPE) and
    // report the server's verdict.
    ScriptedServer server = greetingServer([](Session& s) {
        if (!startUpload(s))
            return;
        char buffer[4096];
        std::size_t received = 0;
        s.data.receive(buffer, sizeof(buffer), received);
        s.data.disconnect();
        s.say("426 Connection closed; transfer aborted.\r\n");
        s.drain();
    });
    expectFailedUpload(server.port(), Status::TransferAborted);
}
} // namespace
