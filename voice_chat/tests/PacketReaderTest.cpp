#include "PacketReader.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using voice_chat::PacketContent;
using voice_chat::readPacket;

namespace
{
constexpr std::size_t plenty = 1'000'000;

std::vector<std::uint8_t> samplesPacket(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes{1};
    for (const std::int16_t s : samples)
    {
        const auto u = static_cast<std::uint16_t>(s);
        bytes.push_back(static_cast<std::uint8_t>(u & 0xff));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}
} // namespace

TEST(PacketReader, SamplesPacketAppendsItsSamplesLowByteFirst)
{
    const std::vector<std::int16_t> sent{0, 1, -1, 32767, -32768, 0x1234};
    std::vector<std::int16_t> recording{7, 8};
    const auto bytes = samplesPacket(sent);
    EXPECT_EQ(readPacket(bytes.data(), bytes.size(), recording, plenty), PacketContent::Samples);
    EXPECT_EQ(recording, (std::vector<std::int16_t>{7, 8, 0, 1, -1, 32767, -32768, 0x1234}));

    const std::uint8_t raw[] = {1, 0x34, 0x12};
    std::vector<std::int16_t> one;
    readPacket(raw, sizeof raw, one, plenty);
    EXPECT_EQ(one, std::vector<std::int16_t>{0x1234});
}

TEST(PacketReader, TruncatedSamplesPacketsKeepWholeSamplesOnly)
{
    std::vector<std::int16_t> recording;
    auto bytes = samplesPacket({100, -200});
    bytes.push_back(0x7f); // half a sample
    EXPECT_EQ(readPacket(bytes.data(), bytes.size(), recording, plenty), PacketContent::Samples);
    EXPECT_EQ(recording, (std::vector<std::int16_t>{100, -200}));

    const std::uint8_t typeOnly[] = {1};
    const std::uint8_t typeAndHalf[] = {1, 0x55};
    EXPECT_EQ(readPacket(typeOnly, 1, recording, plenty), PacketContent::Samples);
    EXPECT_EQ(readPacket(typeAndHalf, 2, recording, plenty), PacketContent::Samples);
    EXPECT_EQ(recording.size(), 2u);
}

TEST(PacketReader, EndAndInvalidPacketsAddNothing)
{
    std::vector<std::int16_t> recording{5};
    const std::uint8_t end[] = {2};
    const std::uint8_t endWithBytes[] = {2, 9, 9};
    EXPECT_EQ(readPacket(end, 1, recording, plenty), PacketContent::EndOfStream);
    EXPECT_EQ(readPacket(endWithBytes, 3, recording, plenty), PacketContent::EndOfStream);
    for (const std::uint8_t type : {0, 3, 128, 255})
    {
        const std::uint8_t packet[] = {type, 1, 2};
        EXPECT_EQ(readPacket(packet, sizeof packet, recording, plenty), PacketContent::Invalid) << int{type};
    }
    EXPECT_EQ(readPacket(end, 0, recording, plenty), PacketContent::Invalid);
    EXPECT_EQ(readPacket(nullptr, 0, recording, plenty), PacketContent::Invalid);
    EXPECT_EQ(readPacket(nullptr, 5, recording, plenty), PacketContent::Invalid);
    EXPECT_EQ(recording, std::vector<std::int16_t>{5});
}

TEST(PacketReader, NeverTakesMoreThanTheRoomLeft)
{
    // A packet announcing far more than the room holds: only the room is filled and allocated.
    std::vector<std::uint8_t> packet(1 + 2 * 100'000, 0xab);
    packet[0] = 1;
    std::vector<std::int16_t> recording;
    EXPECT_EQ(readPacket(packet.data(), packet.size(), recording, 1000), PacketContent::RecordingFull);
    EXPECT_EQ(recording.size(), 1000u);
    EXPECT_LE(recording.capacity(), 2000u);

    EXPECT_EQ(readPacket(packet.data(), packet.size(), recording, 0), PacketContent::RecordingFull);
    EXPECT_EQ(recording.size(), 1000u);

    const auto exact = samplesPacket({1, 2, 3});
    EXPECT_EQ(readPacket(exact.data(), exact.size(), recording, 3), PacketContent::Samples);
    EXPECT_EQ(recording.size(), 1003u);
}

TEST(PacketReader, RandomBytesAreReadSafely)
{
    // Whatever a peer sends: no crash, and a result consistent with the first byte and the length.
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round)
    {
        std::vector<std::uint8_t> bytes(random() % 64);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() % 4 : random());
        std::vector<std::int16_t> recording;
        const std::size_t room = random() % 40;
        const PacketContent content = readPacket(bytes.data(), bytes.size(), recording, room);
        if (bytes.empty() || (bytes[0] != 1 && bytes[0] != 2))
            EXPECT_EQ(content, PacketContent::Invalid);
        else if (bytes[0] == 2)
            EXPECT_EQ(content, PacketContent::EndOfStream);
        else
            EXPECT_EQ(recording.size(), std::min((bytes.size() - 1) / 2, room));
        EXPECT_LE(recording.size(), room);
    }
}
