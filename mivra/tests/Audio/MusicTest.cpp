#include "AudioTestSupport.hpp"

#include <mivra/Audio/Music.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/System/Sleep.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace audiotest;
using Status = mivra::SoundSource::Status;

namespace
{
const std::filesystem::path resources = MIVRA_RESOURCE_DIR;
}

// A lossless file at the output's rate streams out sample for sample, with a growing offset.
TEST(Music, StreamsAFileToItsEnd)
{
    const mivra::SoundBuffer whole(resources / "ding.flac");
    mivra::Music music(resources / "ding.flac");
    EXPECT_EQ(music.getDuration(), whole.getDuration());
    EXPECT_EQ(music.getSampleRate(), 44100u);
    EXPECT_EQ(music.getChannelCount(), 1u);

    const std::size_t before = freshOutputFrame();
    music.play();
    mivra::Time last;
    while (music.getStatus() == Status::Playing)
    {
        const mivra::Time now = music.getPlayingOffset();
        EXPECT_GE(now, last);
        last = now;
        mivra::sleep(mivra::milliseconds(2));
    }
    EXPECT_GT(last, mivra::milliseconds(1000));
    ASSERT_TRUE(waitForOutputFrames(outputFrames() + 8192));
    const auto output = readOutput();
    const std::vector<std::int16_t> expected(whole.getSamples(), whole.getSamples() + whole.getSampleCount());
    const auto first = std::find_if(output.begin() + static_cast<std::ptrdiff_t>(before * 2), output.end(),
                                    [](std::int16_t s) { return s != 0; });
    std::vector<std::int16_t> left;
    for (auto it = first; it + 1 < output.end() && left.size() < expected.size(); it += 2)
        left.push_back(*it);
    // The file starts with a strike: its first sample may be zero, so align on the first non-zero one.
    const auto start = std::find_if(expected.begin(), expected.end(), [](std::int16_t s) { return s != 0; });
    ASSERT_NE(start, expected.end());
    const std::vector<std::int16_t> audible(start, expected.end());
    left.resize(std::min(left.size(), audible.size()));
    EXPECT_EQ(left, std::vector<std::int16_t>(audible.begin(), audible.begin() + static_cast<std::ptrdiff_t>(left.size())));
    EXPECT_GT(left.size(), audible.size() - 10);
}

// A stereo MP3 at another rate plays through to a stop as well.
TEST(Music, StreamsAStereoMp3AtAnotherRate)
{
    mivra::Music music(resources / "ding.mp3");
    EXPECT_EQ(music.getSampleRate(), 48000u);
    EXPECT_EQ(music.getChannelCount(), 2u);
    EXPECT_NEAR(music.getDuration().asSeconds(), 1.5, 0.1);
    music.play();
    ASSERT_TRUE(waitUntil([&] { return music.getStatus() == Status::Stopped; }));
}

TEST(Music, MissingOrDamagedFilesFailNamingTheFile)
{
    const auto missing = scratchDirectory() / "nothing here.ogg";
    EXPECT_THAT([&] { mivra::Music music(missing); },
                testing::ThrowsMessage<mivra::Exception>(testing::HasSubstr(missing.string())));
    mivra::Music music;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(music.openFromFile(missing));
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr(missing.string()));
    EXPECT_TRUE(music.openFromFile(resources / "doodle_pop.ogg"));
    EXPECT_EQ(music.getChannelCount(), 2u);
}
