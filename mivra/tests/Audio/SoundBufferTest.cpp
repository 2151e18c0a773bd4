#include "AudioTestSupport.hpp"
#include "../Support/DiagnosticCapture.hpp"

#include <mivra/Audio/Music.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace mivra::test;
using testing::HasSubstr;
using testing::StartsWith;

namespace
{
struct FormatCase
{
    const char* extension;
    bool lossless;
    std::size_t padding; // frames the codec may add or drop at the ends
};

const FormatCase formats[] = {
    {".wav", true, 0}, {".flac", true, 0}, {".ogg", false, 64}, {".mp3", false, 2 * 1152 + 1105}};

mivra::SoundBuffer makeBuffer(const std::vector<double>& frequencies, unsigned int rate, std::size_t frames)
{
    mivra::SoundBuffer buffer;
    const auto samples = sineFrames(frames, rate, frequencies);
    const std::vector<mivra::SoundChannel> map = frequencies.size() == 1 ? std::vector{mivra::SoundChannel::Mono}
                                                                         : std::vector{mivra::SoundChannel::FrontLeft,
                                                                                       mivra::SoundChannel::FrontRight};
    EXPECT_TRUE(buffer.loadFromSamples(samples.data(), samples.size(), static_cast<unsigned int>(frequencies.size()),
                                       rate, map));
    return buffer;
}

std::filesystem::path scratch(const std::string& name)
{
    return scratchDirectory() / name;
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
} // namespace

// Every format, mono and stereo, survives a save and a load: same rate and channels, the length up
// to the codec's padding, the samples themselves for lossless formats, and for lossy ones each
// channel still carries its own tone (a garbled stereo encoder turns them to noise).
TEST(SoundBuffer, SaveAndLoadRoundTripsEveryFormatInMonoAndStereo)
{
    constexpr unsigned int rate = 44100;
    constexpr std::size_t frames = 44100;
    for (const auto& format : formats)
    {
        for (const std::vector<double>& tones : {std::vector<double>{440.0}, std::vector<double>{440.0, 1000.0}})
        {
            const auto channels = static_cast<unsigned int>(tones.size());
            SCOPED_TRACE(std::string(format.extension) + " with " + std::to_string(channels) + " channels");
            const mivra::SoundBuffer original = makeBuffer(tones, rate, frames);
            const auto path = scratch("round" + std::to_string(channels) + format.extension);
            ASSERT_TRUE(original.saveToFile(path));

            const mivra::SoundBuffer loaded(path);
            EXPECT_EQ(loaded.getSampleRate(), rate);
            EXPECT_EQ(loaded.getChannelCount(), channels);
            const std::size_t loadedFrames = loaded.getSampleCount() / channels;
            EXPECT_LE(loadedFrames, frames + format.padding);
            EXPECT_GE(loadedFrames + format.padding, frames);

            const std::vector<std::int16_t> samples(loaded.getSamples(), loaded.getSamples() + loaded.getSampleCount());
            if (format.lossless)
            {
                EXPECT_EQ(samples, std::vector<std::int16_t>(original.getSamples(),
                                                             original.getSamples() + original.getSampleCount()));
                continue;
            }
            for (unsigned int c = 0; c < channels; ++c)
            {
                EXPECT_GT(toneShare(samples, channels, c, rate, tones[c]), 0.9) << "channel " << c;
                for (unsigned int other = 0; other < channels; ++other)
                    if (other != c)
                        EXPECT_LT(toneShare(samples, channels, c, rate, tones[other]), 0.05) << "channel " << c;
            }
        }
    }
}

TEST(SoundBuffer, DurationFollowsFramesAndRate)
{
    const mivra::SoundBuffer buffer = makeBuffer({440.0, 550.0}, 22050, 33075);
    EXPECT_EQ(buffer.getSampleCount(), 66150u);
    EXPECT_EQ(buffer.getDuration(), mivra::milliseconds(1500));
    EXPECT_EQ(mivra::SoundBuffer().getDuration(), mivra::Time::Zero);
}

// The generated resources load, each sounding for half a second to three seconds.
TEST(SoundBuffer, DecodesTheGeneratedSounds)
{
    const std::filesystem::path directory = MIVRA_RESOURCE_DIR;
    const std::pair<const char*, unsigned int> files[] = {
        {"killdeer.wav", 44100},  {"doodle_pop.ogg", 44100},  {"ding.flac", 44100},         {"ding.mp3", 48000},
        {"error_005.ogg", 44100}, {"mouseclick1.ogg", 44100}, {"mouserelease1.ogg", 44100}, {"ball.wav", 44100}};
    for (const auto& [name, rate] : files)
    {
        SCOPED_TRACE(name);
        const mivra::SoundBuffer buffer(directory / name);
        EXPECT_EQ(buffer.getSampleRate(), rate);
        EXPECT_GE(buffer.getDuration(), mivra::milliseconds(500));
        EXPECT_LE(buffer.getDuration(), mivra::milliseconds(3100));
        std::int64_t peak = 0;
        for (std::size_t i = 0; i < buffer.getSampleCount(); ++i)
            peak = std::max<std::int64_t>(peak, std::abs(buffer.getSamples()[i]));
        EXPECT_GT(peak, 8000) << "the sound is nearly silent";
    }
}

// Files that are not sound, or cut short, fail with the file's name in the message; the buffer
// keeps what it held.
TEST(SoundBuffer, CorruptAndTruncatedFilesFailNamingTheFile)
{
    const mivra::SoundBuffer good = makeBuffer({440.0, 660.0}, 44100, 22050);
    std::vector<std::filesystem::path> bad;
    bad.push_back(scratch("garbage.wav"));
    writeBytes(bad.back(), std::string(4000, '\x5a'));
    bad.push_back(scratch("empty.ogg"));
    writeBytes(bad.back(), "");
    bad.push_back(scratch("missing.flac"));
    for (const char* extension : {".wav", ".ogg", ".flac", ".mp3"})
    {
        const auto whole = scratch(std::string("whole") + extension);
        ASSERT_TRUE(good.saveToFile(whole));
        const std::string bytes = readBytes(whole);
        bad.push_back(scratch(std::string("header-only") + extension));
        writeBytes(bad.back(), bytes.substr(0, 40));
        bad.push_back(scratch(std::string("half") + extension));
        writeBytes(bad.back(), bytes.substr(0, bytes.size() / 2));
        bad.push_back(scratch(std::string("scrambled") + extension));
        std::string scrambled = bytes;
        for (std::size_t i = 200; i < scrambled.size(); i += 7)
            scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5d);
        writeBytes(bad.back(), scrambled);
    }

