#include "AudioTestSupport.hpp"

#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/Audio/SoundStream.hpp>
#include <mivra/System/Sleep.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

using namespace mivra::test;
using Status = mivra::SoundSource::Status;

namespace
{
mivra::SoundBuffer monoBuffer(const std::vector<std::int16_t>& samples, unsigned int rate)
{
    mivra::SoundBuffer buffer;
    EXPECT_TRUE(buffer.loadFromSamples(samples.data(), samples.size(), 1, rate, {mivra::SoundChannel::Mono}));
    return buffer;
}

// Plays the sound to its end and returns the output it produced, from the frame where the output
// stood before play() to a little past the end.
std::vector<std::int16_t> playAndCapture(mivra::SoundSource& sound, std::size_t expectedFrames)
{
    const std::size_t before = freshOutputFrame();
    sound.play();
    EXPECT_TRUE(waitUntil([&] { return sound.getStatus() == Status::Stopped; }));
    // The driver writes through a stdio buffer: wait until everything up to the end is on disk.
    const std::size_t end = outputFrames() + 8192;
    EXPECT_TRUE(waitForOutputFrames(std::max(end, before + expectedFrames + 8192)));
    auto output = readOutput();
    output.erase(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(before * 2));
    return output;
}

// The stretch of a channel from its first to its last non-zero sample.
std::vector<std::int16_t> audibleChannel(const std::vector<std::int16_t>& stereo, unsigned int channel)
{
    std::vector<std::int16_t> samples;
    for (std::size_t f = 0; f < stereo.size() / 2; ++f)
        samples.push_back(stereo[2 * f + channel]);
    const auto first = std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; });
    const auto last = std::find_if(samples.rbegin(), samples.rend(), [](std::int16_t s) { return s != 0; }).base();
    return first < last ? std::vector<std::int16_t>(first, last) : std::vector<std::int16_t>{};
}
} // namespace

// Samples at the output's own rate come out unchanged, on both channels.
TEST(Sound, PlaysMonoSamplesUnchangedOnBothChannels)
{
    const auto samples = distinctSamples(20000, 7);
    const mivra::SoundBuffer buffer = monoBuffer(samples, 44100);
    mivra::Sound sound(buffer);
    const auto output = playAndCapture(sound, samples.size());
    EXPECT_EQ(audibleChannel(output, 0), samples);
    EXPECT_EQ(audibleChannel(output, 1), samples);
}

// A 22050 Hz mono tone through the 44100 Hz stereo output: twice the frames, same pitch.
TEST(Sound, ConversionToTheOutputKeepsPitchAndLength)
{
    const auto tone = sineFrames(11025, 22050, {441.0});
    const mivra::SoundBuffer buffer = monoBuffer(tone, 22050);
    mivra::Sound sound(buffer);
    const auto output = playAndCapture(sound, 22050);
    const auto left = audibleChannel(output, 0);
    const auto right = audibleChannel(output, 1);
    EXPECT_EQ(left, right);
    EXPECT_NEAR(static_cast<double>(left.size()), 22050.0, 64.0);
    EXPECT_GT(toneShare(left, 1, 0, 44100, 441.0), 0.95);
    EXPECT_LT(toneShare(left, 1, 0, 44100, 882.0), 0.01);
    EXPECT_LT(toneShare(left, 1, 0, 44100, 220.5), 0.01);
}

namespace
{
// A mono tone handed over in chunks of a few hundred frames, as a network or generator stream does.
class ToneStream : public mivra::SoundStream
{
public:
    ToneStream(std::vector<std::int16_t> tone, unsigned int rate) : m_tone(std::move(tone))
    {
        initialize(1, rate, {mivra::SoundChannel::Mono});
    }
    ~ToneStream() override { stop(); }

protected:
    bool onRequestData(Chunk& data) override
    {
        const std::size_t count = std::min<std::size_t>(700, m_tone.size() - m_next);
        data.samples = m_tone.data() + m_next;
        data.sampleCount = count;
        m_next += count;
        return m_next < m_tone.size();
    }
    void onSeekTo(mivra::Time offset) override
    {
        m_next = std::min(m_tone.size(), static_cast<std::size_t>(offset.asMicroseconds() * getSampleRate() / 1000000));
    }

private:
    std::vector<std::int16_t> m_tone;
    std::size_t m_next{};
};
} // namespace

