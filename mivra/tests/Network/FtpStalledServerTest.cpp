// The FTP client against servers that hold it without ever failing outright: replies trickled one
// byte at a time, endless preliminary replies, a server that stops reading, transfers that crawl.
// Each must end within the operation's deadline (or the transfer's floor rate), where a client
// that restarts its wait on every byte would hang for as long as the server likes.
//
// The checks on elapsed time are far from the time-outs (a hang lasts the scripted server's whole
// patience, ten seconds and more): they tell "bounded" from "held", not fast from slow.

#include <mivra/Network/Ftp.hpp>

#include "FtpServerProcess.hpp"
#include "ScriptedFtpServer.hpp"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>

namespace
{
using namespace mivra::test::ftp;
using Clock = std::chrono::steady_clock;

const mivra::Time clientTimeout = mivra::seconds(2);
// Well past the client's time-out and well short of the scripted servers' patience.
constexpr auto bounded = std::chrono::seconds(6);
// How long a scripted server keeps a client held before it gives up by itself.
constexpr auto patience = std::chrono::seconds(15);

// Sends text one byte every interval until the client hangs up or the server's patience ends.
void trickle(mivra::TcpSocket& socket, const std::string& text, std::chrono::milliseconds interval)
{
    const auto end = Clock::now() + patience;
    for (std::size_t i = 0; Clock::now() < end; i = (i + 1) % text.size())
    {
        if (socket.send(&text[i], 1) != SocketStatus::Done)
            return;
        std::this_thread::sleep_for(interval);
    }
}

TEST(FtpStalledServerTest, TrickledReplyFailsAtTheDeadline)
{
    // Never a line end: each byte alone would satisfy a wait that starts over.
    ScriptedServer greeting([](Session& s) { trickle(s.control, "220 Welcome", std::chrono::milliseconds(200)); });
    Ftp ftp;
    auto start = Clock::now();
    EXPECT_EQ(ftp.connect(IpAddress::LocalHost, greeting.port(), clientTimeout).getStatus(), Status::ConnectionClosed);
    EXPECT_LT(Clock::now() - start, bounded);

    // The same for the reply to a command, counted from the command.
    ScriptedServer reply = greetingServer([](Session& s) {
        s.nextCommand();
        trickle(s.control, "200 Fine", std::chrono::milliseconds(200));
    });
    Ftp other;
    connectAndLogin(other, reply.port(), clientTimeout);
    start = Clock::now();
    EXPECT_EQ(other.keepAlive().getStatus(), Status::ConnectionClosed);
    EXPECT_LT(Clock::now() - start, bounded);
}

TEST(FtpStalledServerTest, FloodOfPreliminaryRepliesIsRefused)
{
    ScriptedServer server([](Session& s) {
        const std::string soon = "120 Ready in a moment.\r\n";
        for (int i = 0; i < 100000; ++i)
            if (s.control.send(soon.data(), soon.size()) != SocketStatus::Done)
                return;
        s.say("220 Ready.\r\n");
        s.drain();
    });
    Ftp ftp;
    const Ftp::Response response = ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout);
    EXPECT_EQ(response.getStatus(), Status::InvalidResponse) << response.getMessage();
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::ConnectionClosed);
}

TEST(FtpStalledServerTest, AFewPreliminaryRepliesAreFine)
{
    ScriptedServer server([](Session& s) {
        s.say("120 Ready in a moment.\r\n120 Nearly there.\r\n220 Ready.\r\n");
        s.drain();
    });
    Ftp ftp;
    EXPECT_EQ(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).getStatus(), Status::ServiceReady);
}

TEST(FtpStalledServerTest, PreliminaryReplyAfterATransferIsNotItsEnd)
{
    // "150" again once the data has come: only the 226 after it confirms the transfer, and a
    // flood of such replies fails it.
    for (const int extra : {1, 50})
    {
        ScriptedServer server = greetingServer([extra](Session& s) {
            if (!s.openTransfer("NLST"))
                return;
            s.say("150 Here it comes.\r\n");
            s.data.send("name\r\n", 6);
            s.data.disconnect();
            for (int i = 0; i < extra; ++i)
                s.say("150 Still busy.\r\n");
            s.say("226 Done.\r\n");
            s.drain();
        });
        Ftp ftp;
        connectAndLogin(ftp, server.port(), clientTimeout);
        const Ftp::ListingResponse listing = ftp.getDirectoryListing();
        if (extra == 1)
        {
            EXPECT_EQ(listing.getStatus(), Status::ClosingDataConnection) << listing.getMessage();
            EXPECT_EQ(listing.getListing().size(), 1u);
        }
        else
        {
            EXPECT_EQ(listing.getStatus(), Status::InvalidResponse) << listing.getMessage();
            EXPECT_TRUE(listing.getListing().empty());
        }
    }
}

void ignoreSignal(int)
{
}

