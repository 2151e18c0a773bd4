#include "CaptureSession.hpp"

#include <mivra/Audio/SoundRecorder.hpp>
#include <mivra/System/Diagnostics.hpp>

#include <algorithm>
#include <string>

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
    m_deviceLabel = captureDeviceLabel(deviceName);
    m_maxPending = std::size_t{MaxBacklogSeconds} * static_cast<std::size_t>(obtained.freq) * obtained.channels;
    // The bound must leave room for a whole device buffer, or nothing would ever get through.
    m_maxPending = std::max<std::size_t>(m_maxPending,
                                         2 * static_cast<std::size_t>(obtained.samples) * obtained.channels);
    m_pending.reserve(m_maxPending);
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
    const std::size_t count = static_cast<std::size_t>(length) / sizeof(std::int16_t);
    {
        // No report from here: this is SDL's audio thread, which must not wait on the sink.
        std::lock_guard lock(session->m_mutex);
        const std::size_t room = session->m_maxPending - std::min(session->m_maxPending, session->m_pending.size());
        const std::size_t kept = std::min(room, count);
        session->m_pending.insert(session->m_pending.end(), samples, samples + kept);
        session->m_dropped += count - kept;
    }
    session->m_arrived.notify_one();
}

void CaptureSession::takePending(std::vector<std::int16_t>& batch)
{
    // Swapping keeps both blocks at their capacity: no allocation on either side once running.
    batch.clear();
    batch.swap(m_pending);
}

void CaptureSession::reportDropsOnce()
{
    bool dropped = false;
    {
        std::lock_guard lock(m_mutex);
        dropped = m_dropped > 0;
    }
    if (!dropped || m_dropsReported)
        return;
    m_dropsReported = true;
    reportDiagnostic("captured audio dropped", m_deviceLabel,
                     "the recorder's processing is slower than real time; what comes beyond " +
                         std::to_string(MaxBacklogSeconds) + " s of waiting audio is lost");
}

void CaptureSession::captureLoop()
{
    std::vector<std::int16_t> batch;
    batch.reserve(m_maxPending);
    bool refused = false;
    while (true)
    {
        {
            std::unique_lock lock(m_mutex);
            m_arrived.wait(lock, [&] { return m_stopRequested || !m_pending.empty(); });
            // On a stop the backlog goes out below, in one batch, once the device has stopped
            // adding to it: delivering while it captures would never end with a slow hook.
            if (m_stopRequested)
                break;
            takePending(batch);
        }
        reportDropsOnce();
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
        {
            std::lock_guard lock(m_mutex);
            takePending(batch);
        }
        reportDropsOnce();
        if (!batch.empty())
            m_recorder.onCapturedSamples(batch.data(), batch.size());
    }
    m_recorder.onCaptureStop();
    m_finished = true;
}
} // namespace mivra::detail