// 0.3 s of a 500 Hz tone, from a sound or a stream at another rate than the output's (or at its
// own): as long, as high, and as smooth as the tone itself, also across the stream's chunks.
TEST(Sound, ToneAtAnyRateKeepsLengthPitchAndSmoothness)
{
    struct Case
    {
        bool stream;
        unsigned int rate;
    };
    // At real time, as a listener hears it: the disk output's usual pace, ten times faster, leaves a
    // busy machine's streaming thread behind (a sanitizer build's most of all), and the gaps that
    // leaves would hide the ones this test looks for.
    ::setenv("SDL_DISKAUDIODELAY", "23", 1);
    for (const Case c :
         {Case{false, 22050}, Case{true, 22050}, Case{false, 48000}, Case{true, 32000}, Case{false, 44100}})
    {
        SCOPED_TRACE((c.stream ? "stream at " : "sound at ") + std::to_string(c.rate));
        const auto tone = sineFrames(c.rate * 3 / 10, c.rate, {500.0}, 8000.0);
        const mivra::SoundBuffer buffer = monoBuffer(tone, c.rate);
        mivra::Sound sound(buffer);
        ToneStream stream(tone, c.rate);
        const auto output = playAndCapture(c.stream ? static_cast<mivra::SoundSource&>(stream) : sound, 13230);
        const auto left = audibleChannel(output, 0);
        EXPECT_NEAR(static_cast<double>(left.size()), 13230.0, 64.0);
        std::size_t crossings = 0;
        int largestStep = 0;
        for (std::size_t i = 1; i < left.size(); ++i)
        {
            crossings += (left[i - 1] < 0) != (left[i] < 0) ? 1 : 0;
            largestStep = std::max(largestStep, std::abs(left[i] - left[i - 1]));
        }
        // 150 cycles, each crossing zero twice.
        EXPECT_NEAR(static_cast<double>(crossings), 300.0, 3.0);
        // The steepest an 8000-high 500 Hz sine gets between two output samples is about 570 (a
        // little more where the converter rings at the abrupt start); a click, a gap or a badly
        // joined chunk jumps by thousands.
        EXPECT_LT(largestStep, 750);
    }
}

// Two sounds at once add up in the output.
TEST(Sound, SeveralSoundsMixTogether)
{
    const mivra::SoundBuffer low = monoBuffer(std::vector<std::int16_t>(30000, 1000), 44100);
    const mivra::SoundBuffer high = monoBuffer(std::vector<std::int16_t>(30000, 2500), 44100);
    mivra::Sound a(low);
    mivra::Sound b(high);
    const std::size_t before = freshOutputFrame();
    {
        // Both start within the same mix.
        a.play();
        b.play();
    }
    ASSERT_TRUE(waitUntil([&] { return a.getStatus() == Status::Stopped && b.getStatus() == Status::Stopped; }));
    ASSERT_TRUE(waitForOutputFrames(outputFrames() + 8192));
    const auto output = readOutput();
    const auto mixed = std::count(output.begin() + static_cast<std::ptrdiff_t>(before * 2), output.end(), 3500);
    const auto lone = std::count(output.begin() + static_cast<std::ptrdiff_t>(before * 2), output.end(), 1000) +
                      std::count(output.begin() + static_cast<std::ptrdiff_t>(before * 2), output.end(), 2500);
    EXPECT_GT(mixed + lone, 2 * 30000 - 1);
    EXPECT_GT(mixed, 2 * 20000) << "the sounds did not overlap";
}

// play() returns at once; the status is Playing until the end, Paused while paused, and the offset
// moves forward while playing and stands still while paused.
TEST(Sound, StatusAndOffsetFollowPlayback)
{
    const mivra::SoundBuffer buffer = monoBuffer(sineFrames(44100 * 3, 44100, {300.0}), 44100);
    mivra::Sound sound(buffer);
    EXPECT_EQ(sound.getStatus(), Status::Stopped);
    EXPECT_EQ(sound.getPlayingOffset(), mivra::Time::Zero);
    sound.play();
    EXPECT_EQ(sound.getStatus(), Status::Playing);
    ASSERT_TRUE(waitUntil([&] { return sound.getPlayingOffset() > mivra::milliseconds(200); }));
    const mivra::Time pausedAt = mivra::test::pauseAndCheckTheOffsetHolds(sound);
    sound.play();
    ASSERT_TRUE(waitUntil([&] { return sound.getPlayingOffset() > pausedAt; }));
    mivra::Time last = sound.getPlayingOffset();
    while (sound.getStatus() == Status::Playing)
    {
        const mivra::Time now = sound.getPlayingOffset();
        EXPECT_GE(now, last);
        EXPECT_LE(now, buffer.getDuration());
        last = now;
        mivra::sleep(mivra::milliseconds(5));
    }
    EXPECT_EQ(sound.getStatus(), Status::Stopped);
    EXPECT_GT(last, mivra::milliseconds(2500));
    EXPECT_EQ(sound.getPlayingOffset(), mivra::Time::Zero);

    sound.play();
    sound.stop();
    EXPECT_EQ(sound.getStatus(), Status::Stopped);
    EXPECT_EQ(sound.getPlayingOffset(), mivra::Time::Zero);
}

