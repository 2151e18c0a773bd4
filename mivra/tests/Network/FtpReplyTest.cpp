#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpReply.hpp"

#include <gtest/gtest.h>

#include <string>

namespace
{
using mivra::Ftp;
using mivra::detail::FtpReply;
using mivra::detail::parseFtpReply;

TEST(FtpReplyTest, SingleLine)
{
    const FtpReply reply = parseFtpReply("230 Login successful.\r\n");
    ASSERT_EQ(reply.state, FtpReply::State::Complete);
    EXPECT_EQ(reply.code, 230);
    EXPECT_EQ(reply.message, " Login successful.");
    EXPECT_EQ(reply.consumed, 23u);

    // A bare LF ends a line too; a code alone is a whole reply.
    const FtpReply bare = parseFtpReply("200\n");
    ASSERT_EQ(bare.state, FtpReply::State::Complete);
    EXPECT_EQ(bare.code, 200);
    EXPECT_EQ(bare.message, "");
}

TEST(FtpReplyTest, MultiLineUntilTheSameCodeWithASpace)
{
    const std::string text = "230-Welcome\r\n"
                             "230-Second line\r\n"
                             "  220 indented text with another code\r\n"
                             "231 not the end: another code\r\n"
                             "230\tstill text\r\n"
                             "230 Done\r\n"
                             "200 next reply\r\n";
    const FtpReply reply = parseFtpReply(text);
    ASSERT_EQ(reply.state, FtpReply::State::Complete);
    EXPECT_EQ(reply.code, 230);
    EXPECT_EQ(reply.message, "-Welcome\n230-Second line\n  220 indented text with another code\n"
                             "231 not the end: another code\n230\tstill text\n230 Done");
    EXPECT_EQ(text.substr(reply.consumed), "200 next reply\r\n");
}

TEST(FtpReplyTest, IncompleteReplies)
{
    for (const char* text : {"", "23", "230 Login", "230-Welcome\r\n", "230-Welcome\r\n230-more\r\n", "230-x\r\n230 end"})
        EXPECT_EQ(parseFtpReply(text).state, FtpReply::State::Incomplete) << text;
}

TEST(FtpReplyTest, MalformedFirstLines)
{
    for (const char* text : {"hello\r\n", "20 ok\r\n", "600 out of range\r\n", "099 low\r\n", "2000 long code\r\n",
                             "23a x\r\n", "\r\n", " 230 leading blank\r\n", "230_x\r\n"})
        EXPECT_EQ(parseFtpReply(text).state, FtpReply::State::Malformed) << text;
}

TEST(FtpReplyTest, RepliesOverTheLimit)
{
    const std::string longLine = "220 " + std::string(70000, 'x');
    EXPECT_EQ(parseFtpReply(longLine).state, FtpReply::State::TooLong);
    EXPECT_EQ(parseFtpReply(longLine + "\r\n").state, FtpReply::State::TooLong);

    std::string manyLines = "220-start\r\n";
    while (manyLines.size() < 70000)
        manyLines += "220-more text\r\n";
    EXPECT_EQ(parseFtpReply(manyLines).state, FtpReply::State::TooLong);
    EXPECT_EQ(parseFtpReply(manyLines + "220 end\r\n").state, FtpReply::State::TooLong);

    // Just under the limit is fine.
    const std::string fits = "220 " + std::string(100, 'y') + "\r\n";
    EXPECT_EQ(parseFtpReply(fits, fits.size()).state, FtpReply::State::Complete);
    EXPECT_EQ(parseFtpReply(fits, fits.size() - 1).state, FtpReply::State::TooLong);
}

TEST(FtpReplyTest, PassiveAddresses)
{
    const auto target = mivra::detail::parsePassiveReply(" Entering Passive Mode (192,168,1,2,19,137).");
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(target->address, 0xC0A80102u);
    EXPECT_EQ(target->port, 19 * 256 + 137);

    const auto bare = mivra::detail::parsePassiveReply(" Entering Passive Mode 10,0,0,1,1,2");
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->port, 258);

