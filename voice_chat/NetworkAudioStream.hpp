#pragma once

#include <mivra/Audio/SoundStream.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// Plays the samples a client sends while they arrive, and keeps them all for a replay. The main
// thread receives packets and appends their samples; the library's streaming thread takes
// everything not yet played, waiting while nothing new has come.
class NetworkAudioStream : public mivra::SoundStream
{
public:
    NetworkAudioStream();

    // Listens, accepts one client, starts playback and receives until the data ends. When no
    // reception takes place, or it fails, the data counts as ended too, so playback always stops.
    void listenAndPlay(std::uint16_t port);
    void receivePackets();

protected:
    bool onRequestData(Chunk& chunk) override;
    void onSeekTo(mivra::Time timeOffset) override;

private:
    void finish();

    mivra::TcpListener listener;
    mivra::TcpSocket client;
    std::recursive_mutex mutex;
    std::vector<std::int16_t> receivedSamples; // guarded by mutex
    std::vector<std::int16_t> chunkBuffer;     // streaming thread only
    std::size_t readOffset{};                  // streaming thread only
    bool finished{false};                      // guarded by mutex
};

// The server's whole routine.
void runServer(std::uint16_t port);
