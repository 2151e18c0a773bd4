// Devices that go away, on the null backend (NullBackendChoice.cpp): one diagnostic line naming
// the device, output carried on by the next default device or the silent one, a recording that
// keeps what was captured before the loss and nothing after it. Each case runs in its own process,
// so each sets the devices up before the output first opens.
#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/Audio/SoundBufferRecorder.hpp>

#include "Audio/detail/AudioDevice.hpp"
#include "Audio/detail/NullAudioBackend.hpp"
#include "Support/DiagnosticCapture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace
{
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using mivra::detail::nullAudioBackend;

bool waitFor(const std::function<bool()>& predicate, std::chrono::milliseconds limit = 5000ms)
{
    const auto deadline = Clock::now() + limit;
    while (!predicate())
    {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// A mono buffer of that length, never silent.
mivra::SoundBuffer toneBuffer(std::chrono::milliseconds length)
{
    const auto frames = static_cast<std::size_t>(44100 * length.count() / 1000);
    std::vector<std::int16_t> samples(frames, 4000);
    mivra::SoundBuffer buffer;
    EXPECT_TRUE(buffer.loadFromSamples(samples.data(), samples.size(), 1, 44100, {mivra::SoundChannel::Mono}));
    return buffer;
}

// When a sound played from now ends, after the output loses the device `lossAfter` in.
std::chrono::milliseconds playThroughLoss(const std::string& lostDevice, std::chrono::milliseconds length,
                                          std::chrono::milliseconds lossAfter)
{
    const mivra::SoundBuffer buffer = toneBuffer(length);
    mivra::Sound sound(buffer);
    const auto start = Clock::now();
    sound.play();
    std::this_thread::sleep_for(lossAfter);
    nullAudioBackend().removeOutputDevice(lostDevice);
    EXPECT_TRUE(waitFor([&] { return sound.getStatus() == mivra::SoundSource::Status::Stopped; }));
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}
} // namespace

TEST(AudioDeviceLoss, OutputMovesToTheNextDefaultDeviceThenToTheSilentOneWithOneLineEach)
{
    nullAudioBackend().setOutputDevices({"speakers", "headphones"});
    mivra::test::DiagnosticCapture diagnostics;
    const auto device = mivra::detail::AudioDevice::get();
    ASSERT_EQ(device->outputName(), "speakers");

    const auto ended = playThroughLoss("speakers", 600ms, 200ms);
    EXPECT_GE(ended, 550ms);
    EXPECT_LT(ended, 1000ms) << "the sound must end when it would have";
    EXPECT_EQ(device->outputName(), "headphones");
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{"mivra: the audio output device went away: speakers: "
                                                           "sounds play on through headphones"});
    const auto before = nullAudioBackend().renderedFrames("headphones");
    EXPECT_TRUE(waitFor([&] { return nullAudioBackend().renderedFrames("headphones") > before + 4410; }))
        << "the next device must be playing";

    // No device left: the silent output keeps time.
    const auto endedSilent = playThroughLoss("headphones", 600ms, 200ms);
    EXPECT_GE(endedSilent, 550ms);
    EXPECT_LT(endedSilent, 1000ms);
    EXPECT_EQ(device->outputName(), "silent null output");
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{"mivra: the audio output device went away: headphones: "
                                                           "sounds play on through a silent null output"});
}

