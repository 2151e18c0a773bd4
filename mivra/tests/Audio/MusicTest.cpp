#include "AudioTestSupport.hpp"
#include "../Support/DiagnosticCapture.hpp"

#include <mivra/Audio/Music.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/System/Sleep.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace mivra::test;
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
    // The disk driver plays about ten times faster than real time, so a poller starved of CPU may
    // see only part of the way: that the offset moved forward is what can be asked here, while the
    // output below shows that every sample was played.
    EXPECT_GT(last, mivra::Time::Zero);
    ASSERT_TRUE(waitForOutputFrames(outputFrames() + 8192));
    // On a busy machine the streaming thread may fall behind the fast disk driver, which then
    // plays silence: compare the non-zero samples, which must all be there, in order.
    const auto output = readOutput();
    std::vector<std::int16_t> left;
    for (std::size_t i = before * 2; i < output.size(); i += 2)
        if (output[i] != 0)
            left.push_back(output[i]);
    std::vector<std::int16_t> audible;
    for (std::size_t i = 0; i < whole.getSampleCount(); ++i)
        if (whole.getSamples()[i] != 0)
            audible.push_back(whole.getSamples()[i]);
    ASSERT_GE(left.size(), audible.size());
    const auto mismatch = std::mismatch(audible.begin(), audible.end(), left.begin());
    EXPECT_EQ(mismatch.first, audible.end()) << "the output differs from the file from sample "
                                             << (mismatch.first - audible.begin()) << " of " << audible.size();
    EXPECT_EQ(left.size(), audible.size()) << "more was played than the file holds";
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
    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(music.openFromFile(missing));
    const std::vector<std::string> lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], testing::StartsWith("mivra: cannot open the music: " + missing.string() + ": "));
    EXPECT_TRUE(music.openFromFile(resources / "doodle_pop.ogg"));
    EXPECT_EQ(music.getChannelCount(), 2u);
}
