#pragma once

#include <mivra/Audio/SoundChannel.hpp>
#include <mivra/Audio/SoundSource.hpp>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace mivra::detail
{
// The fixed format of the output: everything is converted to it before mixing.
struct OutputFormat
{
    unsigned int sampleRate{44100};
    unsigned int channelCount{2};
};

// Frames a source hands to the mixer: already at the output's rate, in the source's channel
// layout, as 16-bit integers (sounds' buffers) or floats in -1..1 (streams).
struct SourceFrames
{
    const std::int16_t* integers{};
    const float* floats{};
    std::size_t count{};
};

// One source in the mixer. Every member is guarded by the output device's mutex; render() runs on
// the output thread. Sources convert to the output's rate before they hand frames over (a buffer
// once, a stream as it is queued), so that mixing is only a channel mapping and a sum.
class Voice
{
public:
    Voice() = default;
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;
    virtual ~Voice() = default;

    // Sets the layout and rate of the source frames and builds the channel mapping to the output.
    void setFormat(unsigned int channelCount, unsigned int sampleRate, const std::vector<SoundChannel>& channelMap,
                   const OutputFormat& output);
    // Adds up to frameCount output frames, scaled by the volume, to out; returns how many it made.
    std::size_t render(float* out, std::size_t frameCount);
    // True once the source is exhausted and every frame has been rendered.
    [[nodiscard]] bool finished() const { return m_finished; }
    // Starts the run over from the given source frame: nothing rendered yet. Sources add what they
    // hold for the run.
    virtual void restartAt(std::uint64_t sourceFrame);
    // Called by the mixer when the voice has played to its end.
    virtual void rewind() {}

    [[nodiscard]] unsigned int channelCount() const { return m_channelCount; }
    // The source's own rate, which positions count in.
    [[nodiscard]] unsigned int sampleRate() const { return m_sampleRate; }
    [[nodiscard]] const OutputFormat& output() const { return m_output; }
    // Source frames played since the last reset, derived from the output frames rendered.
    [[nodiscard]] std::uint64_t playedSourceFrames() const;
    // The output frame that a source frame plays at, counted from the same start.
    [[nodiscard]] std::uint64_t outputFrameOf(std::uint64_t sourceFrame) const;

    SoundSource::Status status{SoundSource::Status::Stopped};
    float volume{1.f};
    bool loop{false};
    bool inMixer{false};
    std::uint64_t outputFrames{};

protected:
    // Hands out up to maxFrames contiguous frames at the output's rate; the pointer stays valid
    // until the next call. A count of 0 when nothing is available now.
    virtual SourceFrames fetch(std::size_t maxFrames) = 0;
    // True when no frame will ever be available again.
    [[nodiscard]] virtual bool exhausted() const = 0;

private:
    template <typename Sample>
    void mixIn(const Sample* in, std::size_t frames, float scale, float* out) const;

    unsigned int m_channelCount{1};
    unsigned int m_sampleRate{44100};
    OutputFormat m_output;
    std::vector<float> m_gains; // m_gains[source channel * output channels + output channel]
    bool m_straight{false};     // each source channel goes to its own output channel unchanged
    bool m_finished{false};
};

// A voice playing from memory (a SoundBuffer's samples).
class BufferVoice : public Voice
{
public:
    // The buffer's samples at its own rate, which positions count in.
    const std::int16_t* samples{};
    std::size_t frameCount{};
    // The same samples at the output's rate when the buffer's rate differs: converted once per
    // buffer and shared by its sounds, so that playing one costs no more than a sound at the
    // output's rate.
    std::shared_ptr<const std::vector<std::int16_t>> converted;
    std::size_t position{};     // next frame to hand out, of the frames played (the converted ones if any)
    std::uint64_t startFrame{}; // source frame where the current run started

    // Also moves the read position there, though never past the samples.
    void restartAt(std::uint64_t sourceFrame) override;
    void rewind() override { startFrame = 0; }

protected:
    SourceFrames fetch(std::size_t maxFrames) override;
    [[nodiscard]] bool exhausted() const override;

private:
    [[nodiscard]] std::size_t playedFrames() const;
};

// A voice playing the chunks a streaming thread queues, already converted to floats at the
// output's rate.
class StreamVoice : public Voice
{
public:
    // Queues whole frames, taking over the block. The caller converts a chunk before taking the
    // output's lock, so that the mixer never waits for that work.
    void push(std::vector<float>&& samples);
    void clearQueue();
    // Also drops the queue: what it holds belongs to the previous position.
    void restartAt(std::uint64_t sourceFrame) override;

    std::uint64_t queuedFrames{}; // output frames waiting in the queue
    std::uint64_t baseFrame{};    // source frame the queued data started from
    bool ended{false};            // nothing more will be queued
    bool stopRequested{false};
    std::optional<std::int64_t> pendingSeek; // microseconds
    bool threadRunning{false};
    // The streaming thread sleeps on `wake` while the queue is full enough; the mixer sets `wanted`
    // and wakes it once, when the queue falls to lowMark output frames.
    std::uint64_t lowMark{};
    bool wanted{false};
    // A stream starts (and starts again after running dry) only once it holds this many frames or
    // has ended, so that a converter still filling up or a first chunk shorter than the output's
    // buffer never leaves a gap after its first frames.
    std::uint64_t startMark{};
    std::condition_variable wake;

protected:
    SourceFrames fetch(std::size_t maxFrames) override;
    [[nodiscard]] bool exhausted() const override;

private:
    std::deque<std::vector<float>> m_chunks;
    std::size_t m_frontOffset{}; // samples of the front chunk already handed out
    bool m_started{false};
};
} // namespace mivra::detail
