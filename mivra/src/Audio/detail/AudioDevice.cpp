#include "AudioDevice.hpp"

#include "NullAudioBackend.hpp"
#include "SampleConversion.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace mivra::detail
{
namespace
{
constexpr const char* SilentOutputName = "silent null output";
}

std::shared_ptr<AudioDevice> AudioDevice::get()
{
    // Built on first use, destroyed at exit or when the last sound, stream or recorder goes,
    // whichever is later.
    static const std::shared_ptr<AudioDevice> instance(new AudioDevice);
    return instance;
}

AudioDevice::AudioDevice() : m_backend(audioBackend())
{
    m_mixBuffer.resize(m_bufferFrames * m_format.channelCount);
    std::string error;
    {
        const std::lock_guard lock(m_outputMutex);
        auto output = openOutput(true, error);
        if (!output)
        {
            reportDiagnostic("cannot open an audio output device", {}, error + "; sounds play on a silent null output");
            output = silentOutput();
        }
        playOn(std::move(output));
    }
    m_watcher = std::thread([this] { watch(); });
}

AudioDevice::~AudioDevice()
{
    {
        const std::lock_guard lock(m_outputMutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_watcher.join();
    m_output.reset();
}

std::unique_ptr<BackendStream> AudioDevice::openOutput(bool firstOpen, std::string& error)
{
    return m_backend.openOutput(
        m_format, m_bufferFrames, [this](std::int16_t* out, std::size_t frames) { mix(out, frames); }, firstOpen,
        error);
}

std::unique_ptr<BackendStream> AudioDevice::silentOutput()
{
    return std::make_unique<SilentOutput>(SilentOutputName, m_format, m_bufferFrames,
                                          [this](std::int16_t* out, std::size_t frames) { mix(out, frames); });
}

void AudioDevice::playOn(std::unique_ptr<BackendStream> output)
{
    // The old output is closed before the new one starts, so that the mix never runs on two threads.
    m_output.reset();
    m_output = std::move(output);
    m_output->start();
}

std::string AudioDevice::outputName()
{
    const std::lock_guard lock(m_outputMutex);
    return m_output ? m_output->name() : std::string();
}

void AudioDevice::watch()
{
    std::unique_lock lock(m_outputMutex);
    while (!m_quit)
    {
        const int wait = m_silentAfterLoss ? RetryMilliseconds : WatchMilliseconds;
        m_wake.wait_for(lock, std::chrono::milliseconds(wait));
        if (m_quit)
            break;
        std::string ignored;
        if (m_silentAfterLoss)
        {
            // A device came back (or was added): play there again, without a word.
            if (auto output = openOutput(false, ignored))
            {
                playOn(std::move(output));
                m_silentAfterLoss = false;
            }
            continue;
        }
        if (!m_output->lost())
            continue;
        const std::string lostName = m_output->name();
        m_output.reset();
        auto output = openOutput(false, ignored);
        m_silentAfterLoss = !output;
        playOn(output ? std::move(output) : silentOutput());
        reportDiagnostic("the audio output device went away", lostName,
                         m_silentAfterLoss ? "sounds play on through a silent null output"
                                           : "sounds play on through " + m_output->name());
    }
}

void AudioDevice::addVoice(const std::shared_ptr<Voice>& voice)
{
    if (voice->inMixer)
        return;
    voice->inMixer = true;
    m_voices.push_back(voice);
}

void AudioDevice::removeVoice(Voice& voice)
{
    if (!voice.inMixer)
        return;
    voice.inMixer = false;
    std::erase_if(m_voices, [&](const std::shared_ptr<Voice>& v) { return v.get() == &voice; });
}

void AudioDevice::mix(std::int16_t* out, std::size_t frameCount)
{
    const std::size_t sampleCount = frameCount * m_format.channelCount;
    {
        std::lock_guard lock(m_mutex);
        if (m_voices.empty())
        {
            // Nothing playing: silence, without a pass over the mix.
            std::fill_n(out, sampleCount, std::int16_t{0});
            return;
        }
        if (m_mixBuffer.size() < sampleCount)
            m_mixBuffer.resize(sampleCount);
        std::fill_n(m_mixBuffer.begin(), sampleCount, 0.f);
        for (std::size_t i = 0; i < m_voices.size();)
        {
            Voice& voice = *m_voices[i];
            if (voice.status == SoundSource::Status::Playing)
            {
                voice.render(m_mixBuffer.data(), frameCount);
                if (voice.finished())
                {
                    voice.status = SoundSource::Status::Stopped;
                    voice.rewind();
                }
            }
            if (voice.status == SoundSource::Status::Stopped)
            {
                voice.inMixer = false;
                m_voices.erase(m_voices.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
    }
    for (std::size_t i = 0; i < sampleCount; ++i)
        out[i] = toSample(m_mixBuffer[i]);
}
} // namespace mivra::detail
