#pragma once

#include <mivra/Audio/SoundChannel.hpp>
#include <mivra/Audio/SoundSource.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace mivra
{
namespace detail
{
class StreamVoice;
class AudioDevice;
} // namespace detail

/// A sound fed piece by piece by a derived class: audio from a file, a network, a generator.
///
/// A streaming thread of the library calls onRequestData for more samples while the queued audio
/// runs low, and onSeekTo when the position changes; these hooks never run at the same time. play()
/// on a stopped stream seeks to the start first. The stream is Playing until onRequestData has
/// returned false and everything it handed over has been played.
///
/// A derived class must call stop() in its destructor, so that no hook runs on a half-destroyed
/// object.
class SoundStream : public SoundSource
{
public:
    /// Samples handed over by onRequestData().
    struct Chunk
    {
        const std::int16_t* samples{}; ///< Interleaved samples, valid until the next onRequestData() call.
        std::size_t sampleCount{};     ///< How many, all channels counted: whole frames.
    };
    /// Another name for Chunk.
    using SampleChunk = Chunk;

    ~SoundStream() override;
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    /// Starts or resumes playback (from the start when stopped) and returns at once. The stream
    /// must have been given its format with initialize() (asserted).
    void play() override;
    /// Pauses playback, keeping the position.
    void pause() override;
    /// Stops playback and the streaming thread; the next play() starts from the beginning.
    void stop() override;
    /// Where playback stands.
    [[nodiscard]] Status getStatus() const override;

    /// The channel count given to initialize().
    [[nodiscard]] unsigned int getChannelCount() const { return m_channelCount; }
    /// The sample rate given to initialize().
    [[nodiscard]] unsigned int getSampleRate() const { return m_sampleRate; }
    /// The channel map given to initialize().
    [[nodiscard]] const std::vector<SoundChannel>& getChannelMap() const { return m_channelMap; }

    /// Moves playback to `offset` through onSeekTo().
    void setPlayingOffset(Time offset);
    /// The position being heard, from the start.
    [[nodiscard]] Time getPlayingOffset() const;

protected:
    /// A stream of no format yet: call initialize() before play().
    SoundStream();

    /// Sets the format of the samples the hooks deliver; stops the stream first. A rate outside
    /// MinSampleRate to MaxSampleRate or a channel count outside 1 to MaxChannelCount (AudioLimits.hpp)
    /// is refused with a diagnostic: false, and the stream keeps its previous format.
    bool initialize(unsigned int channelCount, unsigned int sampleRate, const std::vector<SoundChannel>& channelMap);

    /// Fills the chunk with the next samples (interleaved, whole frames); the samples must stay valid
    /// until the next call. Returns false when the stream has ended (a chunk filled on that call is
    /// still played).
    virtual bool onRequestData(Chunk& data) = 0;
    /// Moves the source to the given position.
    virtual void onSeekTo(Time timeOffset) = 0;
    /// Called after onRequestData returned false: returns the sample offset playback goes on from, or
    /// nothing to end the stream. By default a looping stream seeks back to the start.
    virtual std::optional<std::uint64_t> onLoop();

private:
    [[nodiscard]] detail::AudioDevice& outputDevice() const override;
    [[nodiscard]] detail::Voice& mixerVoice() const override;
    // The next samples as floats in -1..1, appended to `samples`; false once the stream has ended.
    // By default through onRequestData; the library's own streams decode straight to floats.
    virtual bool onRequestFloats(std::vector<float>& samples);
    void streamingLoop();
    void joinStreamingThread();

    unsigned int m_channelCount{};
    unsigned int m_sampleRate{};
    std::vector<SoundChannel> m_channelMap;
    std::shared_ptr<detail::AudioDevice> m_device;
    std::shared_ptr<detail::StreamVoice> m_voice;
    std::thread m_thread;
};
} // namespace mivra