TEST(Sound, PlayingOffsetCanBeSet)
{
    auto samples = std::vector<std::int16_t>(44100, 100);
    std::fill(samples.begin() + 22050, samples.end(), 200);
    const mivra::SoundBuffer buffer = monoBuffer(samples, 44100);
    mivra::Sound sound(buffer);
    sound.setPlayingOffset(mivra::milliseconds(500));
    const auto output = playAndCapture(sound, 22050);
    EXPECT_EQ(std::count(output.begin(), output.end(), 100), 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), 200), 2 * 22050);
}

// A buffer that goes away under a playing sound stops it instead of leaving it reading freed memory.
TEST(Sound, DestroyingTheBufferStopsItsSounds)
{
    auto buffer = std::make_unique<mivra::SoundBuffer>(monoBuffer(sineFrames(44100 * 5, 44100, {500.0}), 44100));
    mivra::Sound sound(*buffer);
    mivra::Sound copy(sound);
    sound.play();
    copy.play();
    ASSERT_TRUE(waitUntil([&] { return sound.getPlayingOffset() > mivra::milliseconds(50); }));
    buffer.reset();
    EXPECT_EQ(sound.getStatus(), Status::Stopped);
    EXPECT_EQ(copy.getStatus(), Status::Stopped);
    EXPECT_EQ(sound.getBuffer(), nullptr);
    sound.play(); // nothing to play
    EXPECT_EQ(sound.getStatus(), Status::Stopped);
}

namespace
{
// A stream that never has data; only its settings are looked at.
class IdleStream : public mivra::SoundStream
{
public:
    IdleStream() { initialize(1, 44100, {mivra::SoundChannel::Mono}); }
    ~IdleStream() override { stop(); }

protected:
    bool onRequestData(Chunk&) override { return false; }
    void onSeekTo(mivra::Time) override {}
};
} // namespace

// Volume and looping are settings of every source, kept in one place: the same through the base
// class for a sound and for a stream.
TEST(SoundSource, VolumeAndLoopingAreSharedByEverySource)
{
    const mivra::SoundBuffer buffer = monoBuffer(distinctSamples(100, 3), 44100);
    mivra::Sound sound(buffer);
    IdleStream stream;
    for (mivra::SoundSource* source :
         {static_cast<mivra::SoundSource*>(&sound), static_cast<mivra::SoundSource*>(&stream)})
    {
        EXPECT_FLOAT_EQ(source->getVolume(), 100.f);
        EXPECT_FALSE(source->isLooping());
        source->setVolume(40.f);
        EXPECT_FLOAT_EQ(source->getVolume(), 40.f);
        source->setVolume(-3.f);
        EXPECT_FLOAT_EQ(source->getVolume(), 0.f);
        source->setVolume(250.f);
        EXPECT_FLOAT_EQ(source->getVolume(), 100.f);
        source->setLooping(true);
        EXPECT_TRUE(source->isLooping());
        source->setLooping(false);
        EXPECT_FALSE(source->isLooping());
    }
}

// Half the volume halves every sample the output gets.
TEST(Sound, VolumeScalesTheOutput)
{
    std::vector<std::int16_t> samples = distinctSamples(20000, 9);
    for (auto& sample : samples)
        sample = static_cast<std::int16_t>(sample / 2 * 2 == 0 ? 2 : sample / 2 * 2); // even, so halves are exact
    const mivra::SoundBuffer buffer = monoBuffer(samples, 44100);
    mivra::Sound sound(buffer);
    static_cast<mivra::SoundSource&>(sound).setVolume(50.f);
    const auto output = playAndCapture(sound, samples.size());
    std::vector<std::int16_t> halves(samples.size());
    std::transform(samples.begin(), samples.end(), halves.begin(),
                   [](std::int16_t s) { return static_cast<std::int16_t>(s / 2); });
    EXPECT_EQ(audibleChannel(output, 0), halves);
}