    for (const auto& path : bad)
    {
        SCOPED_TRACE(path.filename().string());
        const bool scrambledLossy = path.filename().string().starts_with("scrambled") &&
                                    (path.extension() == ".ogg" || path.extension() == ".mp3" ||
                                     path.extension() == ".wav");
        try
        {
            const mivra::SoundBuffer buffer(path);
            // Flipped bits in PCM or in a lossy stream may still decode to (wrong) audio; what
            // matters there is that nothing crashes.
            EXPECT_TRUE(scrambledLossy) << "loaded although damaged";
        }
        catch (const mivra::Exception& e)
        {
            EXPECT_THAT(e.what(), HasSubstr(path.string()));
        }

        mivra::SoundBuffer kept = good;
        mivra::test::DiagnosticCapture diagnostics;
        const bool loaded = kept.loadFromFile(path);
        const std::vector<std::string> lines = diagnostics.take();
        if (!loaded)
        {
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_THAT(lines[0], StartsWith("mivra: cannot load the sound: " + path.string() + ": "));
            EXPECT_EQ(kept.getSampleCount(), good.getSampleCount());
        }
        else
        {
            EXPECT_TRUE(scrambledLossy);
        }
    }
}

// Bytes in memory decode exactly as the same file does, and damage is caught the same way (a WAV
// header that promises more audio than follows, a half MP3 whose Xing header counts its frames).
TEST(SoundBuffer, LoadFromMemoryMatchesLoadingTheFile)
{
    const mivra::SoundBuffer good = makeBuffer({440.0, 660.0}, 22050, 11025);
    mivra::test::DiagnosticCapture diagnostics;
    for (const FormatCase& format : formats)
    {
        SCOPED_TRACE(format.extension);
        const auto file = scratch(std::string("memory") + format.extension);
        ASSERT_TRUE(good.saveToFile(file));
        const mivra::SoundBuffer fromFile(file);
        const std::string bytes = readBytes(file);
        mivra::SoundBuffer fromMemory;
        ASSERT_TRUE(fromMemory.loadFromMemory(bytes.data(), bytes.size()));
        EXPECT_EQ(fromMemory.getSampleRate(), 22050u);
        EXPECT_EQ(fromMemory.getChannelCount(), 2u);
        ASSERT_EQ(fromMemory.getSampleCount(), fromFile.getSampleCount());
        EXPECT_TRUE(std::equal(fromFile.getSamples(), fromFile.getSamples() + fromFile.getSampleCount(),
                               fromMemory.getSamples()));

        if (std::string(format.extension) == ".wav" || std::string(format.extension) == ".mp3")
        {
            const std::string half = bytes.substr(0, bytes.size() / 2);
            diagnostics.take();
            EXPECT_FALSE(fromMemory.loadFromMemory(half.data(), half.size()));
            const std::vector<std::string> lines = diagnostics.take();
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_THAT(lines[0], HasSubstr("mivra: cannot load the sound: memory: the file is cut short"));
            EXPECT_EQ(fromMemory.getSampleCount(), fromFile.getSampleCount()); // kept
        }
    }
    diagnostics.take();
    mivra::SoundBuffer buffer;
    EXPECT_FALSE(buffer.loadFromMemory("RIFF", 4));
    EXPECT_FALSE(buffer.loadFromMemory(nullptr, 0));
    EXPECT_EQ(diagnostics.take().size(), 2u);
}

