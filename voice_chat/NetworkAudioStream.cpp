#include "NetworkAudioStream.hpp"

#include "PacketReader.hpp"

#include <mivra/Network/Packet.hpp>
#include <mivra/System/Sleep.hpp>

#include <algorithm>
#include <iostream>
#include <new>

NetworkAudioStream::NetworkAudioStream(std::size_t maxSamples) : maxSamples(maxSamples)
{
    initialize(1, 44100, {mivra::SoundChannel::Mono});
}

NetworkAudioStream::~NetworkAudioStream()
{
    // The streaming thread reads the members below; it must be gone before they are.
    stop();
}

void NetworkAudioStream::finish()
{
    std::lock_guard lock(mutex);
    finished = true;
}

void NetworkAudioStream::listenAndPlay(std::uint16_t port)
{
    if (listen(port))
        acceptAndPlay();
}

bool NetworkAudioStream::listen(std::uint16_t port)
{
    if (listener.listen(port, mivra::IpAddress::Any) != mivra::Socket::Status::Done)
    {
        finish();
        return false;
    }
    return true;
}

std::uint16_t NetworkAudioStream::listeningPort() const
{
    return listener.getLocalPort();
}

void NetworkAudioStream::acceptAndPlay()
{
    std::cout << "Server is listening to port " << listener.getLocalPort() << ", waiting for connections... "
              << std::endl;

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

        incoming.clear();
        const std::size_t room = maxSamples - receivedSamples.size(); // only this thread changes the size
        const voice_chat::PacketContent content = voice_chat::readPacket(packet.getData(), packet.getDataSize(),
                                                                         incoming, room);
        switch (content)
        {
        case voice_chat::PacketContent::Samples:
            if (!append(incoming))
                return;
            break;
        case voice_chat::PacketContent::RecordingFull:
            if (!append(incoming))
                return;
            std::cerr << "The recording has reached its limit of " << maxSamples
                      << " samples; the rest of the data is ignored" << std::endl;
            finish();
            break;
        case voice_chat::PacketContent::EndOfStream:
            std::cout << "Audio data has been 100% received!" << std::endl;
            finish();
            break;
        case voice_chat::PacketContent::Invalid:
            std::cout << "Invalid packet received..." << std::endl;
            finish();
            break;
        }
    }
}

bool NetworkAudioStream::append(const std::vector<std::int16_t>& samples)
{
    try
    {
        std::lock_guard lock(mutex);
        receivedSamples.append(samples.data(), samples.size());
        return true;
    }
    catch (const std::bad_alloc&)
    {
    }
    std::size_t kept = 0;
    {
        std::lock_guard lock(mutex);
        kept = receivedSamples.size();
    }
    std::cerr << "Out of memory for the recording after " << kept << " samples; the rest of the data is ignored"
              << std::endl;
    finish();
    return false;
}

bool NetworkAudioStream::onRequestData(Chunk& chunk)
{
    std::unique_lock lock(mutex);
    if (readOffset >= receivedSamples.size() && finished)
        return false;
    // Hold the streaming thread while the network is behind; the lock is free during the sleep. A
    // stop() (the destructor's among others) waits for this thread, so it ends the wait too.
    while (readOffset >= receivedSamples.size() && !finished)
    {
        lock.unlock();
        mivra::sleep(mivra::milliseconds(10));
        if (getStatus() == mivra::SoundSource::Status::Stopped)
        {
            chunk.samples = nullptr;
            chunk.sampleCount = 0;
            return true;
        }
        lock.lock();
    }
    // The run stays where it is while the receiver appends: the library may read it unlocked.
    const voice_chat::SampleBlocks::Run run = receivedSamples.run(readOffset, maxChunkSamples);
    lock.unlock();

    chunk.samples = run.samples;
    chunk.sampleCount = run.count;
    readOffset += run.count;
    return true;
}

void NetworkAudioStream::onSeekTo(mivra::Time timeOffset)
{
    const auto milliseconds = static_cast<std::uint64_t>(std::max<std::int64_t>(0, timeOffset.asMilliseconds()));
    const std::uint64_t position = milliseconds * getSampleRate() * getChannelCount() / 1000;
    // Past what has arrived the stream would hand out samples it does not have.
    std::lock_guard lock(mutex);
    readOffset = static_cast<std::size_t>(std::min<std::uint64_t>(position, receivedSamples.size()));
}
