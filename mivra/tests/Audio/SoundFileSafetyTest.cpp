// Sound files that are not ordinary files, sounds longer than a buffer holds, and saving onto a
// disk that fills up.
#include "AudioTestSupport.hpp"
#include "../Support/DiagnosticCapture.hpp"
#include "../Support/FullDisk.hpp"

#include <mivra/Audio/AudioLimits.hpp>
#include <mivra/Audio/Music.hpp>
#include <mivra/Audio/SoundBuffer.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;
using testing::StartsWith;

namespace
{

// A FLAC stream of silence in frames of the largest size, each channel a constant subframe: a few
// bytes per 65535 frames, however many channels. `claimedFrames` goes into the stream's header
// (0: unknown), which FLAC allows to differ from what the frames hold.
class SilentFlac
{
public:
    static constexpr unsigned int Channels = 8;
    static constexpr unsigned int Rate = 8000;
    static constexpr std::uint32_t BlockFrames = 65535;

    static std::string make(std::uint64_t claimedFrames, std::uint32_t blocks)
    {
        std::string out = "fLaC";
        out += {'\x80', '\x00', '\x00', '\x22'}; // the last metadata block: STREAMINFO, 34 bytes
        putBits(out, BlockFrames, 16);
        putBits(out, BlockFrames, 16);
        putBits(out, 0, 24); // smallest and largest frame sizes: unknown
        putBits(out, 0, 24);
        const std::uint64_t packed = (std::uint64_t{Rate} << 44) | (std::uint64_t{Channels - 1} << 41) |
                                     (std::uint64_t{15} << 36) | (claimedFrames & 0xfffffffffull);
        putBits(out, packed, 64);
        out.append(16, '\0'); // no MD5 to check
        for (std::uint32_t block = 0; block < blocks; ++block)
            out += frame(block);
        return out;
    }

private:
    static void putBits(std::string& out, std::uint64_t value, int bits)
    {
        for (int shift = bits - 8; shift >= 0; shift -= 8)
            out += static_cast<char>((value >> shift) & 0xff);
    }

    static std::string frame(std::uint32_t number)
    {
        // Fixed block size, size in 16 bits at the end of the header, rate from STREAMINFO,
        // independent channels, 16 bits per sample.
        std::string header = {'\xff', '\xf8', '\x70', static_cast<char>(((Channels - 1) << 4) | (4 << 1))};
        // The frame number, UTF-8 coded.
        if (number < 0x80)
            header += static_cast<char>(number);
        else
            header += {static_cast<char>(0xc0 | (number >> 6)), static_cast<char>(0x80 | (number & 0x3f))};
        putBits(header, BlockFrames - 1, 16);
        header += static_cast<char>(crc8(header));
        std::string frame = header;
        for (unsigned int channel = 0; channel < Channels; ++channel)
            frame += {'\0', '\0', '\0'}; // a constant subframe of value 0
        putBits(frame, crc16(frame), 16);
        return frame;
    }

    static std::uint8_t crc8(const std::string& bytes)
    {
        std::uint8_t crc = 0;
        for (const char byte : bytes)
        {
            crc ^= static_cast<std::uint8_t>(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
        }
        return crc;
    }

    static std::uint16_t crc16(const std::string& bytes)
    {
        std::uint16_t crc = 0;
        for (const char byte : bytes)
        {
            crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(byte) << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1);
        }
        return crc;
    }
};

mivra::SoundBuffer someSound(std::size_t frames)
{
    mivra::SoundBuffer buffer;
    const auto samples = mivra::test::sineFrames(frames, 44100, {440.0, 660.0});
    EXPECT_TRUE(buffer.loadFromSamples(samples.data(), samples.size(), 2, 44100,
                                       {mivra::SoundChannel::FrontLeft, mivra::SoundChannel::FrontRight}));
    return buffer;
}
} // namespace

