#pragma once

#include <cstdint>

namespace mivra
{
/// The sample rates the library records, plays, loads and saves, in samples per second. A rate
/// outside them is refused with a diagnostic: far below, devices wait minutes for one buffer; far
/// above, rates no longer fit the platform's types.
///@{
inline constexpr unsigned int MinSampleRate = 1'000;
inline constexpr unsigned int MaxSampleRate = 768'000;
///@}
/// The most channels a sound, a buffer or a stream may have.
inline constexpr unsigned int MaxChannelCount = 64;
/// The most samples (frames times channels) a SoundBuffer takes from a file or from memory: 2^28,
/// 512 MiB of 16-bit samples, 50 minutes of 44.1 kHz stereo. A file whose header claims more is
/// refused before decoding; one that decodes to more (a small compressed file can expand almost
/// without end) is refused once it passes the cap. Music streams longer sounds.
inline constexpr std::uint64_t MaxSoundBufferSamples = std::uint64_t{1} << 28;

/// Whether the rate lies within MinSampleRate to MaxSampleRate.
[[nodiscard]] constexpr bool isSupportedSampleRate(unsigned int sampleRate)
{
    return sampleRate >= MinSampleRate && sampleRate <= MaxSampleRate;
}
} // namespace mivra
