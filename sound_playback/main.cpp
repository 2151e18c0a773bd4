// Sound playback: plays a sound loaded whole into memory, then three music files streamed from
// disk, one after the other, each with its duration, sampling rate, channel count and a running
// position.
// A file that cannot be loaded ends the program at once with its reason on stderr and status 1.
#include <mivra/Audio/Music.hpp>
#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/System/Sleep.hpp>

#include <filesystem>
#include <iostream>

namespace
{
const std::filesystem::path resourceDirectory = MIVRA_RESOURCE_DIR;

// Shows the position of a playing sound or music every tenth of a second until it stops.
template <typename Playable>
void showProgress(const Playable& playable)
{
    while (playable.getStatus() == mivra::SoundSource::Status::Playing)
    {
        mivra::sleep(mivra::milliseconds(100));
        std::cout << "\rPlaying... " << playable.getPlayingOffset().asSeconds() << " sec        " << std::flush;
    }
    std::cout << '\n' << std::endl;
}

void printProperties(mivra::Time duration, unsigned int sampleRate, unsigned int channelCount)
{
    std::cout << " " << duration.asSeconds() << " seconds" << '\n'
              << " " << sampleRate << " samples / sec" << '\n'
              << " " << channelCount << " channels" << '\n';
}

void playSound()
{
    const mivra::SoundBuffer buffer(resourceDirectory / "killdeer.wav");
    std::cout << "killdeer.wav:" << '\n';
    printProperties(buffer.getDuration(), buffer.getSampleRate(), buffer.getChannelCount());

    mivra::Sound sound(buffer);
    sound.play();
    showProgress(sound);
}
} // namespace

void playMusic(const std::filesystem::path& fileName)
{
    mivra::Music music(resourceDirectory / fileName);
    // A path is written quoted, with its quotes and backslashes escaped.
    std::cout << fileName << ":" << '\n';
    printProperties(music.getDuration(), music.getSampleRate(), music.getChannelCount());

    music.play();
    showProgress(music);
}

int main()
{
    // Set-up: each file is loaded when its turn comes.
    // Run: the sound, then the music files, each to its end.
    try
    {
        playSound();
        playMusic("doodle_pop.ogg");
        playMusic("ding.flac");
        playMusic("ding.mp3");
    }
    catch (const mivra::Exception& e)
    {
        std::cerr << e.what() << std::endl;
        return 1;
    }

    // Clean-up
    std::cout << "Press enter to exit..." << std::endl;
    std::cin.ignore(10000, '\n');
    return 0;
}
