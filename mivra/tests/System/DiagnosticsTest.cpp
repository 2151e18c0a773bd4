#include <mivra/System/Diagnostics.hpp>

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <memory>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace
{
using namespace std::chrono_literals;

// Runs body on a thread of its own and ends the whole test program when it has not returned
// within a generous time: a deadlock in the sink must fail the test, not hang it.
void finishesWithoutDeadlock(const std::function<void()>& body)
{
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread([&body, &done] {
        body();
        done.set_value();
    }).detach();
    if (finished.wait_for(20s) != std::future_status::ready)
    {
        std::fputs("DiagnosticsTest: the sink deadlocked\n", stderr);
        std::abort();
    }
}

// The text followed by the number (built up so, not by adding to a literal: GCC 12 warns about that).
std::string numbered(std::string text, int number)
{
    text += std::to_string(number);
    return text;
}

// Swaps a handler in for the scope of one test and puts the previous one back.
class HandlerScope
{
public:
    explicit HandlerScope(mivra::DiagnosticHandler handler)
        : m_previous(mivra::setDiagnosticHandler(std::move(handler)))
    {
    }
    ~HandlerScope() { mivra::setDiagnosticHandler(std::move(m_previous)); }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    mivra::DiagnosticHandler m_previous;
};

TEST(DiagnosticsTest, HandlerReceivesOneFormattedLinePerReport)
{
    std::vector<std::string> lines;
    const mivra::DiagnosticHandler previous =
        mivra::setDiagnosticHandler([&](std::string_view line) { lines.emplace_back(line); });

    mivra::reportDiagnostic("Failed to open file", "sounds/missing.wav", "No such file or directory");
    mivra::reportDiagnostic("Failed to connect", "127.0.0.1:21");
    mivra::reportDiagnostic("Audio device lost", {}, "driver stopped");

    mivra::setDiagnosticHandler(previous);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "mivra: Failed to open file: sounds/missing.wav: No such file or directory");
    EXPECT_EQ(lines[1], "mivra: Failed to connect: 127.0.0.1:21");
    EXPECT_EQ(lines[2], "mivra: Audio device lost: driver stopped");
}

TEST(DiagnosticsTest, EmptyHandlerSilencesAndPreviousHandlerComesBack)
{
    std::vector<std::string> lines;
    const mivra::DiagnosticHandler original =
        mivra::setDiagnosticHandler([&](std::string_view line) { lines.emplace_back(line); });

    const mivra::DiagnosticHandler collecting = mivra::setDiagnosticHandler({});
    mivra::reportDiagnostic("silenced");
    EXPECT_TRUE(lines.empty());

    mivra::setDiagnosticHandler(collecting);
    mivra::reportDiagnostic("heard");
    mivra::setDiagnosticHandler(original);
    EXPECT_EQ(lines, std::vector<std::string>{"mivra: heard"});
}

TEST(DiagnosticsTest, HandlerMayReportLinesThatFollowItsOwn)
{
    // Each call is recorded as it starts and as it returns: a line reported from inside the
    // handler must wait for the call that reported it to return, never re-enter the handler.
    std::vector<std::string> calls;
    const HandlerScope scope([&](std::string_view line) {
        calls.push_back("enter " + std::string(line));
        if (line == "mivra: outer")
        {
            mivra::reportDiagnostic("inner", "first");
            mivra::reportDiagnostic("inner", "second");
        }
        calls.push_back("leave " + std::string(line));
    });

    finishesWithoutDeadlock([] { mivra::reportDiagnostic("outer"); });
    EXPECT_EQ(calls, (std::vector<std::string>{"enter mivra: outer", "leave mivra: outer", "enter mivra: inner: first",
                                               "leave mivra: inner: first", "enter mivra: inner: second",
                                               "leave mivra: inner: second"}));
}

