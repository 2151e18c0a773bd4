#include "AudioTestSupport.hpp"
#include "../Support/DiagnosticCapture.hpp"

#include <mivra/Audio/AudioLimits.hpp>
#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/Audio/SoundBufferRecorder.hpp>
#include <mivra/Audio/SoundStream.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using testing::HasSubstr;

namespace
{
const unsigned int unsupportedRates[] = {0, 1, mivra::MinSampleRate - 1, mivra::MaxSampleRate + 1, 4'294'967'295u};

// Endless silence in the format it is given.
class SilentStream : public mivra::SoundStream
{
public:
    ~SilentStream() override { stop(); }
    using SoundStream::initialize;

protected:
    bool onRequestData(Chunk& chunk) override
    {
        m_silence.assign(4096, 0);
        chunk.samples = m_silence.data();
        chunk.sampleCount = m_silence.size();
        return true;
    }
    void onSeekTo(mivra::Time) override {}

private:
    std::vector<std::int16_t> m_silence;
};

void writeWavHeader(std::ofstream& file, std::uint32_t sampleRate, std::uint16_t channels, std::uint32_t dataBytes)
{
    const auto put32 = [&](std::uint32_t v) { file.write(reinterpret_cast<const char*>(&v), 4); };
    const auto put16 = [&](std::uint16_t v) { file.write(reinterpret_cast<const char*>(&v), 2); };
    file.write("RIFF", 4);
    put32(36 + dataBytes);
    file.write("WAVEfmt ", 8);
    put32(16);
    put16(1);
    put16(channels);
    put32(sampleRate);
    put32(sampleRate * channels * 2);
    put16(static_cast<std::uint16_t>(channels * 2));
    put16(16);
    file.write("data", 4);
    put32(dataBytes);
}
} // namespace

TEST(AudioLimits, RecorderRefusesUnsupportedRatesWithOneLineEach)
{
    mivra::SoundBufferRecorder recorder;
    for (const unsigned int rate : unsupportedRates)
    {
        mivra::test::DiagnosticCapture diagnostics;
        EXPECT_FALSE(recorder.start(rate)) << rate;
        const std::vector<std::string> lines = diagnostics.take();
        ASSERT_EQ(lines.size(), 1u) << rate;
        EXPECT_THAT(lines[0], HasSubstr("mivra: cannot start capture: "));
        EXPECT_THAT(lines[0], HasSubstr(std::to_string(rate) + " Hz is outside the supported 1000 to 768000 Hz"));
        EXPECT_FALSE(recorder.isCapturing());
    }
    // The lowest rate works, and stopping it does not wait for a device that sleeps per buffer.
    mivra::test::writeInput(mivra::test::distinctSamples(500, 3));
    ASSERT_TRUE(recorder.start(mivra::MinSampleRate));
    recorder.stop();
    EXPECT_EQ(recorder.getBuffer().getSampleRate(), mivra::MinSampleRate);
}

TEST(AudioLimits, StreamsRefuseUnsupportedFormatsAndKeepTheirOwn)
{
    SilentStream stream;
    ASSERT_TRUE(stream.initialize(2, 22050, {mivra::SoundChannel::FrontLeft, mivra::SoundChannel::FrontRight}));
    for (const unsigned int rate : unsupportedRates)
    {
        mivra::test::DiagnosticCapture diagnostics;
        EXPECT_FALSE(stream.initialize(1, rate, {mivra::SoundChannel::Mono})) << rate;
        const std::vector<std::string> lines = diagnostics.take();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_THAT(lines[0], HasSubstr("mivra: cannot set the format of a sound stream: "));
    }
    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(stream.initialize(0, 44100, {}));
    EXPECT_FALSE(stream.initialize(mivra::MaxChannelCount + 1, 44100, {}));
    EXPECT_FALSE(stream.initialize(4'294'967'295u, 44100, {}));
    const std::vector<std::string> lines = diagnostics.take();
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(stream.getChannelCount(), 2u);
    EXPECT_EQ(stream.getSampleRate(), 22050u);
}

TEST(AudioLimits, BuffersRefuseUnsupportedFormats)
{
    mivra::SoundBuffer buffer;
    const std::int16_t samples[] = {1, 2, 3, 4};
    ASSERT_TRUE(buffer.loadFromSamples(samples, 4, 1, 8000, {mivra::SoundChannel::Mono}));
    for (const unsigned int rate : unsupportedRates)
    {
        mivra::test::DiagnosticCapture diagnostics;
        EXPECT_FALSE(buffer.loadFromSamples(samples, 2, 1, rate, {mivra::SoundChannel::Mono})) << rate;
        const std::vector<std::string> lines = diagnostics.take();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_THAT(lines[0], HasSubstr("mivra: cannot load a sound buffer from samples: "));
    }
    {
        mivra::test::DiagnosticCapture diagnostics;
        const std::vector<mivra::SoundChannel> wide(mivra::MaxChannelCount + 1, mivra::SoundChannel::Unspecified);
        EXPECT_FALSE(buffer.loadFromSamples(nullptr, 0, mivra::MaxChannelCount + 1, 44100, wide));
        const std::vector<std::string> lines = diagnostics.take();
        EXPECT_EQ(lines.size(), 1u);
    }
    EXPECT_EQ(buffer.getSampleCount(), 4u) << "a refused load keeps the previous contents";
    EXPECT_EQ(buffer.getSampleRate(), 8000u);

    // A file at a rate of 1 Hz (valid as a WAV file) is refused when read, naming the file.
    const auto path = mivra::test::scratchDirectory() / "one-hertz.wav";
    {
        std::ofstream file(path, std::ios::binary);
        writeWavHeader(file, 1, 1, 8);
        file.write(reinterpret_cast<const char*>(samples), 8);
    }
    EXPECT_THAT([&] { mivra::SoundBuffer loaded(path); },
                testing::ThrowsMessage<mivra::Exception>(testing::AllOf(
                    HasSubstr(path.string()), HasSubstr("supported are 1 to 64 channels at 1000 to 768000"))));
}

TEST(AudioLimits, BuffersSaveAndReloadAtTheBoundRates)
{
    for (const unsigned int rate : {mivra::MinSampleRate, mivra::MaxSampleRate})
    {
        const auto samples = mivra::test::distinctSamples(2000, rate);
        mivra::SoundBuffer buffer;
        ASSERT_TRUE(buffer.loadFromSamples(samples.data(), samples.size(), 1, rate, {mivra::SoundChannel::Mono}));
        const auto path = mivra::test::scratchDirectory() / ("bound-" + std::to_string(rate) + ".wav");
        ASSERT_TRUE(buffer.saveToFile(path));
        const mivra::SoundBuffer loaded(path);
        EXPECT_EQ(loaded.getSampleRate(), rate);
        EXPECT_EQ(std::vector<std::int16_t>(loaded.getSamples(), loaded.getSamples() + loaded.getSampleCount()),
                  samples);
    }
}

TEST(AudioLimits, FarOffsetsDoNotOverflow)
{
    SilentStream stream;
    ASSERT_TRUE(stream.initialize(1, mivra::MaxSampleRate, {mivra::SoundChannel::Mono}));
    stream.play();
    const mivra::Time far = mivra::microseconds(LLONG_MAX / 2);
    stream.setPlayingOffset(far);
    const mivra::Time offset = stream.getPlayingOffset();
    EXPECT_GE(offset, far - mivra::seconds(1));
    EXPECT_LE(offset, far + mivra::seconds(60));
    stream.stop();

    const auto samples = mivra::test::distinctSamples(768, 9);
    mivra::SoundBuffer buffer;
    ASSERT_TRUE(
        buffer.loadFromSamples(samples.data(), samples.size(), 1, mivra::MaxSampleRate, {mivra::SoundChannel::Mono}));
    mivra::Sound sound(buffer);
    sound.setPlayingOffset(mivra::microseconds(LLONG_MAX));
    sound.setLooping(true);
    sound.play();
    // Past the end means the end: a looping sound wraps to its start, whatever the offset was.
    EXPECT_LE(sound.getPlayingOffset(), buffer.getDuration());
    EXPECT_GE(sound.getPlayingOffset(), mivra::Time::Zero);
}
