#pragma once

#include <mivra/Audio/SoundSource.hpp>
#include <mivra/System/Sleep.hpp>
#include <mivra/System/Time.hpp>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace mivra::test
{
// The files SDL's disk driver writes the output to and reads the capture input from; unique to
// this process. Set up before any test runs.
const std::filesystem::path& outputFile();
const std::filesystem::path& inputFile();
const std::filesystem::path& scratchDirectory();

// The output so far as interleaved 16-bit stereo samples.
std::vector<std::int16_t> readOutput();
// Size of the output in stereo frames.
std::size_t outputFrames();
// A frame of the output after which only what is played from now on appears: waits until
// everything mixed so far has passed the driver's stdio buffer and its device buffer.
std::size_t freshOutputFrame();
// Waits (up to a generous limit) until the output holds at least this many frames.
bool waitForOutputFrames(std::size_t frames);
// Waits until the predicate holds; false after the time limit.
bool waitUntil(const std::function<bool()>& predicate, mivra::Time limit = mivra::seconds(30));

void writeInput(const std::vector<std::int16_t>& samples);

// Mono samples never equal to zero, so that they stand out from silence in the output.
std::vector<std::int16_t> distinctSamples(std::size_t count, std::uint32_t seed);
// Sine tones, one frequency per channel, interleaved.
std::vector<std::int16_t> sineFrames(std::size_t frames, unsigned int sampleRate,
                                     const std::vector<double>& frequencies, double amplitude = 12000.0);
// Power of one frequency in one channel of interleaved samples (Goertzel), relative to the total.
double toneShare(const std::vector<std::int16_t>& samples, unsigned int channels, unsigned int channel,
                 unsigned int sampleRate, double frequency);

// Pauses a playing sound or stream and checks that its offset holds through a listener's short
// pause; returns that offset, the one playing resumes from.
template <typename Source>
mivra::Time pauseAndCheckTheOffsetHolds(Source& source)
{
    source.pause();
    EXPECT_EQ(source.getStatus(), mivra::SoundSource::Status::Paused);
    const mivra::Time pausedAt = source.getPlayingOffset();
    mivra::sleep(mivra::milliseconds(50));
    EXPECT_EQ(source.getPlayingOffset(), pausedAt);
    return pausedAt;
}
} // namespace mivra::test
