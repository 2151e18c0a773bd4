#include "AudioTestSupport.hpp"

#include <mivra/Audio/SoundStream.hpp>
#include <mivra/System/Sleep.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>

using namespace mivra::test;
using Status = mivra::SoundSource::Status;

namespace
{
// A mono 44100 Hz stream handing out fixed chunks, recording every hook call and the thread it ran
// on, and noticing if two hooks ever overlap.
class ScriptedStream : public mivra::SoundStream
{
public:
    explicit ScriptedStream(std::vector<std::vector<std::int16_t>> chunks) : m_chunks(std::move(chunks))
    {
        initialize(1, 44100, {mivra::SoundChannel::Mono});
    }
    ~ScriptedStream() override { stop(); }

    std::vector<std::string> events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::set<std::thread::id> hookThreads() const
    {
        std::lock_guard lock(m_mutex);
        return m_threads;
    }
    bool overlapped() const { return m_overlapped; }
    // While held, the data hook waits before handing out anything, as a network stream does.
    std::atomic<bool> hold{false};
    std::atomic<bool> holding{false};

protected:
    bool onRequestData(Chunk& data) override
    {
        enter("data");
        while (hold)
        {
            holding = true;
            mivra::sleep(mivra::milliseconds(1));
        }
        holding = false;
        bool more = false;
        if (m_next < m_chunks.size())
        {
            data.samples = m_chunks[m_next].data();
            data.sampleCount = m_chunks[m_next].size();
            ++m_next;
            more = m_next < m_chunks.size();
        }
        leave();
        return more;
    }
    void onSeekTo(mivra::Time offset) override
    {
        enter("seek " + std::to_string(offset.asMilliseconds()));
        // Chunks of 4410 samples are a tenth of a second each.
        m_next = static_cast<std::size_t>(offset.asMilliseconds() / 100);
        leave();
    }

private:
    void enter(const std::string& event)
    {
        if (m_inHook.exchange(true))
            m_overlapped = true;
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
        m_threads.insert(std::this_thread::get_id());
    }
    void leave() { m_inHook = false; }

    std::vector<std::vector<std::int16_t>> m_chunks;
    std::size_t m_next{};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::set<std::thread::id> m_threads;
    std::atomic<bool> m_inHook{false};
    std::atomic<bool> m_overlapped{false};
};

std::vector<std::vector<std::int16_t>> chunksOf(const std::vector<std::int16_t>& samples, std::size_t size)
{
    std::vector<std::vector<std::int16_t>> chunks;
    for (std::size_t i = 0; i < samples.size(); i += size)
        chunks.emplace_back(samples.begin() + static_cast<std::ptrdiff_t>(i),
                            samples.begin() + static_cast<std::ptrdiff_t>(std::min(samples.size(), i + size)));
    return chunks;
}

// The left channel of the output from a frame on, without its silent stretches.
std::vector<std::int16_t> audibleLeftFrom(std::size_t frame)
{
    const auto output = readOutput();
    std::vector<std::int16_t> left;
    for (std::size_t f = frame; f < output.size() / 2; ++f)
        if (output[2 * f] != 0)
            left.push_back(output[2 * f]);
    return left;
}

std::size_t count(const std::vector<std::string>& events, const std::string& event)
{
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), event));
}
} // namespace

// play() on a stopped stream seeks to the start, then asks for data, all on one streaming thread of
// the library; the stream plays until the data hook has said "no more" and every sample handed over
// has been played, in order, none lost. Playing it again starts over from a seek to zero.
TEST(SoundStream, HooksRunInOrderOnOneStreamingThreadAndEverySamplePlays)
{
    const auto samples = distinctSamples(4410 * 8, 11);
    ScriptedStream stream(chunksOf(samples, 4410));
    for (int run = 0; run < 2; ++run)
    {
        SCOPED_TRACE("run " + std::to_string(run));
        const std::size_t before = freshOutputFrame();
        stream.play();
        EXPECT_EQ(stream.getStatus(), Status::Playing);
        ASSERT_TRUE(waitUntil([&] { return stream.getStatus() == Status::Stopped; }));
        ASSERT_TRUE(waitForOutputFrames(outputFrames() + 8192));
        EXPECT_EQ(audibleLeftFrom(before), samples);

        const auto events = stream.events();
        ASSERT_EQ(events.size(), static_cast<std::size_t>(run + 1) * 9);
        EXPECT_EQ(events[static_cast<std::size_t>(run) * 9], "seek 0");
        EXPECT_EQ(count(events, "data"), static_cast<std::size_t>(run + 1) * 8);
    }
    const auto threads = stream.hookThreads();
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
    EXPECT_FALSE(stream.overlapped());
}

// While the data hook waits for data the stream stays Playing and its offset stands still; the
// sound starts with the data.
TEST(SoundStream, StarvedStreamKeepsPlayingUntilDataComes)
{
    const auto samples = distinctSamples(4410 * 3, 12);
    ScriptedStream stream(chunksOf(samples, 4410));
    stream.hold = true;
    const std::size_t before = freshOutputFrame();
    stream.play();
    ASSERT_TRUE(waitUntil([&] { return stream.holding.load(); }));
    mivra::sleep(mivra::milliseconds(100));
    EXPECT_EQ(stream.getStatus(), Status::Playing);
    EXPECT_EQ(stream.getPlayingOffset(), mivra::Time::Zero);
    stream.hold = false;
    ASSERT_TRUE(waitUntil([&] { return stream.getStatus() == Status::Stopped; }));
    ASSERT_TRUE(waitForOutputFrames(outputFrames() + 8192));
    EXPECT_EQ(audibleLeftFrom(before), samples);
}

// A new position reaches the seek hook on the streaming thread and the offset goes on from there;
// stop() ends the run and the next play() seeks to zero.
TEST(SoundStream, SeekingAndStopping)
{
    const auto samples = distinctSamples(4410 * 20, 13);
    ScriptedStream stream(chunksOf(samples, 4410));
    stream.play();
    ASSERT_TRUE(waitUntil([&] { return stream.getPlayingOffset() > mivra::milliseconds(100); }));
    stream.setPlayingOffset(mivra::milliseconds(1500));
    ASSERT_TRUE(waitUntil([&] { return count(stream.events(), "seek 1500") == 1; }));
    EXPECT_GE(stream.getPlayingOffset(), mivra::milliseconds(1500));
    mivra::test::pauseAndCheckTheOffsetHolds(stream);
    stream.play();
    EXPECT_EQ(stream.getStatus(), Status::Playing);
    stream.stop();
    EXPECT_EQ(stream.getStatus(), Status::Stopped);
    EXPECT_EQ(stream.getPlayingOffset(), mivra::Time::Zero);
    const std::size_t seeksBefore = count(stream.events(), "seek 0");
    stream.play();
    ASSERT_TRUE(waitUntil([&] { return count(stream.events(), "seek 0") == seeksBefore + 1; }));
    stream.stop();
    EXPECT_FALSE(stream.overlapped());
}
