#include <mivra/Network/IpAddress.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace
{
using mivra::IpAddress;

TEST(IpAddressTest, ResolvesDottedAddresses)
{
    EXPECT_EQ(IpAddress::resolve("1.2.3.4"), IpAddress(1, 2, 3, 4));
    EXPECT_EQ(IpAddress::resolve("1.2.3.4")->toInteger(), 0x01020304u);
    EXPECT_EQ(IpAddress::resolve("0.0.0.0"), IpAddress::Any);
    EXPECT_EQ(IpAddress::resolve("255.255.255.255"), IpAddress::Broadcast);
    EXPECT_EQ(IpAddress::resolve("127.0.0.1"), IpAddress::LocalHost);
}

TEST(IpAddressTest, ResolvesNames)
{
    EXPECT_EQ(IpAddress::resolve("localhost"), IpAddress::LocalHost);
    EXPECT_FALSE(IpAddress::resolve("no-such-host.invalid").has_value());
}

TEST(IpAddressTest, RefusesMalformedAddresses)
{
    for (const char* word : {"", "1.2.3", "256.0.0.1", "1.2.3.4.5", "::1", "1.2.3.-4", "0x7f.1", "127.1", "2130706433",
                             "1.2.3.4 ", " 1.2.3.4", "1..2.3"})
        EXPECT_FALSE(IpAddress::resolve(word).has_value()) << '"' << word << '"';
}

TEST(IpAddressTest, PrintsDottedForm)
{
    std::ostringstream out;
    out << IpAddress(192, 168, 0, 255) << ' ' << IpAddress::Any;
    EXPECT_EQ(out.str(), "192.168.0.255 0.0.0.0");
    EXPECT_EQ(IpAddress(0x0A000001).toString(), "10.0.0.1");
}

TEST(IpAddressTest, ExtractsOneWordAtATime)
{
    std::istringstream in("10.0.0.7 256.1.1.1 localhost");
    std::optional<IpAddress> address;

    in >> address;
    EXPECT_EQ(address, IpAddress(10, 0, 0, 7));
    // A word that does not resolve leaves the optional empty but the stream usable.
    in >> address;
    EXPECT_FALSE(address.has_value());
    EXPECT_TRUE(in.good());
    in >> address;
    EXPECT_EQ(address, IpAddress::LocalHost);
    // The end of the input fails the stream and leaves nothing.
    in >> address;
    EXPECT_FALSE(address.has_value());
    EXPECT_TRUE(in.fail());
    EXPECT_TRUE(in.eof());
}

TEST(IpAddressTest, OrdersByValue)
{
    EXPECT_LT(IpAddress(9, 255, 255, 255), IpAddress(10, 0, 0, 0));
    EXPECT_NE(IpAddress::Any, IpAddress::LocalHost);
}

TEST(IpAddressTest, LocalAddressIsNotTheWildcard)
{
    // Without a configured network there is no local address; with one it is a real address.
    if (const auto local = IpAddress::getLocalAddress())
    {
        EXPECT_NE(*local, IpAddress::Any);
        EXPECT_NE(*local, IpAddress::Broadcast);
    }
}
} // namespace
