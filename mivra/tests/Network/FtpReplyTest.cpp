#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpReply.hpp"

#include "ListingNames.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>

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
    for (const char* text :
         {"", "23", "230 Login", "230-Welcome\r\n", "230-Welcome\r\n230-more\r\n", "230-x\r\n230 end"})
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

    for (const char* message : {" (1,2,3,4,5)", " (1,2,3,4,5,,6)", " (256,0,0,1,1,1)", " (1,2,3,4,0,0)",
                                " (1,2,3,4,300,1)", " no numbers", " (1,2,3,4,-1,5)", " (a,b,c,d,e,f)", ""})
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

// Replies as a hostile or broken server may send them: every parser must give an answer (never
// a crash, a hang or a read past the text) and must not take nonsense for a value.
TEST(FtpParserHostileInputTest, RepliesWithBytesOutOfRange)
{
    for (const std::string text : {std::string("\xb2\x30\x30 x\r\n"),
                                   std::string("2\xff"
                                               "0 ok\r\n"),
                                   std::string("200\xa0text\r\n"),
                                   std::string("\0"
                                               "200 x\r\n",
                                               8),
                                   std::string("\n\n\n"), std::string("\r\r\n")})
        EXPECT_EQ(parseFtpReply(text).state, FtpReply::State::Malformed);

    // Inside the text anything goes, NUL bytes included; the line end still counts.
    const std::string withNul("200 a\0b\xff\r\n", 10);
    const FtpReply reply = parseFtpReply(withNul);
    ASSERT_EQ(reply.state, FtpReply::State::Complete);
    EXPECT_EQ(reply.message, std::string(" a\0b\xff", 5));
    EXPECT_EQ(reply.consumed, withNul.size());
}

TEST(FtpParserHostileInputTest, MultiLineRepliesThatNeverEnd)
{
    // Lines that look like an end but are not: another code, a tab or another byte after the code.
    std::string text = "230-start\r\n";
    for (const char* line : {"231 other code\r\n", "230\tTab\r\n",
                             "230\xff"
                             "byte\r\n",
                             "23 short\r\n", "230-\r\n"})
        text += line;
    EXPECT_EQ(parseFtpReply(text).state, FtpReply::State::Incomplete);
    while (text.size() <= 4096)
        text += "230-more\r\n";
    EXPECT_EQ(parseFtpReply(text, 4096).state, FtpReply::State::TooLong);
    EXPECT_EQ(parseFtpReply(text + "230 end\r\n", 4096).state, FtpReply::State::TooLong);
    EXPECT_EQ(parseFtpReply(text + "230 end\r\n", text.size() + 9).state, FtpReply::State::Complete);
}

TEST(FtpParserHostileInputTest, PassiveRepliesOutOfRange)
{
    using mivra::detail::parsePassiveReply;
    const std::string overlong(400, '9');
    for (const std::string message : {" (1,2,3,4," + overlong + ",1)",
                                      " (" + overlong + ",2,3,4,5,6)",
                                      overlong,
                                      std::string(" (1,2,3,256,1,1)"),
                                      std::string(" (1,2,3,4,256,0)"),
                                      std::string(" (1,2,3,4,0,256)"),
                                      std::string(" (1,2,3,4,4294967297,1)"),
                                      std::string(" (-1,2,3,4,5,6)"),
                                      std::string(" (1,2,3,4,5,-6)"),
                                      std::string(" (+1,2,3,4,5,6)"),
                                      std::string(" (\xb1,2,3,4,5,6)"),
                                      std::string(" (1\xac"
                                                  "2,3,4,5,6,7)"),
                                      std::string(" ("),
                                      std::string(" )"),
                                      std::string(" ((((((("),
                                      std::string(" (,,,,,)"),
                                      std::string(" (1,2,3,4,5,"),
                                      std::string(" (1,2,3,4,5"),
                                      std::string(" 1,2,3"),
                                      std::string("\0(1,2,3,4,5)", 12)})
        EXPECT_FALSE(parsePassiveReply(message).has_value()) << message;

    // Without parentheses (or with only the opening one) the first number starts the six.
    for (const char* message : {" Entering Passive Mode 127,0,0,1,255,255", " =(127,0,0,1,255,255"})
    {
        const auto target = parsePassiveReply(message);
        ASSERT_TRUE(target.has_value()) << message;
        EXPECT_EQ(target->address, 0x7F000001u);
        EXPECT_EQ(target->port, 65535);
    }
}

TEST(FtpParserHostileInputTest, ExtendedPassiveRepliesOutOfRange)
{
    using mivra::detail::parseExtendedPassiveReply;
    EXPECT_EQ(parseExtendedPassiveReply(" (|||65535|)"), 65535);
    for (const std::string message :
         {std::string(" (|||65536|)"), std::string(" (|||4294967297|)"), " (|||" + std::string(400, '9') + "|)",
          std::string(" (|||-1|)"), std::string(" (|||+1|)"), std::string(" (|||1"), std::string(" (|||"),
          std::string(" (||"), std::string(" (|"), std::string(" ("), std::string("("), std::string(" (|||\xb1|)"),
          std::string(" (|||21\xff)"), std::string(" (|||21)"), std::string(" |||21|)"),
          std::string(" (|||\0"
                      "21|)",
                      9)})
        EXPECT_FALSE(parseExtendedPassiveReply(message).has_value()) << message;
}