TEST(DiagnosticsTest, HandlerMaySetAndPutBackHandlers)
{
    std::vector<std::string> lines;
    const HandlerScope scope([&](std::string_view line) { lines.emplace_back(line); });

    finishesWithoutDeadlock([&] {
        // A handler that silences the library for one line, then puts the previous handler back
        // while it runs; what it captured must outlive its own replacement.
        auto previous = std::make_shared<mivra::DiagnosticHandler>();
        const std::string tag(64, 'x'); // beyond the small-string buffer, so a freed copy shows
        *previous = mivra::setDiagnosticHandler([previous, tag, &lines](std::string_view line) {
            mivra::setDiagnosticHandler(*previous);
            lines.push_back(tag.substr(0, 3) + std::string(line));
        });
        mivra::reportDiagnostic("silenced once");
        mivra::reportDiagnostic("heard again");

        // A handler that hands over to another one, which reports through the new handler.
        mivra::DiagnosticHandler collector = mivra::setDiagnosticHandler({});
        mivra::setDiagnosticHandler([&](std::string_view line) {
            mivra::setDiagnosticHandler(collector);
            mivra::reportDiagnostic("forwarded", std::string(line));
        });
        mivra::reportDiagnostic("handed over");
    });
    EXPECT_EQ(lines, (std::vector<std::string>{"xxxmivra: silenced once", "mivra: heard again",
                                               "mivra: forwarded: mivra: handed over"}));
}

TEST(DiagnosticsTest, HandlerReplacedFromAnotherThreadFinishesFirst)
{
    std::atomic<bool> entered = false;
    std::atomic<bool> release = false;
    std::atomic<bool> finished = false;
    const HandlerScope scope([&](std::string_view) {
        entered = true;
        while (!release)
            std::this_thread::sleep_for(1ms);
        finished = true;
    });

    std::thread reporter([] { mivra::reportDiagnostic("slow"); });
    while (!entered)
        std::this_thread::sleep_for(1ms);
    std::atomic<bool> finishedWhenReplaced = false;
    std::thread replacer([&] {
        mivra::DiagnosticHandler slow = mivra::setDiagnosticHandler({});
        finishedWhenReplaced = finished.load();
        mivra::setDiagnosticHandler(std::move(slow));
    });
    // Gives a sink that does not wait the time to return early.
    std::this_thread::sleep_for(50ms);
    release = true;
    reporter.join();
    replacer.join();
    EXPECT_TRUE(finishedWhenReplaced);
}

TEST(DiagnosticsTest, LinesFromSeveralThreadsNeverInterleave)
{
    constexpr int threads = 4;
    constexpr int linesPerThread = 300;
    const std::string subject(200, 's');
    auto reportFromThreads = [&] {
        std::vector<std::thread> reporters;
        for (int t = 0; t < threads; ++t)
            reporters.emplace_back([&, t] {
                for (int i = 0; i < linesPerThread; ++i)
                    mivra::reportDiagnostic(numbered("thread ", t), subject, numbered("line ", i));
            });
        for (std::thread& reporter : reporters)
            reporter.join();
    };
    auto expectWholeLines = [&](const std::vector<std::string>& lines) {
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(threads * linesPerThread));
        std::vector<int> next(threads, 0);
        for (const std::string& line : lines)
        {
            const int t = line.size() > 14 ? line[14] - '0' : -1;
            ASSERT_TRUE(t >= 0 && t < threads) << line;
            ASSERT_EQ(line, numbered("mivra: thread ", t) + ": " + subject +
                                numbered(": line ", next[static_cast<std::size_t>(t)]++));
        }
    };

    // A handler that is not thread-safe itself is never called twice at once.
    {
        std::vector<std::string> lines;
        std::atomic<int> inside = 0;
        int mostInside = 0;
        const HandlerScope scope([&](std::string_view line) {
            mostInside = std::max(mostInside, ++inside);
            std::this_thread::yield(); // widens the window in which a second call would overlap
            lines.emplace_back(line);
            --inside;
        });
        reportFromThreads();
        EXPECT_EQ(mostInside, 1);
        expectWholeLines(lines);
    }

    // The default handler writes whole lines to standard error.
    std::FILE* capture = std::tmpfile();
    ASSERT_NE(capture, nullptr);
    std::fflush(stderr);
    const int savedStderr = ::dup(STDERR_FILENO);
    ASSERT_GE(savedStderr, 0);
    ::dup2(::fileno(capture), STDERR_FILENO);
    reportFromThreads();
    std::fflush(stderr);
    ::dup2(savedStderr, STDERR_FILENO);
    ::close(savedStderr);

    std::rewind(capture);
    std::vector<std::string> written;
    std::string current;
    for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture))
    {
        if (c == '\n')
            written.push_back(std::exchange(current, {}));
        else
            current += static_cast<char>(c);
    }
    std::fclose(capture);
    EXPECT_TRUE(current.empty());
    expectWholeLines(written);
}
} // namespace