TEST(SoundBuffer, SaveRefusesUnknownFormatsAndUnwritablePlaces)
{
    const mivra::SoundBuffer buffer = makeBuffer({440.0}, 44100, 4410);
    for (const auto& path : {scratch("sound.xyz"), scratch("no extension"), scratch("no/such/dir/a.wav")})
    {
        mivra::test::DiagnosticCapture diagnostics;
        EXPECT_FALSE(buffer.saveToFile(path)) << path;
        const std::vector<std::string> lines = diagnostics.take();
        ASSERT_EQ(lines.size(), 1u) << path;
        EXPECT_THAT(lines[0], StartsWith("mivra: cannot save the sound: " + path.string() + ": "));
    }
    // A name with blanks is a name like any other.
    EXPECT_TRUE(buffer.saveToFile(scratch("my recording.wav")));
    EXPECT_EQ(mivra::SoundBuffer(scratch("my recording.wav")).getSampleCount(), 4410u);
}

TEST(SoundBuffer, LoadFromSamplesRejectsInconsistentLayouts)
{
    mivra::SoundBuffer buffer;
    const std::int16_t samples[] = {1, 2, 3};
    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(buffer.loadFromSamples(samples, 3, 2, 44100,
                                        {mivra::SoundChannel::FrontLeft, mivra::SoundChannel::FrontRight}));
    EXPECT_FALSE(buffer.loadFromSamples(samples, 3, 1, 0, {mivra::SoundChannel::Mono}));
    EXPECT_FALSE(buffer.loadFromSamples(samples, 3, 1, 44100, {}));
    const std::vector<std::string> lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2],
              "mivra: cannot load a sound buffer from samples: the channel map names 0 channels for a sound of 1");
    EXPECT_EQ(buffer.getSampleCount(), 0u);
    EXPECT_TRUE(buffer.loadFromSamples(samples, 3, 1, 8000, {mivra::SoundChannel::Mono}));
    EXPECT_EQ(buffer.getSampleCount(), 3u);
}

// Float samples beyond full scale are clipped, not wrapped around; the rest round to nearest.
TEST(SoundBuffer, FloatFilesClipAndRound)
{
    const std::vector<float> values = {0.f, 0.5f, -0.5f, 1.f, -1.f, 1.75f, -3.f, 100.4f / 32768.f, -100.6f / 32768.f};
    std::string data;
    for (float v : values)
        data.append(reinterpret_cast<const char*>(&v), sizeof v);
    const auto le32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const auto le16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    const std::string fmt = le16(3) + le16(1) + le32(8000) + le32(32000) + le16(4) + le16(32);
    const std::string wav = "RIFF" + le32(static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + data.size())) + "WAVE" +
                            "fmt " + le32(static_cast<std::uint32_t>(fmt.size())) + fmt + "data" +
                            le32(static_cast<std::uint32_t>(data.size())) + data;
    const auto path = scratch("float.wav");
    writeBytes(path, wav);
    const mivra::SoundBuffer buffer(path);
    ASSERT_EQ(buffer.getSampleCount(), values.size());
    EXPECT_EQ(std::vector<std::int16_t>(buffer.getSamples(), buffer.getSamples() + buffer.getSampleCount()),
              (std::vector<std::int16_t>{0, 16384, -16384, 32767, -32768, 32767, -32768, 100, -101}));
}

// The throwing constructors' text is the line the loading functions report.
TEST(SoundBuffer, ConstructorFailuresReadAsTheDiagnosticLine)
{
    const auto missing = scratchDirectory() / "missing.ogg";
    std::string thrown;
    try
    {
        mivra::SoundBuffer buffer(missing);
        ADD_FAILURE() << "a missing sound loaded";
    }
    catch (const mivra::Exception& e)
    {
        thrown = e.what();
    }
    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(mivra::SoundBuffer().loadFromFile(missing));
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{thrown});
    EXPECT_THAT(thrown, StartsWith("mivra: cannot load the sound: " + missing.string() + ": "));

    try
    {
        mivra::Music music(missing);
        ADD_FAILURE() << "a missing music opened";
    }
    catch (const mivra::Exception& e)
    {
        thrown = e.what();
    }
    EXPECT_FALSE(mivra::Music().openFromFile(missing));
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{thrown});
}
