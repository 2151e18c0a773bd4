#include "AudioTestSupport.hpp"
#include "../Support/DiagnosticCapture.hpp"

#include <mivra/Audio/SoundBufferRecorder.hpp>
#include <mivra/Audio/SoundRecorder.hpp>
#include <mivra/System/Sleep.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <set>
#include <string>
#include <thread>

using namespace mivra::test;

namespace
{
// Records hook calls, their threads and their samples; can refuse to start or end the capture
// after a number of samples. Its stop hook dawdles, so that a stop() that does not wait for it
// shows.
class ProbeRecorder : public mivra::SoundRecorder
{
public:
    ~ProbeRecorder() override { stop(); }

    bool refuseStart{false};
    std::size_t endAfter{std::numeric_limits<std::size_t>::max()};

    std::vector<std::string> events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<std::int16_t> samples() const
    {
        std::lock_guard lock(m_mutex);
        return m_samples;
    }
    std::set<std::thread::id> sampleThreads() const
    {
        std::lock_guard lock(m_mutex);
        return m_threads;
    }
    std::thread::id startThread() const
    {
        std::lock_guard lock(m_mutex);
        return m_startThread;
    }
    bool overlapped() const { return m_overlapped; }

protected:
    bool onCaptureStart() override
    {
        enter("start");
        std::lock_guard lock(m_mutex);
        m_startThread = std::this_thread::get_id();
        m_inHook = false;
        return !refuseStart;
    }
    bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) override
    {
        enter("samples");
        std::lock_guard lock(m_mutex);
        m_samples.insert(m_samples.end(), samples, samples + sampleCount);
        m_threads.insert(std::this_thread::get_id());
        m_inHook = false;
        return m_samples.size() < endAfter;
    }
    void onCaptureStop() override
    {
        enter("");
        mivra::sleep(mivra::milliseconds(50));
        std::lock_guard lock(m_mutex);
        m_events.back() = "stop";
        m_inHook = false;
    }

private:
    void enter(const std::string& event)
    {
        if (m_inHook.exchange(true))
            m_overlapped = true;
        std::lock_guard lock(m_mutex);
        if (m_events.empty() || m_events.back() != event || event != "samples")
            m_events.push_back(event);
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_events; // consecutive batches show as one "samples"
    std::vector<std::int16_t> m_samples;
    std::set<std::thread::id> m_threads;
    std::thread::id m_startThread;
    std::atomic<bool> m_inHook{false};
    std::atomic<bool> m_overlapped{false};
};

// Counts what passes through, to know when the input has been read.
class CountingBufferRecorder : public mivra::SoundBufferRecorder
{
public:
    ~CountingBufferRecorder() override { stop(); }
    std::atomic<std::size_t> captured{0};

protected:
    bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) override
    {
        captured += sampleCount;
        return SoundBufferRecorder::onCapturedSamples(samples, sampleCount);
    }
};

std::vector<std::int16_t> head(const std::vector<std::int16_t>& samples, std::size_t count)
{
    return {samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(std::min(count, samples.size()))};
}
} // namespace

// start() runs the start hook on the calling thread; batches follow on one capture thread, in
// order, holding exactly the device's input; stop() returns only after the stop hook has finished,
// and a second stop() does nothing.
TEST(SoundRecorder, HooksRunInOrderAndStopWaitsForTheLast)
{
    const auto input = distinctSamples(22050, 21);
    writeInput(input);
    ProbeRecorder recorder;
    ASSERT_TRUE(recorder.start(44100));
    EXPECT_TRUE(recorder.isCapturing());
    EXPECT_EQ(recorder.getSampleRate(), 44100u);
    ASSERT_TRUE(waitUntil([&] { return recorder.samples().size() > input.size() + 4410; }));
    recorder.stop();
    EXPECT_EQ(recorder.events(), (std::vector<std::string>{"start", "samples", "stop"}));
    EXPECT_FALSE(recorder.isCapturing());

    const auto samples = recorder.samples();
    EXPECT_EQ(head(samples, input.size()), input);
    EXPECT_TRUE(std::all_of(samples.begin() + static_cast<std::ptrdiff_t>(input.size()), samples.end(),
                            [](std::int16_t s) { return s == 0; }))
        << "the input file ended; the device reads silence after it";
    EXPECT_EQ(recorder.startThread(), std::this_thread::get_id());
    const auto threads = recorder.sampleThreads();
    EXPECT_EQ(threads.size(), 1u);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);

    recorder.stop();
    EXPECT_EQ(recorder.events().size(), 3u);
    EXPECT_FALSE(recorder.overlapped());
}

