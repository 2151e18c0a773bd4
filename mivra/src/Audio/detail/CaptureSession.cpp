#include "CaptureSession.hpp"

#include <mivra/Audio/SoundRecorder.hpp>
#include <mivra/System/Diagnostics.hpp>

#include <algorithm>
#include <chrono>
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
    // Batches of about ten milliseconds keep the delay from microphone to hook short.
    std::size_t frames = 64;
    while (frames < sampleRate / 100 && frames < 8192)
        frames *= 2;
    std::string error;
    m_stream = audioBackend().openCapture(
        deviceName, sampleRate, channelCount, frames,
        [this](const std::int16_t* samples, std::size_t count) { collect(samples, count); }, error);
    if (!m_stream)
    {
        reportDiagnostic("cannot open the capture device", captureDeviceLabel(deviceName), error);
        return false;
    }
    m_device = m_stream.get();
    m_deviceLabel = captureDeviceLabel(deviceName);
    m_maxPending = std::size_t{MaxBacklogSeconds} * sampleRate * channelCount;
    // The bound must leave room for a whole device buffer, or nothing would ever get through.
    m_maxPending = std::max<std::size_t>(m_maxPending, 2 * frames * channelCount);
    m_pending.reserve(m_maxPending);
    return true;
}

void CaptureSession::run()
{
    m_stream->start();
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
    // Returns once the device's thread has left the callback for good.
    m_stream.reset();
}

void CaptureSession::collect(const std::int16_t* samples, std::size_t count)
{
    // Once the device is gone, what it hands over is made up.
    if (m_lost || m_device->lost())
    {
        m_lost = true;
        m_arrived.notify_one();
        return;
    }
    {
        // No report from here: this is the device's thread, which must not wait on the sink.
        std::lock_guard lock(m_mutex);
        const std::size_t room = m_maxPending - std::min(m_maxPending, m_pending.size());
        const std::size_t kept = std::min(room, count);
        m_pending.insert(m_pending.end(), samples, samples + kept);
        m_dropped += count - kept;
    }
    m_arrived.notify_one();
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
            // The device is looked at now and then too, in case a lost one stops calling back.
            while (!m_stopRequested && m_pending.empty() && !m_lost)
            {
                if (!m_arrived.wait_for(lock, std::chrono::milliseconds(LossCheckMilliseconds),
                                        [&] { return m_stopRequested || !m_pending.empty() || m_lost; }))
                    m_lost = m_stream->lost();
            }
            // On a stop the backlog goes out below, in one batch, once the device has stopped
            // adding to it: delivering while it captures would never end with a slow hook.
            if (m_stopRequested || m_lost)
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
    const std::string lostName = m_lost ? m_stream->name() : std::string();
    closeDevice();
    if (!lostName.empty())
        reportDiagnostic("the capture device went away", lostName, "the recording ends with what was captured");
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
