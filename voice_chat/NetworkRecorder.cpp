#include "NetworkRecorder.hpp"

#include "VoicePacket.hpp"

#include <mivra/Network/Packet.hpp>

#include <iostream>

NetworkRecorder::NetworkRecorder(mivra::IpAddress serverAddress, std::uint16_t serverPort, mivra::Time sendTimeout)
    : serverAddress(serverAddress), serverPort(serverPort), sendTimeout(sendTimeout)
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
    return socket.send(packet, sendTimeout) == mivra::Socket::Status::Done;
}

void NetworkRecorder::onCaptureStop()
{
    mivra::Packet packet;
    packet << static_cast<std::uint8_t>(VoicePacketType::EndOfStream);
    // A send that timed out has closed the connection already: nothing can go out on it.
    const bool connected = socket.getNativeHandle() != -1;
    if (!connected || socket.send(packet, sendTimeout) != mivra::Socket::Status::Done)
        std::cerr << "Failed to send end-of-stream packet" << std::endl;
    socket.disconnect();
}