TEST(SoundRecorder, RefusedStartFailsWithoutFurtherHooks)
{
    ProbeRecorder recorder;
    recorder.refuseStart = true;
    EXPECT_FALSE(recorder.start(44100));
    EXPECT_FALSE(recorder.isCapturing());
    mivra::sleep(mivra::milliseconds(50));
    recorder.stop();
    EXPECT_EQ(recorder.events(), std::vector<std::string>{"start"});
}

// A samples hook returning false ends the capture: the stop hook runs once on its own, a later
// stop() adds nothing, and the recorder can start again.
TEST(SoundRecorder, SamplesHookEndsTheCapture)
{
    writeInput(distinctSamples(8000, 22));
    ProbeRecorder recorder;
    recorder.endAfter = 1000;
    ASSERT_TRUE(recorder.start(44100));
    ASSERT_TRUE(waitUntil([&] { return !recorder.isCapturing(); }));
    EXPECT_EQ(recorder.events(), (std::vector<std::string>{"start", "samples", "stop"}));
    const std::size_t captured = recorder.samples().size();
    mivra::sleep(mivra::milliseconds(30));
    EXPECT_EQ(recorder.samples().size(), captured) << "batches came after the hook said stop";
    recorder.stop();
    EXPECT_EQ(recorder.events().size(), 3u);

    recorder.endAfter = std::numeric_limits<std::size_t>::max();
    ASSERT_TRUE(recorder.start(22050));
    recorder.stop();
    const auto events = recorder.events();
    EXPECT_EQ(events.back(), "stop");
    EXPECT_EQ(std::count(events.begin(), events.end(), "start"), 2);
}

TEST(SoundRecorder, DevicesAndInvalidRequests)
{
    EXPECT_TRUE(mivra::SoundRecorder::isAvailable());
    const auto devices = mivra::SoundRecorder::getAvailableDevices();
    ASSERT_FALSE(devices.empty());
    EXPECT_THAT(devices, testing::Contains(mivra::SoundRecorder::getDefaultDevice()));

    ProbeRecorder recorder;
    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(recorder.setDevice("no such microphone"));
    EXPECT_THAT(diagnostics.take(),
                testing::ElementsAre("mivra: cannot change the capture device: no such microphone: no such device"));
    EXPECT_TRUE(recorder.setDevice(devices.front()));
    EXPECT_EQ(recorder.getDevice(), devices.front());

    recorder.setChannelCount(3);
    EXPECT_EQ(recorder.getChannelCount(), 1u);
    EXPECT_THAT(diagnostics.take(),
                testing::ElementsAre("mivra: cannot set the capture channel count: " + devices.front() +
                                     ": only 1 or 2 channels can be captured, not 3"));

    EXPECT_FALSE(recorder.start(0));
    EXPECT_EQ(diagnostics.take().size(), 1u);
    EXPECT_TRUE(recorder.events().empty());

    ASSERT_TRUE(recorder.start(44100));
    EXPECT_FALSE(recorder.start(44100)) << "a second start while capturing";
    EXPECT_FALSE(recorder.setDevice(devices.front())) << "a device change while capturing";
    EXPECT_THAT(diagnostics.take(),
                testing::ElementsAre(
                    "mivra: cannot start capture: " + devices.front() + ": this recorder is already capturing",
                    "mivra: cannot change the capture device: " + devices.front() + ": the recorder is capturing"));
    recorder.stop();
}

