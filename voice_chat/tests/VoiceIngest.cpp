// How long the voice server takes to take in a recording that a client sends as fast as TCP
// allows: one minute and six minutes of mono audio at 44100 samples per second, in batches of 512
// samples (what the recorder hands over at that rate), over a real loopback connection, while the
// streaming thread takes its chunks as in a real run. The time runs from the first packet sent to
// the return of the receive loop after the end-of-stream packet; the recording's memory is fresh
// on every run (first-touch regime). Taking in grows linearly when the six-minute run costs about
// six times the one-minute run (goal: six minutes in under a second).
#include "NetworkAudioStream.hpp"
#include "VoicePacket.hpp"

#include <mivra/Network/Packet.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Sleep.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <vector>

namespace
{
constexpr std::size_t batchSamples = 512;

// Seconds from the first packet to the end of reception of `minutes` of audio; negative on failure.
double ingest(double minutes)
{
    NetworkAudioStream stream;
    if (!stream.listen(0))
        return -1;
    const unsigned short port = stream.listeningPort();
    std::thread server([&] { stream.acceptAndPlay(); });

    mivra::TcpSocket client;
    const bool connected = client.connect(mivra::IpAddress::LocalHost, port, mivra::seconds(5)) ==
                           mivra::Socket::Status::Done;
    if (!connected)
    {
        server.detach();
        return -1;
    }

    std::vector<std::int16_t> batch(batchSamples);
    for (std::size_t i = 0; i < batch.size(); ++i)
        batch[i] = static_cast<std::int16_t>(1 + (i * 37) % 8000);
    const auto packets = static_cast<std::size_t>(minutes * 60 * 44100 / batchSamples);

    const auto start = std::chrono::steady_clock::now();
    bool sent = true;
    for (std::size_t p = 0; p < packets && sent; ++p)
    {
        mivra::Packet packet;
        packet << static_cast<std::uint8_t>(VoicePacketType::AudioSamples);
        packet.append(batch.data(), batch.size() * sizeof(std::int16_t));
        sent = client.send(packet) == mivra::Socket::Status::Done;
    }
    mivra::Packet end;
    end << static_cast<std::uint8_t>(VoicePacketType::EndOfStream);
    sent = sent && client.send(end) == mivra::Socket::Status::Done;
    server.join();
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    client.disconnect();
    return sent ? elapsed : -1;
}
} // namespace

int main()
{
    // Playback is not what is measured: a silent output keeps the run quiet and quick.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::cout.setstate(std::ios::failbit); // the server's own messages are not figures

    const double one = ingest(1);
    const double six = ingest(6);
    std::cout.clear();
    if (one < 0 || six < 0)
    {
        std::cerr << "the recording could not be sent" << std::endl;
        return 1;
    }
    std::printf("voice server ingestion over loopback: 1 min of audio %.3f s, 6 min %.3f s (x%.1f for x6)\n", one, six,
                six / one);
    std::printf("goal 6 min < 1 s: %s\n", six < 1.0 ? "met" : "missed");
    return 0;
}
