#include "NetworkRecorder.hpp"

#include "VoicePacket.hpp"

#include <mivra/Network/Packet.hpp>

#include <iostream>
#include <optional>

NetworkRecorder::NetworkRecorder(mivra::IpAddress serverAddress, std::uint16_t serverPort)
    : serverAddress(serverAddress),
      serverPort(serverPort)
{
}

NetworkRecorder::~NetworkRecorder()
{
    // No hook may run while the socket goes away.
    stop();
}

bool NetworkRecorder::onCaptureStart()
{
    if (socket.connect(serverAddress, serverPort, mivra::Time::Zero) != mivra::Socket::Status::Done)
        return false;
    std::cout << "Connected to server " << serverAddress << std::endl;
    return true;
}

bool NetworkRecorder::onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount)
{
    mivra::Packet packet;
    packet << static_cast<std::uint8_t>(VoicePacketType::AudioSamples);
    packet.append(samples, sampleCount * sizeof(std::int16_t));
    return socket.send(packet) == mivra::Socket::Status::Done;
}

void NetworkRecorder::onCaptureStop()
{
    mivra::Packet packet;
    packet << static_cast<std::uint8_t>(VoicePacketType::EndOfStream);
    if (socket.send(packet) != mivra::Socket::Status::Done)
        std::cerr << "Failed to send end-of-stream packet" << std::endl;
    socket.disconnect();
}

void runClient(std::uint16_t port)
{
    if (!mivra::SoundRecorder::isAvailable())
    {
        std::cout << "Sorry, audio capture is not supported by your system" << std::endl;
        return;
    }

    std::optional<mivra::IpAddress> server;
    do
    {
        std::cout << "Type address or name of the server to connect to: ";
        std::cin >> server;
        // Out of input there is no address to wait for.
        if (!std::cin)
        {
            std::cout << std::endl;
            return;
        }
    } while (!server);

    NetworkRecorder recorder(*server, port);

    std::cin.ignore(10000, '\n');
    std::cout << "Press enter to start recording audio";
    std::cin.ignore(10000, '\n');

    if (recorder.start(44100))
    {
        std::cout << "Recording... press enter to stop";
        std::cin.ignore(10000, '\n');
        recorder.stop();
    }
    else
    {
        std::cerr << "Failed to start recorder" << std::endl;
    }
}
