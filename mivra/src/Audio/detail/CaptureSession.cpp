#include "CaptureSession.hpp"

#include <mivra/Audio/SoundRecorder.hpp>
#include <mivra/System/Diagnostics.hpp>

namespace mivra::detail
{
CaptureSession::~CaptureSession()
{
    requestStop();
    join();
    closeDevice();
}

bool CaptureSession::open(const std::string& deviceName, unsigned int sampleRate, unsigned int channelCount)
{
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(sampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(channelCount);
    // Batches of about ten milliseconds keep the delay from microphone to hook short.
    Uint16 frames = 64;
    while (frames < sampleRate / 100 && frames < 8192)
        frames = static_cast<Uint16>(frames * 2);
    wanted.samples = frames;
    wanted.callback = callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    m_id = SDL_OpenAudioDevice(deviceName.empty() ? nullptr : deviceName.c_str(), 1, &wanted, &obtained, 0);
    if (m_id == 0)
    {
        reportDiagnostic("cannot open the capture device", captureDeviceLabel(deviceName), SDL_GetError());
        return false;
    }
    return true;
}

void CaptureSession::run()
{
    SDL_PauseAudioDevice(m_id, 0);
    m_thread = std::thread(&CaptureSession::captureLoop, this);
}

void CaptureSession::requestStop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_arrived.notify_all();
}

void CaptureSession::join()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void CaptureSession::closeDevice()
{
    if (m_id != 0)
    {
        // Returns once SDL's thread has left the callback for good.
        SDL_CloseAudioDevice(m_id);
        m_id = 0;
    }
}

void SDLCALL CaptureSession::callback(void* userdata, Uint8* stream, int length)
{
    auto* session = static_cast<CaptureSession*>(userdata);
    const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
    {
        std::lock_guard lock(session->m_mutex);
        session->m_pending.insert(session->m_pending.end(), samples,
                                  samples + static_cast<std::size_t>(length) / sizeof(std::int16_t));
    }
    session->m_arrived.notify_one();
}

void CaptureSession::captureLoop()
{
    std::vector<std::int16_t> batch;
    bool refused = false;
    while (true)
    {
        {
            std::unique_lock lock(m_mutex);
            m_arrived.wait(lock, [&] { return m_stopRequested || !m_pending.empty(); });
            if (m_pending.empty())
                break; // stop requested and everything delivered
            batch.swap(m_pending);
            m_pending.clear();
        }
        if (!m_recorder.onCapturedSamples(batch.data(), batch.size()))
        {
            refused = true;
            break;
        }
    }
    closeDevice();
    if (!refused)
    {
        // What the device captured between the last batch and its closing.
        std::unique_lock lock(m_mutex);
        batch.swap(m_pending);
        m_pending.clear();
        lock.unlock();
        if (!batch.empty())
            m_recorder.onCapturedSamples(batch.data(), batch.size());
    }
    m_recorder.onCaptureStop();
    m_finished = true;
}
} // namespace mivra::detail
