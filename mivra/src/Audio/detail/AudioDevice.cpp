#include "AudioDevice.hpp"

#include "NullAudioBackend.hpp"

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
        if (!openOutput(true, error))
        {
            reportDiagnostic("cannot open an audio output device", {}, error + "; sounds play on a silent null output");
            openSilentOutput();
        }
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

bool AudioDevice::openOutput(bool firstOpen, std::string& error)
{
    m_output = m_backend.openOutput(
        m_format, m_bufferFrames, [this](std::int16_t* out, std::size_t frames) { mix(out, frames); }, firstOpen,
        error);
    if (!m_output)
        return false;
    m_output->start();
    m_silentAfterLoss = false;
    return true;
}

void AudioDevice::openSilentOutput()
{
    m_output = std::make_unique<SilentOutput>(SilentOutputName, m_format, m_bufferFrames,
                                              [this](std::int16_t* out, std::size_t frames) { mix(out, frames); });
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
        if (m_silentAfterLoss)
        {
            // A device came back (or was added): play there again, without a word.
            std::string ignored;
            auto silent = std::move(m_output);
            if (!openOutput(false, ignored))
                m_output = std::move(silent);
            continue;
        }
        if (!m_output->lost())
            continue;
        const std::string lostName = m_output->name();
        // Closed before the next one opens, so that the mix never runs on two threads.
        m_output.reset();
        std::string ignored;
        if (!openOutput(false, ignored))
        {
            openSilentOutput();
            m_silentAfterLoss = true;
        }
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
    {
        const float value = std::nearbyint(m_mixBuffer[i] * 32768.f);
        out[i] = static_cast<std::int16_t>(std::clamp(value, -32768.f, 32767.f));
    }
    m_consumed.notify_all();
}
} // namespace mivra::detail
