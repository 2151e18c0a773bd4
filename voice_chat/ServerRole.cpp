#include "ServerRole.hpp"

#include "NetworkAudioStream.hpp"

#include <mivra/System/Sleep.hpp>

#include <iostream>

void runServer(std::uint16_t port)
{
    NetworkAudioStream audioStream;
    audioStream.listenAndPlay(port);

    while (audioStream.getStatus() != mivra::SoundSource::Status::Stopped)
        mivra::sleep(mivra::milliseconds(100));

    std::cin.ignore(10000, '\n');
    std::cout << "Press enter to replay the sound..." << std::endl;
    std::cin.ignore(10000, '\n');

    audioStream.play();
    while (audioStream.getStatus() != mivra::SoundSource::Status::Stopped)
        mivra::sleep(mivra::milliseconds(100));
}