// A FIFO used to block the open for ever (libsndfile opened it by name); /dev/zero and a directory
// are refused as well, by SoundBuffer and by Music alike, and a buffer keeps what it held.
TEST(SoundFileSafety, LoadersRefuseWhatIsNotARegularFile)
{
    const std::filesystem::path fifo = mivra::test::scratchDirectory() / "sound-fifo";
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path directory = mivra::test::scratchDirectory() / "sound-folder.wav";
    std::filesystem::create_directories(directory);

    mivra::SoundBuffer buffer = someSound(100);
    mivra::Music music;
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {"/dev/zero", "not a regular file"}, {fifo, "not a regular file"}, {directory, "is a directory"}};
    for (const auto& [path, reason] : cases)
    {
        mivra::test::DiagnosticCapture diagnostics;
        EXPECT_FALSE(buffer.loadFromFile(path)) << path;
        EXPECT_FALSE(music.openFromFile(path)) << path;
        const std::vector<std::string> lines = diagnostics.take();
        ASSERT_EQ(lines.size(), 2u) << path;
        EXPECT_EQ(lines[0], "mivra: cannot load the sound: " + path.string() + ": " + reason);
        EXPECT_EQ(lines[1], "mivra: cannot open the music: " + path.string() + ": " + reason);
    }
    EXPECT_EQ(buffer.getSampleCount(), 200u);
    std::filesystem::remove(fifo);
    std::filesystem::remove(directory);
}

// Frames times channels are capped: an 8-channel header claiming 2^36 frames used to reserve
// 512 MiB before one sample decoded, and a small compressed file (a FLAC stream of silence that
// does not say its length) decoded without limit. Both are refused with one line; a buffer keeps
// what it held.
TEST(SoundFileSafety, SoundsLongerThanABufferHoldsAreRefused)
{
    const std::uint32_t blocksPastTheCap =
        static_cast<std::uint32_t>(mivra::MaxSoundBufferSamples / SilentFlac::Channels / SilentFlac::BlockFrames + 1);
    const std::string claimsTooMuch = SilentFlac::make(0xfffffffffull, 1);
    const std::string bomb = SilentFlac::make(0, blocksPastTheCap);
    ASSERT_LT(bomb.size(), 64u * 1024) << "a bomb is small";
    // The same stream within the cap loads: the refusals below are for the length alone.
    const std::string fits = SilentFlac::make(0, 2);

    mivra::SoundBuffer buffer = someSound(100);
    ASSERT_TRUE(buffer.loadFromMemory(fits.data(), fits.size()));
    EXPECT_EQ(buffer.getSampleCount(), 2u * SilentFlac::BlockFrames * SilentFlac::Channels);
    buffer = someSound(100);

    // The claim is refused from memory, the bomb from a file (decoding it to the cap takes seconds).
    const std::filesystem::path file = mivra::test::scratchDirectory() / "bomb.flac";
    std::ofstream(file, std::ios::binary) << bomb;
    mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(buffer.loadFromMemory(claimsTooMuch.data(), claimsTooMuch.size()));
    EXPECT_FALSE(buffer.loadFromFile(file));
    const std::vector<std::string> lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 2u);
    const std::string reason = "the sound is longer than a sound buffer holds (more than 268435456 samples";
    EXPECT_THAT(lines[0], StartsWith("mivra: cannot load the sound: memory: " + reason));
    EXPECT_THAT(lines[1], StartsWith("mivra: cannot load the sound: " + file.string() + ": " + reason));
    EXPECT_EQ(buffer.getSampleCount(), 200u);
    std::filesystem::remove(file);
}

// A save writes beside the file and renames over it: on a full disk it reports the failure and the
// old file stays whole (it used to be truncated before the failure was reported), and no temporary
// file is left behind. Once there is room the same save replaces the file.
TEST(SoundFileSafety, SavingOntoAFullDiskKeepsTheOldFile)
{
    const mivra::SoundBuffer small = someSound(441);
    // Noise-like tones for a second: larger than the room left in every format.
    const mivra::SoundBuffer large = someSound(44100);
    const mivra::test::FullDiskResult result =
        mivra::test::onSmallDisk(mivra::test::scratchDirectory() / "disk", [&](const std::filesystem::path& disk) {
            return mivra::test::checkSavesOnFullDisk(
                disk, {{"sound.wav", "sound.flac", "sound.ogg", "sound.mp3"},
                       [&](const std::filesystem::path& file) { return small.saveToFile(file); },
                       [&](const std::filesystem::path& file) { return large.saveToFile(file); },
                       [](const std::filesystem::path& file, const std::string& line) {
                           return line.rfind("mivra: cannot save the sound: " + file.string() + ": ", 0) == 0;
                       },
                       [](const std::filesystem::path& file, const std::string&) {
                           mivra::SoundBuffer loaded;
                           return loaded.loadFromFile(file) && loaded.getSampleCount() >= 80000;
                       }});
        });
    if (!result.skipped.empty())
        GTEST_SKIP() << "needs root for a small tmpfs: " << result.skipped;
    EXPECT_EQ(result.problems, "");
}
