#include "NetworkAudioStream.hpp"
#include "VoicePacket.hpp"

#include <mivra/Network/Packet.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Sleep.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace
{
// A stream whose library hooks do nothing, so that the test alone drives the real ones.
class DrivenStream : public NetworkAudioStream
{
public:
    using NetworkAudioStream::NetworkAudioStream;
    ~DrivenStream() override { stop(); }

    bool request(Chunk& chunk) { return NetworkAudioStream::onRequestData(chunk); }
    void seek(mivra::Time offset) { NetworkAudioStream::onSeekTo(offset); }

protected:
    bool onRequestData(Chunk& chunk) override
    {
        chunk = {};
        mivra::sleep(mivra::milliseconds(5));
        return true;
    }
    void onSeekTo(mivra::Time) override {}
};

std::vector<std::int16_t> ramp(std::size_t count, int from)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(from + static_cast<int>(i));
    return samples;
}

// Runs the stream's server side on a thread and sends it these batches and an end-of-stream packet.
void serve(NetworkAudioStream& stream, const std::vector<std::vector<std::int16_t>>& batches)
{
    // Listening on a port of the system's choice before the server's thread starts: no other
    // program can take it in between, and the client's connect cannot come too early.
    ASSERT_TRUE(stream.listen(0));
    const unsigned short port = stream.listeningPort();
    std::thread server([&] { stream.acceptAndPlay(); });
    mivra::TcpSocket client;
    EXPECT_EQ(client.connect(mivra::IpAddress::LocalHost, port, mivra::seconds(5)), mivra::Socket::Status::Done);
    for (const auto& batch : batches)
    {
        mivra::Packet packet;
        packet << static_cast<std::uint8_t>(VoicePacketType::AudioSamples);
        packet.append(batch.data(), batch.size() * sizeof(std::int16_t));
        EXPECT_EQ(client.send(packet), mivra::Socket::Status::Done);
    }
    mivra::Packet end;
    end << static_cast<std::uint8_t>(VoicePacketType::EndOfStream);
    client.send(end); // may find the server gone once its limit was reached
    server.join();
}

std::vector<std::int16_t> drain(DrivenStream& stream)
{
    std::vector<std::int16_t> played;
    NetworkAudioStream::Chunk chunk;
    while (stream.request(chunk))
        played.insert(played.end(), chunk.samples, chunk.samples + chunk.sampleCount);
    return played;
}
} // namespace

TEST(NetworkAudioStream, RecordingEndsAtItsLimitWithOneLine)
{
    DrivenStream stream(1000);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    serve(stream, {ramp(512, 0), ramp(512, 512), ramp(512, 1024)});
    testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "The recording has reached its limit of 1000 samples; the rest of the data is ignored\n");
    EXPECT_EQ(drain(stream), ramp(1000, 0));
}

TEST(NetworkAudioStream, SeekStaysWithinWhatHasArrived)
{
    DrivenStream stream;
    // Nothing has arrived yet: a seek far ahead lands on the first sample to come.
    stream.seek(mivra::seconds(10));
    testing::internal::CaptureStdout();
    serve(stream, {ramp(300, 0), ramp(300, 300)});
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(drain(stream), ramp(600, 0));

    stream.seek(mivra::milliseconds(10)); // sample 441
    EXPECT_EQ(drain(stream), ramp(159, 441));
    stream.seek(mivra::seconds(3600));
    NetworkAudioStream::Chunk chunk;
    EXPECT_FALSE(stream.request(chunk));
    stream.seek(mivra::microseconds(-5000));
    EXPECT_EQ(drain(stream).size(), 600u);
}

// Three seconds of audio taken in at once, as the replay finds them: they go to the library in
// chunks of at most a tenth of a second that point into the recording itself, and still in order.
TEST(NetworkAudioStream, ReplayHandsTheRecordingInShortChunks)
{
    DrivenStream stream;
    std::vector<std::vector<std::int16_t>> batches;
    for (int i = 0; i < 3 * 44100 / 1000; ++i)
        batches.push_back(ramp(1000, i * 1000));
    testing::internal::CaptureStdout();
    serve(stream, batches);
    testing::internal::GetCapturedStdout();

    std::vector<std::int16_t> played;
    std::size_t largest = 0;
    std::size_t chunks = 0;
    NetworkAudioStream::Chunk chunk;
    while (stream.request(chunk))
    {
        largest = std::max(largest, chunk.sampleCount);
        chunks += chunk.sampleCount > 0;
        played.insert(played.end(), chunk.samples, chunk.samples + chunk.sampleCount);
    }
    EXPECT_EQ(played, ramp(132000, 0));
    EXPECT_LE(largest, 4410u) << "a chunk is copied again by the library: it must stay short";
    EXPECT_GE(chunks, 30u);
}

TEST(NetworkAudioStream, DestroyedWhileWaitingForData)
{
    // Playing with no client: the streaming thread waits for samples that never come. Destroying
    // the stream must end that wait before the samples' storage goes.
    auto destroyed = std::make_shared<std::atomic<bool>>(false);
    std::thread([destroyed] {
        {
            NetworkAudioStream stream;
            stream.play();
            mivra::sleep(mivra::milliseconds(100));
        }
        *destroyed = true;
    }).detach();
    for (int i = 0; i < 2000 && !*destroyed; ++i)
        mivra::sleep(mivra::milliseconds(10));
    if (!*destroyed)
    {
        ADD_FAILURE() << "the stream's destruction did not end within 20 seconds";
        std::_Exit(1); // the stuck thread would keep the process from ending
    }
}
