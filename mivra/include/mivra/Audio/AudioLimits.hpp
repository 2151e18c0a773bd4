#pragma once

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

/// Whether the rate lies within MinSampleRate to MaxSampleRate.
[[nodiscard]] constexpr bool isSupportedSampleRate(unsigned int sampleRate)
{
    return sampleRate >= MinSampleRate && sampleRate <= MaxSampleRate;
}
} // namespace mivra