// Output returns, without a line, to a device that comes back; that device is then followed like
// the first: its own loss is noticed, said and played through.
TEST(AudioDeviceLoss, ADeviceThatComesBackIsTakenQuietlyAndFollowedWhenItGoesAgain)
{
    nullAudioBackend().setOutputDevices({"speakers"});
    mivra::test::DiagnosticCapture diagnostics;
    const auto device = mivra::detail::AudioDevice::get();
    nullAudioBackend().removeOutputDevice("speakers");
    ASSERT_TRUE(waitFor([&] { return device->outputName() == "silent null output"; }));
    EXPECT_EQ(diagnostics.take().size(), 1u);

    nullAudioBackend().setOutputDevices({"docking station"});
    ASSERT_TRUE(waitFor([&] { return device->outputName() == "docking station"; }, 3000ms));
    const auto before = nullAudioBackend().renderedFrames("docking station");
    EXPECT_TRUE(waitFor([&] { return nullAudioBackend().renderedFrames("docking station") > before + 4410; }));
    EXPECT_TRUE(diagnostics.take().empty());

    nullAudioBackend().setOutputDevices({"docking station", "speakers"});
    nullAudioBackend().removeOutputDevice("docking station");
    ASSERT_TRUE(waitFor([&] { return device->outputName() == "speakers"; }, 3000ms))
        << "the second loss must be followed to the next device";
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{"mivra: the audio output device went away: docking station: "
                                                           "sounds play on through speakers"});
}

TEST(AudioDeviceLoss, RecordingKeepsWhatWasCapturedBeforeTheLossAndStops)
{
    nullAudioBackend().setCaptureDevices({"usb microphone", "webcam"});
    mivra::test::DiagnosticCapture diagnostics;
    mivra::SoundBufferRecorder recorder;
    ASSERT_TRUE(recorder.setDevice("usb microphone"));
    ASSERT_TRUE(recorder.start(44100));
    std::this_thread::sleep_for(400ms);
    nullAudioBackend().removeCaptureDevice("usb microphone");
    ASSERT_TRUE(waitFor([&] { return !recorder.isCapturing(); })) << "the recorder must stop by itself";
    // Long after the loss: nothing more arrives.
    std::this_thread::sleep_for(300ms);
    recorder.stop();

    EXPECT_EQ(diagnostics.take(), std::vector<std::string>{"mivra: the capture device went away: usb microphone: "
                                                           "the recording ends with what was captured"});
    const mivra::SoundBuffer& kept = recorder.getBuffer();
    EXPECT_GE(kept.getSampleCount(), 44100u * 300 / 1000);
    EXPECT_LE(kept.getSampleCount(), 44100u * 600 / 1000) << "the recording must end at the loss";
    for (std::size_t i = 0; i < kept.getSampleCount(); ++i)
        ASSERT_EQ(kept.getSamples()[i], mivra::detail::NullAudioBackend::CapturedValue)
            << "made-up silence at sample " << i;

    // The next step works on what was kept, and another device records.
    mivra::Sound playback(kept);
    playback.play();
    EXPECT_EQ(playback.getStatus(), mivra::SoundSource::Status::Playing);
    ASSERT_TRUE(recorder.setDevice("webcam"));
    ASSERT_TRUE(recorder.start(44100));
    std::this_thread::sleep_for(100ms);
    recorder.stop();
    EXPECT_GT(recorder.getBuffer().getSampleCount(), 0u);
    EXPECT_TRUE(diagnostics.take().empty());
}

TEST(AudioDeviceLoss, ServerGoneTakesOutputAndCaptureWithOneLineEach)
{
    nullAudioBackend().setOutputDevices({"speakers"});
    nullAudioBackend().setCaptureDevices({"microphone"});
    mivra::test::DiagnosticCapture diagnostics;
    mivra::SoundBufferRecorder recorder;
    ASSERT_TRUE(recorder.start(44100));
    // Both devices go at once, as when the sound server dies.
    const auto ended = playThroughLoss("speakers", 500ms, 200ms);
    nullAudioBackend().removeCaptureDevice("microphone");
    EXPECT_GE(ended, 450ms);
    EXPECT_LT(ended, 900ms);
    ASSERT_TRUE(waitFor([&] { return !recorder.isCapturing(); }));
    recorder.stop();

    auto lines = diagnostics.take();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "mivra: the audio output device went away: speakers: sounds play on through a silent null "
                  "output",
                  "mivra: the capture device went away: microphone: the recording ends with what was captured"}));
    EXPECT_GT(recorder.getBuffer().getSampleCount(), 0u);
}