    for (const char* message : {" (1,2,3,4,5)", " (1,2,3,4,5,,6)", " (256,0,0,1,1,1)", " (1,2,3,4,0,0)", " (1,2,3,4,300,1)",
                                " no numbers", " (1,2,3,4,-1,5)", " (a,b,c,d,e,f)", ""})
        EXPECT_FALSE(mivra::detail::parsePassiveReply(message).has_value()) << message;
}

TEST(FtpReplyTest, ExtendedPassivePorts)
{
    EXPECT_EQ(mivra::detail::parseExtendedPassiveReply(" Entering extended passive mode (|||60815|)."), 60815);
    EXPECT_EQ(mivra::detail::parseExtendedPassiveReply(" (!!!21!)"), 21);
    for (const char* message : {" (|||0|)", " (|||70000|)", " (||60815|)", " (|||60815)", " |||1|", " (|||x|)", ""})
        EXPECT_FALSE(mivra::detail::parseExtendedPassiveReply(message).has_value()) << message;
}

TEST(FtpReplyTest, SizeReplies)
{
    EXPECT_EQ(mivra::detail::parseSizeReply(" 268435456"), 268435456u);
    EXPECT_EQ(mivra::detail::parseSizeReply(" 0"), 0u);
    EXPECT_FALSE(mivra::detail::parseSizeReply(" 12 bytes").has_value());
    EXPECT_FALSE(mivra::detail::parseSizeReply(" ").has_value());
}

TEST(FtpResponseTest, OkBelow400Only)
{
    EXPECT_TRUE(Ftp::Response(Ftp::Response::ClosingDataConnection).isOk());
    EXPECT_TRUE(Ftp::Response(Ftp::Response::NeedPassword).isOk());
    EXPECT_FALSE(Ftp::Response(Ftp::Response::ServiceUnavailable).isOk());
    EXPECT_FALSE(Ftp::Response(Ftp::Response::ConnectionClosed).isOk());
    EXPECT_FALSE(Ftp::Response().isOk());
    EXPECT_EQ(Ftp::Response().getStatus(), Ftp::Response::InvalidResponse);
}

TEST(FtpResponseTest, DirectoryFromA257Reply)
{
    using mivra::Ftp;
    const Ftp::DirectoryResponse plain(Ftp::Response(Ftp::Response::DirectoryOk, " \"/home/user\" is the current directory."));
    EXPECT_EQ(plain.getDirectory(), "/home/user");
    const Ftp::DirectoryResponse doubled(Ftp::Response(Ftp::Response::DirectoryOk, " \"/a \"\"quoted\"\" b\" created"));
    EXPECT_EQ(doubled.getDirectory(), "/a \"quoted\" b");
    const Ftp::DirectoryResponse unterminated(Ftp::Response(Ftp::Response::DirectoryOk, " \"/never closed"));
    EXPECT_TRUE(unterminated.getDirectory().empty());
    const Ftp::DirectoryResponse refused(Ftp::Response(Ftp::Response::FileUnavailable, " \"/x\" no"));
    EXPECT_TRUE(refused.getDirectory().empty());
    EXPECT_EQ(refused.getStatus(), Ftp::Response::FileUnavailable);
}

TEST(FtpResponseTest, ListingLines)
{
    const Ftp::ListingResponse listing(Ftp::Response(Ftp::Response::ClosingDataConnection), "a.txt\r\nsub dir\r\n\r\nlast\n");
    EXPECT_EQ(listing.getListing(), (std::vector<std::string>{"a.txt", "sub dir", "last"}));
    const Ftp::ListingResponse unterminated(Ftp::Response(Ftp::Response::ClosingDataConnection), "only");
    EXPECT_EQ(unterminated.getListing(), (std::vector<std::string>{"only"}));
    EXPECT_TRUE(Ftp::ListingResponse(Ftp::Response(Ftp::Response::ClosingDataConnection), "").getListing().empty());
}
} // namespace
