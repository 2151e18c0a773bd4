#pragma once

#include "SampleBlocks.hpp"

#include <mivra/Audio/SoundStream.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// Plays the samples a client sends while they arrive, and keeps them all for a replay. The main
// thread receives packets and appends their samples; the library's streaming thread takes what has
// not been played yet, a tenth of a second at most at a time, waiting while nothing new has come.
class NetworkAudioStream : public mivra::SoundStream
{
public:
    // Two hours of audio (about 635 MB): the whole recording stays in memory for the replay, and a
    // peer must not be able to make it grow until memory runs out.
    static constexpr std::size_t maxRecordingSamples = std::size_t{44100} * 60 * 60 * 2;

    // A recording that reaches maxSamples ends there, like one whose client sent its end.
    explicit NetworkAudioStream(std::size_t maxSamples = maxRecordingSamples);
    ~NetworkAudioStream() override;

    // Listens, accepts one client, starts playback and receives until the data ends. When no
    // reception takes place, or it fails, the data counts as ended too, so playback always stops.
    void listenAndPlay(std::uint16_t port);
    // The two halves of listenAndPlay: listening (false when the port cannot be had, and the data
    // then counts as ended), then the rest. Port 0 lets the system choose; listeningPort tells which.
    bool listen(std::uint16_t port);
    [[nodiscard]] std::uint16_t listeningPort() const;
    void acceptAndPlay();
    void receivePackets();

protected:
    bool onRequestData(Chunk& chunk) override;
    void onSeekTo(mivra::Time timeOffset) override;

private:
    // The longest chunk handed to the library: a tenth of a second, about what its queue holds. The
    // replay thus streams the recording piece by piece instead of copying it whole.
    static constexpr std::size_t maxChunkSamples = 4410;

    void finish();
    // Appends the samples of one packet; false when memory for them could not be had.
    bool append(const std::vector<std::int16_t>& samples);

    mivra::TcpListener listener;
    mivra::TcpSocket client;
    std::recursive_mutex mutex;
    // Guarded by mutex. Blocks that never move: a chunk points into them, valid after the lock is
    // left while the receiver appends, so neither side copies the recording.
    voice_chat::SampleBlocks receivedSamples;
    std::size_t readOffset{}; // streaming thread only
    bool finished{false};     // guarded by mutex
    std::size_t maxSamples;
    std::vector<std::int16_t> incoming; // receiving thread only: the samples of the last packet
};