namespace
{
// A hook that takes a quarter of its batch's duration: fast enough for a microphone, but slower
// than the test's device, which captures about six times faster than real time.
class SlowRecorder : public mivra::SoundRecorder
{
public:
    ~SlowRecorder() override { stop(); }

    std::atomic<std::size_t> calls{0};
    std::atomic<std::size_t> largestBatch{0};
    std::atomic<bool> stopping{false};
    std::atomic<std::size_t> callsWhileStopping{0};
    std::atomic<bool> stopHookRan{false};

protected:
    bool onCapturedSamples(const std::int16_t*, std::size_t sampleCount) override
    {
        if (stopping)
            ++callsWhileStopping;
        largestBatch = std::max<std::size_t>(largestBatch, sampleCount);
        ++calls;
        mivra::sleep(mivra::microseconds(static_cast<std::int64_t>(sampleCount) * 1'000'000 / (4 * 44100) + 1000));
        return true;
    }
    void onCaptureStop() override { stopHookRan = true; }
};
} // namespace

// A hook that cannot keep up: the waiting audio stays within two seconds (the rest is dropped, with
// one line), and stop() ends after at most one more batch instead of chasing a device that never
// stops delivering.
TEST(SoundRecorder, SlowHookKeepsABoundedBacklogAndStopEnds)
{
    writeInput(distinctSamples(44100, 24));
    mivra::test::DiagnosticCapture diagnostics;
    SlowRecorder recorder;
    ASSERT_TRUE(recorder.start(44100));
    // The backlog grows by half with every batch until it reaches its bound; a few batches more.
    ASSERT_TRUE(waitUntil([&] { return recorder.largestBatch >= std::size_t{2} * 44100; }));
    const std::size_t calls = recorder.calls;
    ASSERT_TRUE(waitUntil([&] { return recorder.calls >= calls + 2; }));

    recorder.stopping = true;
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        recorder.stop();
        stopped = true;
    });
    if (!waitUntil([&] { return stopped.load(); }, mivra::seconds(20)))
    {
        ADD_FAILURE() << "stop() did not return within 20 seconds";
        std::_Exit(1); // the stuck thread would keep the process from ending
    }
    stopper.join();
    EXPECT_TRUE(recorder.stopHookRan);
    EXPECT_LE(recorder.callsWhileStopping, 2u) << "the call under way and the last backlog";
    EXPECT_EQ(recorder.largestBatch, std::size_t{2} * 44100) << "two seconds of audio at most";
    const auto lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 1u) << "one line per capture however much is dropped";
    EXPECT_EQ(lines[0], "mivra: captured audio dropped: default capture device: the recorder's processing is "
                        "slower than real time; what comes beyond 2 s of waiting audio is lost");
}

// The buffer recorder keeps every sample, with the rate and channel count it captured at.
TEST(SoundBufferRecorder, KeepsTheWholeRecording)
{
    for (unsigned int channels : {1u, 2u})
    {
        SCOPED_TRACE(std::to_string(channels) + " channels");
        const auto input = distinctSamples(30000, 23 + channels);
        writeInput(input);
        CountingBufferRecorder recorder;
        recorder.setChannelCount(channels);
        ASSERT_TRUE(recorder.start(22050));
        ASSERT_TRUE(waitUntil([&] { return recorder.captured >= input.size(); }));
        recorder.stop();
        const mivra::SoundBuffer& buffer = recorder.getBuffer();
        EXPECT_EQ(buffer.getSampleRate(), 22050u);
        EXPECT_EQ(buffer.getChannelCount(), channels);
        ASSERT_GE(buffer.getSampleCount(), input.size());
        EXPECT_EQ(std::vector<std::int16_t>(buffer.getSamples(), buffer.getSamples() + input.size()), input);
    }
}

// Starting audio brings SDL's event queue up; a console program that plays or records must still
// end on Ctrl+C and SIGTERM.
TEST(AudioStart, LeavesTheTerminationSignalsAtTheirDefault)
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    (void)mivra::SoundRecorder::isAvailable(); // opens the output device and SDL's audio
    for (int signal : {SIGINT, SIGTERM})
    {
        struct sigaction action
        {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
    }
}