TEST(FtpParserHostileInputTest, SizesOutOfRange)
{
    using mivra::detail::parseSizeReply;
    EXPECT_EQ(parseSizeReply(" 18446744073709551615"), 18446744073709551615u);
    EXPECT_EQ(parseSizeReply(" 42\r"), 42u);
    for (const std::string message :
         {std::string(" -1"), std::string(" -0"), std::string(" +5"), std::string(" 18446744073709551616"),
          " " + std::string(400, '9'), std::string(" 0x10"), std::string(" 5\xff"), std::string("\t5"),
          std::string(" 1 2"), std::string("-\n213 5"), std::string(" 5\0", 3), std::string("")})
        EXPECT_FALSE(parseSizeReply(message).has_value()) << message;
}

// Random damage to well-formed replies: whatever comes out must be consistent with the input.
TEST(FtpParserHostileInputTest, DamagedReplies)
{
    const std::string seeds[] = {"230-Welcome\r\n230-more\r\n230 Done\r\n",
                                 "227 Entering Passive Mode (127,0,0,1,4,1)\r\n",
                                 "229 Entering Extended Passive Mode (|||60815|)\r\n", "213 268435456\r\n"};
    std::mt19937 random(20261209);
    for (int round = 0; round < 20000; ++round)
    {
        std::string text = seeds[round % 4];
        const int damage = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < damage; ++i)
        {
            const std::size_t at = random() % (text.size() + 1);
            switch (random() % 3)
            {
            case 0: text.insert(at, 1, static_cast<char>(random())); break;
            case 1:
                if (at < text.size())
                    text.erase(at, 1);
                break;
            default:
                if (at < text.size())
                    text[at] = static_cast<char>(random());
                break;
            }
        }
        const FtpReply reply = parseFtpReply(text, 40);
        if (reply.state == FtpReply::State::Complete)
        {
            ASSERT_GT(reply.consumed, 0u) << text;
            ASSERT_LE(reply.consumed, std::min<std::size_t>(text.size(), 40)) << text;
            ASSERT_EQ(text[reply.consumed - 1], '\n') << text;
            ASSERT_GE(reply.code, 100) << text;
            ASSERT_LE(reply.code, 599) << text;
            ASSERT_EQ(text.compare(0, 3, std::to_string(reply.code)), 0) << text;
        }
        if (reply.state == FtpReply::State::TooLong)
            ASSERT_GT(text.size(), 40u) << text;
        const std::string_view message = std::string_view(text).substr(std::min<std::size_t>(3, text.size()));
        if (const auto target = mivra::detail::parsePassiveReply(message))
            ASSERT_NE(target->port, 0) << text;
        if (const auto port = mivra::detail::parseExtendedPassiveReply(message))
            ASSERT_NE(*port, 0) << text;
        if (const auto size = mivra::detail::parseSizeReply(message))
            ASSERT_NE(message.find(std::to_string(*size)), std::string_view::npos) << text;
    }
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
    const Ftp::DirectoryResponse plain(
        Ftp::Response(Ftp::Response::DirectoryOk, " \"/home/user\" is the current directory."));
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
    const Ftp::ListingResponse listing(Ftp::Response(Ftp::Response::ClosingDataConnection),
                                       "a.txt\r\nsub dir\r\n\r\nlast\n");
    EXPECT_EQ(mivra::test::names(listing.getListing()), (std::vector<std::string>{"a.txt", "sub dir", "last"}));
    const Ftp::ListingResponse unterminated(Ftp::Response(Ftp::Response::ClosingDataConnection), "only");
    EXPECT_EQ(mivra::test::names(unterminated.getListing()), (std::vector<std::string>{"only"}));
    EXPECT_TRUE(Ftp::ListingResponse(Ftp::Response(Ftp::Response::ClosingDataConnection), "").getListing().empty());

    // Only a CR that ends a line goes; one inside a name stays, and lines of nothing but line
    // ends are skipped.
    const char oddText[] = "\r\n\n\r\na\rb\r\n\rc\nd\r\r\n\0e\r";
    const mivra::FtpListing odd(std::string(oddText, sizeof(oddText) - 1));
    EXPECT_EQ(odd.size(), 4u);
    EXPECT_FALSE(odd.empty());
    EXPECT_EQ(mivra::test::names(odd), (std::vector<std::string>{"a\rb", "\rc", "d\r", std::string("\0e", 2)}));
    const mivra::FtpListing onlyLineEnds("\r\n\r\n\n");
    EXPECT_TRUE(onlyLineEnds.empty());
    EXPECT_EQ(onlyLineEnds.begin(), onlyLineEnds.end());
}
} // namespace
