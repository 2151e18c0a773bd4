#include <mivra/Audio/AudioLimits.hpp>
#include <mivra/Audio/SoundRecorder.hpp>
#include <mivra/System/Diagnostics.hpp>

#include "detail/AudioDevice.hpp"
#include "detail/CaptureSession.hpp"

#include <algorithm>
#include <string>

namespace mivra
{
SoundRecorder::SoundRecorder() : m_device(detail::AudioDevice::get())
{
}

SoundRecorder::~SoundRecorder()
{
    // Derived recorders stop in their own destructor; this only reclaims the thread.
    stop();
}

bool SoundRecorder::isAvailable()
{
    return !getAvailableDevices().empty();
}

std::vector<std::string> SoundRecorder::getAvailableDevices()
{
    const auto device = detail::AudioDevice::get();
    if (!device->captureReady())
        return {};
    return device->backend().captureDevices();
}

std::string SoundRecorder::getDefaultDevice()
{
    const auto device = detail::AudioDevice::get();
    if (!device->captureReady())
        return {};
    std::string name = device->backend().defaultCaptureDevice();
    if (!name.empty())
        return name;
    const auto devices = getAvailableDevices();
    return devices.empty() ? std::string() : devices.front();
}

bool SoundRecorder::setDevice(const std::string& name)
{
    if (isCapturing())
    {
        reportDiagnostic("cannot change the capture device", name, "the recorder is capturing");
        return false;
    }
    const auto devices = getAvailableDevices();
    if (!name.empty() && std::find(devices.begin(), devices.end(), name) == devices.end())
    {
        reportDiagnostic("cannot change the capture device", name, "no such device");
        return false;
    }
    m_deviceName = name;
    return true;
}

void SoundRecorder::setChannelCount(unsigned int channelCount)
{
    if (channelCount != 1 && channelCount != 2)
    {
        reportDiagnostic("cannot set the capture channel count", detail::captureDeviceLabel(m_deviceName),
                         "only 1 or 2 channels can be captured, not " + std::to_string(channelCount));
        return;
    }
    m_channelCount = channelCount;
    m_channelMap = channelCount == 1 ? std::vector{SoundChannel::Mono}
                                     : std::vector{SoundChannel::FrontLeft, SoundChannel::FrontRight};
}

bool SoundRecorder::isCapturing() const
{
    return m_session && !m_session->finished();
}

bool SoundRecorder::start(unsigned int sampleRate)
{
    if (m_session && m_session->finished())
    {
        // The last capture ended on its own; its hooks have all run.
        m_session->join();
        m_session.reset();
    }
    if (m_session)
    {
        reportDiagnostic("cannot start capture", detail::captureDeviceLabel(m_deviceName),
                         "this recorder is already capturing");
        return false;
    }
    if (!isSupportedSampleRate(sampleRate))
    {
        reportDiagnostic("cannot start capture", detail::captureDeviceLabel(m_deviceName),
                         "a sample rate of " + std::to_string(sampleRate) + " Hz is outside the supported " +
                             std::to_string(MinSampleRate) + " to " + std::to_string(MaxSampleRate) + " Hz");
        return false;
    }
    if (!m_device->captureReady())
    {
        reportDiagnostic("cannot start capture", detail::captureDeviceLabel(m_deviceName),
                         "the audio system is not available");
        return false;
    }
    auto session = std::make_unique<detail::CaptureSession>(*this);
    if (!session->open(m_deviceName, sampleRate, m_channelCount))
        return false;
    m_sampleRate = sampleRate;
    if (!onCaptureStart())
        return false; // the session closes its device on destruction, no hook runs
    session->run();
    m_session = std::move(session);
    return true;
}

void SoundRecorder::stop()
{
    if (!m_session)
        return;
    m_session->requestStop();
    m_session->join();
    m_session.reset();
}

bool SoundRecorder::onCaptureStart()
{
    return true;
}

void SoundRecorder::onCaptureStop()
{
}
} // namespace mivra
