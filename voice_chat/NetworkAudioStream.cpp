#include "NetworkAudioStream.hpp"

#include "VoicePacket.hpp"

#include <mivra/Network/Packet.hpp>
#include <mivra/System/Sleep.hpp>

#include <iostream>

NetworkAudioStream::NetworkAudioStream()
{
    initialize(1, 44100, {mivra::SoundChannel::Mono});
}

void NetworkAudioStream::finish()
{
    std::lock_guard lock(mutex);
    finished = true;
}

void NetworkAudioStream::listenAndPlay(std::uint16_t port)
{
    if (listener.listen(port, mivra::IpAddress::Any) != mivra::Socket::Status::Done)
    {
        finish();
        return;
    }
    std::cout << "Server is listening to port " << port << ", waiting for connections... " << std::endl;

    if (listener.accept(client) != mivra::Socket::Status::Done)
    {
        finish();
        return;
    }
    const std::optional<mivra::IpAddress> remote = client.getRemoteAddress();
    std::cout << "Client connected: " << remote.value_or(mivra::IpAddress::Any) << std::endl;

    play();
    receivePackets();
}

void NetworkAudioStream::receivePackets()
{
    while (true)
    {
        {
            std::lock_guard lock(mutex);
            if (finished)
                return;
        }
        mivra::Packet packet;
        if (client.receive(packet) != mivra::Socket::Status::Done)
        {
            // The client is gone without saying so: what came is all there is.
            finish();
            return;
        }

        std::uint8_t type = 0;
        packet >> type; // an empty packet leaves 0
        if (type == static_cast<std::uint8_t>(VoicePacketType::AudioSamples))
        {
            const auto* bytes = static_cast<const std::uint8_t*>(packet.getData());
            const std::size_t count = (packet.getDataSize() - 1) / 2;
            std::lock_guard lock(mutex);
            receivedSamples.reserve(receivedSamples.size() + count);
            for (std::size_t i = 0; i < count; ++i)
            {
                const auto low = bytes[1 + 2 * i];
                const auto high = bytes[2 + 2 * i];
                receivedSamples.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8))));
            }
        }
        else if (type == static_cast<std::uint8_t>(VoicePacketType::EndOfStream))
        {
            std::cout << "Audio data has been 100% received!" << std::endl;
            finish();
        }
        else
        {
            std::cout << "Invalid packet received..." << std::endl;
            finish();
        }
    }
}

bool NetworkAudioStream::onRequestData(Chunk& chunk)
{
    std::unique_lock lock(mutex);
    if (readOffset >= receivedSamples.size() && finished)
        return false;
    // Hold the streaming thread while the network is behind; the lock is free during the sleep.
    while (readOffset >= receivedSamples.size() && !finished)
    {
        lock.unlock();
        mivra::sleep(mivra::milliseconds(10));
        lock.lock();
    }
    // The receiver may grow receivedSamples (and move it) at any time: hand out a copy.
    chunkBuffer.assign(receivedSamples.begin() + static_cast<std::ptrdiff_t>(readOffset), receivedSamples.end());
    lock.unlock();

    chunk.samples = chunkBuffer.data();
    chunk.sampleCount = chunkBuffer.size();
    readOffset += chunkBuffer.size();
    return true;
}

void NetworkAudioStream::onSeekTo(mivra::Time timeOffset)
{
    readOffset = static_cast<std::size_t>(static_cast<std::uint64_t>(timeOffset.asMilliseconds()) * getSampleRate() *
                                          getChannelCount() / 1000);
}

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
