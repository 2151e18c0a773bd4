// Sound capture: records from a capture device of the user's choice, shows what was recorded, then
// plays it back or saves it to a file.
//
// Answers that are not numbers are not taken as 0: at the device question they are read again like
// a position out of range, and at the sampling rate the rest of the line is discarded as usual (the
// rate stays 0, which the recorder refuses). When standard input ends before a device is chosen,
// the program ends as if the device could not be set (status 1); later on, every wait returns at once.
#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBufferRecorder.hpp>
#include <mivra/System/Sleep.hpp>

#include "DeviceChoice.hpp"

#include <cstddef>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace
{
constexpr std::streamsize maxLine = 10000;

void waitForEnter()
{
    std::cin.ignore(maxLine, '\n');
}

} // namespace

int main()
{
    // Set-up: the device and the rate
    if (!mivra::SoundRecorder::isAvailable())
    {
        std::cout << "Sorry, audio capture is not supported by your system" << std::endl;
        return 0;
    }

    const std::vector<std::string> devices = mivra::SoundRecorder::getAvailableDevices();
    if (devices.empty())
    {
        // Nothing to choose from: the same as no capture support at all.
        std::cout << "Sorry, audio capture is not supported by your system" << std::endl;
        return 0;
    }
    std::cout << "Available capture devices:\n" << std::endl;
    for (std::size_t i = 0; i < devices.size(); ++i)
        std::cout << i << ": " << devices[i] << '\n';
    std::cout << std::endl;

    const std::optional<std::size_t> deviceIndex = sound_capture::chooseDevice(std::cin, std::cout, devices.size());
    if (!deviceIndex)
    {
        // Standard input ended before a device was chosen.
        std::cerr << "Failed to set the capture device" << std::endl;
        return 1;
    }

    std::cout << "Please choose the sample rate for sound capture (44100 is CD quality): ";
    unsigned int sampleRate = 0;
    std::cin >> sampleRate;
    if (std::cin.fail() && !std::cin.eof())
        std::cin.clear();
    waitForEnter();

    // Run: record, show what was recorded, then play or save it
    std::cout << "Press enter to start recording audio";
    waitForEnter();

    mivra::SoundBufferRecorder recorder;
    if (!recorder.setDevice(devices[*deviceIndex]))
    {
        std::cerr << "Failed to set the capture device" << std::endl;
        return 1;
    }
    if (!recorder.start(sampleRate))
    {
        std::cerr << "Failed to start recorder" << std::endl;
        return 1;
    }

    std::cout << "Recording... press enter to stop";
    waitForEnter();
    recorder.stop();

    const mivra::SoundBuffer& buffer = recorder.getBuffer();
    std::cout << "Sound information:" << '\n'
              << " " << buffer.getDuration().asSeconds() << " seconds" << '\n'
              << " " << buffer.getSampleRate() << " samples / seconds" << '\n'
              << " " << buffer.getChannelCount() << " channels" << std::endl;

    std::cout << "What do you want to do with captured sound (p = play, s = save) ? ";
    char choice = '\0';
    std::cin >> choice;
    waitForEnter();

    if (choice == 's')
    {
        std::cout << "Choose the file to create: ";
        std::string filename;
        std::getline(std::cin, filename);
        if (!buffer.saveToFile(filename))
            std::cerr << "Could not save sound buffer to file" << std::endl;
    }
    else
    {
        mivra::Sound sound(buffer);
        sound.play();
        while (sound.getStatus() == mivra::SoundSource::Status::Playing)
        {
            std::cout << "\rPlaying... " << sound.getPlayingOffset().asSeconds() << " sec        " << std::flush;
            mivra::sleep(mivra::milliseconds(100));
        }
    }

    // Clean-up
    std::cout << '\n' << "Done!" << std::endl;
    std::cout << "Press enter to exit..." << std::endl;
    waitForEnter();
    return 0;
}
