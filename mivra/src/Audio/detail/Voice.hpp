#pragma once

#include <mivra/Audio/SoundChannel.hpp>
#include <mivra/Audio/SoundSource.hpp>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

// SDL's resampler, kept out of the code that includes this header.
struct _SDL_AudioStream;

namespace mivra::detail
{
// The fixed format of the output: everything is converted to it before mixing.
struct OutputFormat
{
    unsigned int sampleRate{44100};
    unsigned int channelCount{2};
};

// One source in the mixer. Every member is guarded by the output device's mutex; render() runs on
// the output thread.
class Voice
{
public:
    Voice() = default;
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;
    virtual ~Voice();

    // Sets the layout of the source frames and builds the conversion to the output format.
    void setFormat(unsigned int channelCount, unsigned int sampleRate, const std::vector<SoundChannel>& channelMap,
                   const OutputFormat& output);
    // Adds up to frameCount output frames, scaled by the volume, to out; returns how many it made.
    std::size_t render(float* out, std::size_t frameCount);
    // True once the source is exhausted and every converted frame has been rendered.
    [[nodiscard]] bool finished() const { return m_finished; }
    // Forgets samples held inside the converter, for a seek or a stop.
    void resetConversion();
    // Starts the run over from the given source frame: nothing rendered yet, nothing left in the
    // converter. Sources add what they hold for the run.
    virtual void restartAt(std::uint64_t sourceFrame);
    // Called by the mixer when the voice has played to its end.
    virtual void rewind() {}

    [[nodiscard]] unsigned int channelCount() const { return m_channelCount; }
    [[nodiscard]] unsigned int sampleRate() const { return m_sampleRate; }
    // Source frames played since the last reset, derived from the output frames rendered.
    [[nodiscard]] std::uint64_t playedSourceFrames() const;

    SoundSource::Status status{SoundSource::Status::Stopped};
    float volume{1.f};
    bool loop{false};
    bool inMixer{false};
    std::uint64_t outputFrames{};

protected:
    // Hands out up to maxFrames contiguous source frames (interleaved 16-bit samples); the pointer
    // stays valid until the next call. Returns 0 when nothing is available now.
    virtual std::size_t fetch(const std::int16_t*& data, std::size_t maxFrames) = 0;
    // True when no frame will ever be available again.
    [[nodiscard]] virtual bool exhausted() const = 0;

private:
    void convert(const std::int16_t* in, std::size_t frames, float* out) const;
    // Fill m_rendered from the start with up to frameCount output frames; return how many.
    std::size_t renderDirect(std::size_t frameCount);
    std::size_t renderResampled(std::size_t frameCount);
    // Feeds the resampler silence past the source's end, since SDL's flush keeps its tail.
    void padResamplerWithSilence();

    unsigned int m_channelCount{1};
    unsigned int m_sampleRate{44100};
    OutputFormat m_output;
    std::vector<float> m_gains; // m_gains[source channel * output channels + output channel]
    _SDL_AudioStream* m_resampler{};
    bool m_draining{false};
    std::uint64_t m_pushedFrames{};
    std::uint64_t m_resampledFrames{};
    std::uint64_t m_drainTarget{};
    bool m_finished{false};
    std::vector<float> m_rendered;
    std::vector<float> m_converted;
};

// A voice playing from memory (a SoundBuffer's samples).
class BufferVoice : public Voice
{
public:
    const std::int16_t* samples{};
    std::size_t frameCount{};
    std::size_t position{};     // next source frame to hand out
    std::uint64_t startFrame{}; // source frame where the current run started

    // Also moves the read position there, though never past the samples.
    void restartAt(std::uint64_t sourceFrame) override;
    void rewind() override { startFrame = 0; }

protected:
    std::size_t fetch(const std::int16_t*& data, std::size_t maxFrames) override;
    [[nodiscard]] bool exhausted() const override;
};

// A voice playing the chunks a streaming thread queues.
class StreamVoice : public Voice
{
public:
    // Queues whole frames, taking over the block; a trailing partial frame waits for the next push.
    // The caller copies a chunk into the block before taking the output's lock, so that the mixer
    // never waits for a large copy.
    void push(std::vector<std::int16_t>&& samples);
    void clearQueue();
    // Also drops the queue: what it holds belongs to the previous position.
    void restartAt(std::uint64_t sourceFrame) override;

    std::uint64_t queuedFrames{};
    std::uint64_t baseFrame{}; // source frame the queued data started from
    bool ended{false};         // nothing more will be queued
    bool stopRequested{false};
    std::optional<std::int64_t> pendingSeek; // microseconds
    bool threadRunning{false};

protected:
    std::size_t fetch(const std::int16_t*& data, std::size_t maxFrames) override;
    [[nodiscard]] bool exhausted() const override;

private:
    std::deque<std::vector<std::int16_t>> m_chunks;
    std::size_t m_frontOffset{}; // samples of the front chunk already handed out
    std::vector<std::int16_t> m_partial;
};
} // namespace mivra::detail
