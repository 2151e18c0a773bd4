#include <mivra/Network/Packet.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
using mivra::Packet;

std::vector<std::uint8_t> bytesOf(const Packet& packet)
{
    const auto* data = static_cast<const std::uint8_t*>(packet.getData());
    return {data, data + packet.getDataSize()};
}

TEST(PacketTest, IntegersTravelBigEndian)
{
    Packet packet;
    packet << std::uint8_t{0xAB} << std::int16_t{-2} << std::uint32_t{0x01020304} << std::uint64_t{0x1122334455667788};
    EXPECT_EQ(bytesOf(packet), (std::vector<std::uint8_t>{0xAB, 0xFF, 0xFE, 0x01, 0x02, 0x03, 0x04, 0x11, 0x22, 0x33,
                                                          0x44, 0x55, 0x66, 0x77, 0x88}));
}

TEST(PacketTest, TypedValuesRoundTrip)
{
    Packet packet;
    packet << true << std::int8_t{-128} << std::uint8_t{255} << std::int16_t{-32768} << std::uint16_t{65535}
           << std::int32_t{std::numeric_limits<std::int32_t>::min()} << std::uint32_t{4000000000u}
           << std::int64_t{std::numeric_limits<std::int64_t>::min()}
           << std::uint64_t{std::numeric_limits<std::uint64_t>::max()} << 1.5f << -0.1 << std::string("héllo\0x", 8)
           << "" << mivra::String(U"\u00e9\U0001F600");

    bool b = false;
    std::int8_t i8 = 0;
    std::uint8_t u8 = 0;
    std::int16_t i16 = 0;
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    std::uint32_t u32 = 0;
    std::int64_t i64 = 0;
    std::uint64_t u64 = 0;
    float f = 0;
    double d = 0;
    std::string text, empty = "unchanged";
    mivra::String wide;
    packet >> b >> i8 >> u8 >> i16 >> u16 >> i32 >> u32 >> i64 >> u64 >> f >> d >> text >> empty >> wide;

    ASSERT_TRUE(packet);
    EXPECT_TRUE(packet.endOfPacket());
    EXPECT_TRUE(b);
    EXPECT_EQ(i8, -128);
    EXPECT_EQ(u8, 255);
    EXPECT_EQ(i16, -32768);
    EXPECT_EQ(u16, 65535);
    EXPECT_EQ(i32, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(u32, 4000000000u);
    EXPECT_EQ(i64, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(u64, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -0.1);
    EXPECT_EQ(text, std::string("héllo\0x", 8));
    EXPECT_EQ(empty, "");
    EXPECT_EQ(wide.toUtf32(), U"\u00e9\U0001F600");
}

TEST(PacketTest, FloatsKeepSpecialValues)
{
    Packet packet;
    packet << std::numeric_limits<float>::infinity() << std::numeric_limits<double>::quiet_NaN() << -0.0f;
    float inf = 0, negZero = 1;
    double nan = 0;
    packet >> inf >> nan >> negZero;
    EXPECT_TRUE(std::isinf(inf));
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_TRUE(std::signbit(negZero));
}

TEST(PacketTest, RawBytesAreAppendedAsInMemory)
{
    const std::int16_t samples[] = {0x0102, -1};
    Packet packet;
    packet << std::uint8_t{1};
    packet.append(samples, sizeof(samples));
    packet.append(nullptr, 0);
    EXPECT_EQ(packet.getDataSize(), 5u);
    EXPECT_EQ(bytesOf(packet), (std::vector<std::uint8_t>{1, 0x02, 0x01, 0xFF, 0xFF}));
}

TEST(PacketTest, ExtractionPastTheEndFailsAndSticks)
{
    Packet packet;
    packet << std::uint8_t{7} << std::uint8_t{8};

    std::uint32_t tooBig = 42;
    packet >> tooBig;
    EXPECT_FALSE(packet);
    EXPECT_EQ(tooBig, 42u);

    // Once invalid, even data that is there is not extracted.
    std::uint8_t small = 0;
    packet >> small;
    EXPECT_FALSE(packet);
    EXPECT_EQ(small, 0);

    packet.clear();
    EXPECT_TRUE(packet);
    EXPECT_EQ(packet.getDataSize(), 0u);
    EXPECT_EQ(packet.getData(), nullptr);
}

TEST(PacketTest, EmptyPacketYieldsNoByte)
{
    Packet packet;
    std::uint8_t type = 0;
    EXPECT_TRUE(packet.endOfPacket());
    packet >> type;
    EXPECT_FALSE(packet);
    EXPECT_EQ(type, 0);
}

TEST(PacketTest, StringLongerThanThePacketFails)
{
    Packet packet;
    packet << std::uint32_t{1000};
    packet.append("abc", 3);
    std::string text = "before";
    packet >> text;
    EXPECT_FALSE(packet);
    EXPECT_EQ(text, "before");

    // A huge declared length must not be trusted for an allocation either.
    Packet wide;
    wide << std::uint32_t{0xFFFFFFFF};
    mivra::String unchanged(U"x");
    wide >> unchanged;
    EXPECT_FALSE(wide);
    EXPECT_EQ(unchanged.toUtf32(), U"x");
}

TEST(PacketTest, ReadPositionFollowsExtraction)
{
    Packet packet;
    packet << std::uint16_t{1} << std::uint8_t{2};
    std::uint16_t first = 0;
    packet >> first;
    EXPECT_EQ(packet.getReadPosition(), 2u);
    EXPECT_FALSE(packet.endOfPacket());
}
} // namespace
