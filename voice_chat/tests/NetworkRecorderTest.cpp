// The client's recorder against a server that accepts the connection and never reads it: the
// capture must end on its own once a send cannot complete, and a stop() must not wait for a send
// that never completes.
#include "NetworkRecorder.hpp"

#include "../../mivra/tests/Support/DiagnosticCapture.hpp"

#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>
#include <mivra/System/Sleep.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <sys/ioctl.h>

namespace
{
using Clock = std::chrono::steady_clock;

// Capture through SDL's disk driver, about twenty times faster than real time, from an input that
// is all silence: the kernel's buffers fill in seconds instead of the half minute a real microphone
// takes. Set before anything opens audio.
const bool configured = [] {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    ::setenv("SDL_DISKAUDIOFILEIN", "/dev/null", 1);
    ::setenv("SDL_DISKAUDIODELAY", "1", 1);
    return true;
}();

// Tells how long the samples hook under way has been running.
class WatchedRecorder : public NetworkRecorder
{
public:
    using NetworkRecorder::NetworkRecorder;
    ~WatchedRecorder() override { stop(); }

    // Milliseconds the current samples hook has been running; 0 outside one.
    long long hookRunningMs() const
    {
        const long long since = m_hookSince;
        if (since == 0)
            return 0;
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count() - since;
    }

protected:
    bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) override
    {
        m_hookSince = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
        const bool more = NetworkRecorder::onCapturedSamples(samples, sampleCount);
        m_hookSince = 0;
        return more;
    }

private:
    std::atomic<long long> m_hookSince{0};
};

// A server that takes the connection and never reads from it.
struct StalledServer
{
    mivra::TcpListener listener;
    mivra::TcpSocket connection;

    StalledServer()
    {
        EXPECT_EQ(listener.listen(mivra::Socket::AnyPort, mivra::IpAddress::LocalHost), mivra::Socket::Status::Done);
    }
    unsigned short port() const { return listener.getLocalPort(); }
    void accept() { EXPECT_EQ(listener.accept(connection), mivra::Socket::Status::Done); }
    // Bytes that arrived and wait to be read.
    int waiting() const
    {
        int bytes = 0;
        return ::ioctl(connection.getNativeHandle(), FIONREAD, &bytes) == 0 ? bytes : 0;
    }
};

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!condition())
    {
        if (Clock::now() > deadline)
            return false;
        mivra::sleep(mivra::milliseconds(5));
    }
    return true;
}

// Standard error without the notices of SDL's disk driver, which a real device does not print.
std::string programErrors(const std::string& captured)
{
    std::string kept;
    std::size_t start = 0;
    while (start < captured.size())
    {
        std::size_t end = captured.find('\n', start);
        end = end == std::string::npos ? captured.size() : end + 1;
        const std::string line = captured.substr(start, end - start);
        if (!line.starts_with("CRITICAL: "))
            kept += line;
        start = end;
    }
    return kept;
}

void expectTimeOutLines(const std::vector<std::string>& lines, unsigned short port, int timeoutMs = 500)
{
    // The drop line shows when the capture, faster than real time here, outran the stalled send.
    const std::string timedOut = "mivra: cannot send to the TCP peer 127.0.0.1:" + std::to_string(port) +
                                 ": timed out after " + std::to_string(timeoutMs) + " ms; connection closed";
    EXPECT_THAT(lines, testing::Contains(timedOut));
    for (const auto& line : lines)
        EXPECT_TRUE(line == timedOut || line.starts_with("mivra: captured audio dropped: ")) << line;
}
} // namespace

TEST(NetworkRecorder, StalledServerEndsTheCapture)
{
    StalledServer server;
    mivra::test::DiagnosticCapture diagnostics;
    WatchedRecorder recorder(mivra::IpAddress::LocalHost, server.port());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(recorder.start(44100));
    server.accept();
    // Megabytes of audio go into the kernel's buffers first; then one send times out.
    const bool ended = waitFor([&] { return !recorder.isCapturing(); }, std::chrono::seconds(60));
    if (!ended)
    {
        testing::internal::GetCapturedStdout(); // or the failure's message would be swallowed
        testing::internal::GetCapturedStderr();
        ADD_FAILURE() << "the capture still runs a minute after the server stopped reading";
        std::_Exit(1); // the recorder's thread is stuck in a send
    }
    recorder.stop();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Connected to server 127.0.0.1\n");
    EXPECT_EQ(programErrors(testing::internal::GetCapturedStderr()), "Failed to send end-of-stream packet\n");
    expectTimeOutLines(diagnostics.take(), server.port());
}

TEST(NetworkRecorder, StopWhileASendIsStalledReturns)
{
    StalledServer server;
    mivra::test::DiagnosticCapture diagnostics;
    // A longer time-out than the program's, so that a loaded machine cannot make the test miss the
    // stall it waits for: a time-out ends it, and there is only one.
    WatchedRecorder recorder(mivra::IpAddress::LocalHost, server.port(), mivra::seconds(3));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(recorder.start(44100));
    server.accept();
    // Stalled: data waits unread at the server and a send has been waiting for a tenth of a second.
    const bool stalled = waitFor([&] { return server.waiting() > 50'000 && recorder.hookRunningMs() >= 100; },
                                 std::chrono::seconds(60));
    if (!stalled)
    {
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        FAIL() << "no send ever stalled";
    }

    // What Enter does at "Recording... press enter to stop".
    std::atomic<bool> stopped{false};
    const auto start = Clock::now();
    std::thread stopper([&] {
        recorder.stop();
        stopped = true;
    });
    if (!waitFor([&] { return stopped.load(); }, std::chrono::seconds(20)))
    {
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        ADD_FAILURE() << "stop() did not return within 20 seconds of a stalled send";
        std::_Exit(1);
    }
    stopper.join();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_FALSE(recorder.isCapturing());
    testing::internal::GetCapturedStdout();
    std::printf("stop() with a stalled send took %lld ms\n", static_cast<long long>(took));
    EXPECT_EQ(programErrors(testing::internal::GetCapturedStderr()), "Failed to send end-of-stream packet\n");
    expectTimeOutLines(diagnostics.take(), server.port(), 3000);
}