TEST(FtpStalledServerTest, SignalsDoNotRestartTheWait)
{
    // A signal every 200 ms, far more often than the time-out: a wait restarted after each never
    // ends.
    struct sigaction action
    {};
    action.sa_handler = ignoreSignal;
    struct sigaction previous
    {};
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    const pthread_t waiter = ::pthread_self();
    std::atomic<bool> done{false};
    std::thread signaller([&] {
        for (const auto end = Clock::now() + patience; !done && Clock::now() < end;)
        {
            ::pthread_kill(waiter, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });

    ScriptedServer silent([](Session& s) { s.drain(); });
    Ftp ftp;
    const auto start = Clock::now();
    EXPECT_EQ(ftp.connect(IpAddress::LocalHost, silent.port(), clientTimeout).getStatus(), Status::ConnectionClosed);
    EXPECT_LT(Clock::now() - start, bounded);
    done = true;
    signaller.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
}

TEST(FtpStalledServerTest, ServerThatStopsReadingCommands)
{
    // A command longer than the socket buffers can hold, to a server that never reads.
    std::promise<void> clientDone;
    std::future<void> released = clientDone.get_future();
    ScriptedServer server = greetingServer([&released](Session&) { released.wait_for(patience); });
    Ftp ftp;
    ASSERT_EQ(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).getStatus(), Status::ServiceReady);
    // Made before the clock starts: filling 32 MiB is no part of the wait, and under a sanitizer on
    // a starved core it took seconds of its own.
    const std::string argument(32 * 1024 * 1024, 'x');
    const auto start = Clock::now();
    EXPECT_EQ(ftp.sendCommand("SITE", argument).getStatus(), Status::ConnectionClosed);
    EXPECT_LT(Clock::now() - start, bounded);
    clientDone.set_value();
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::ConnectionClosed);
}

// Serves "file.bin" (binary, its size announced) through send, which decides the pace.
ScriptedServer downloadServer(std::size_t size, std::function<void(Session&)> send)
{
    return greetingServer([size, send = std::move(send)](Session& s) {
        if (s.nextCommand() != "SIZE file.bin")
            return;
        s.say("213 " + std::to_string(size) + "\r\n");
        if (!s.openTransfer("RETR file.bin"))
            return;
        s.say("150 Sending.\r\n");
        send(s);
        s.data.disconnect();
        s.say("226 Transfer complete.\r\n");
        s.drain();
    });
}

// Sends size bytes of 'd' in pieces of the given size, one piece every interval; stops early when
// the client has gone.
void sendPaced(Session& s, std::size_t size, std::size_t piece, std::chrono::milliseconds interval)
{
    const std::string block(piece, 'd');
    for (std::size_t sent = 0; sent < size; sent += piece)
    {
        if (s.data.send(block.data(), std::min(piece, size - sent)) != SocketStatus::Done)
            return;
        std::this_thread::sleep_for(interval);
    }
}

TEST(FtpStalledServerTest, TransferBelowTheFloorRateEnds)
{
    // 50 bytes a second: always moving, never fast enough to count as a transfer.
    const mivra::test::TempDir local;
    const std::size_t size = 750;
    ScriptedServer server =
        downloadServer(size, [size](Session& s) { sendPaced(s, size, 10, std::chrono::milliseconds(200)); });
    Ftp ftp;
    connectAndLogin(ftp, server.port(), clientTimeout);
    const auto start = Clock::now();
    const Ftp::Response response = ftp.download("file.bin", local.path());
    EXPECT_EQ(response.getStatus(), Status::ConnectionClosed) << response.getMessage();
    EXPECT_LT(Clock::now() - start, bounded);
    EXPECT_EQ(entriesIn(local.path()), 0u);
}

TEST(FtpStalledServerTest, SlowButMovingTransferGoesOn)
{
    // 16 KiB a second for two time-outs: slow, but above the floor.
    const mivra::test::TempDir local;
    const std::size_t size = 64 * 1024;
    ScriptedServer server =
        downloadServer(size, [size](Session& s) { sendPaced(s, size, 4096, std::chrono::milliseconds(250)); });
    Ftp ftp;
    connectAndLogin(ftp, server.port(), clientTimeout);
    const Ftp::Response response = ftp.download("file.bin", local.path());
    EXPECT_EQ(response.getStatus(), Status::ClosingDataConnection) << response.getMessage();
    EXPECT_EQ(fs::file_size(local.path() / "file.bin"), size);
}

TEST(FtpStalledServerTest, UploadOfAFifoIsRefusedWithoutWaitingForAWriter)
{
    const mivra::test::TempDir local;
    const fs::path fifo = local.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Lets a client blocked in opening the FIFO go after a while, so that a failure ends.
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (const auto end = Clock::now() + patience; !done && Clock::now() < end;)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const int handle = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (handle != -1)
            ::close(handle);
    });

    ScriptedServer server = greetingServer([](Session& s) { s.drain(); });
    Ftp ftp;
    ASSERT_EQ(ftp.connect(IpAddress::LocalHost, server.port(), clientTimeout).getStatus(), Status::ServiceReady);
    const auto start = Clock::now();
    const Ftp::Response response = ftp.upload(fifo, "");
    EXPECT_EQ(response.getStatus(), Status::InvalidFile) << response.getMessage();
    EXPECT_LT(Clock::now() - start, bounded);
    done = true;
    writer.join();
}
} // namespace
