#include "Network/detail/LineEnds.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using mivra::detail::AsciiDecoder;
using mivra::detail::AsciiEncoder;

// The text fed in the given pieces, as one string.
std::string decode(const std::vector<std::string>& pieces)
{
    AsciiDecoder decoder;
    std::string out;
    for (const std::string& piece : pieces)
        out += decoder.convert(piece.data(), piece.size());
    out += decoder.finish();
    return out;
}

std::string encode(const std::vector<std::string>& pieces)
{
    AsciiEncoder encoder;
    std::string out;
    for (const std::string& piece : pieces)
        out += encoder.convert(piece.data(), piece.size());
    return out;
}

TEST(LineEndsTest, NetworkTextToLocalTextAcrossPieces)
{
    EXPECT_EQ(decode({"a\r\nb\r\n"}), "a\nb\n");
    // A CRLF cut between two pieces is still one line end.
    EXPECT_EQ(decode({"a\r", "\nb"}), "a\nb");
    EXPECT_EQ(decode({"a\r", "", "\nb"}), "a\nb");
    // A CR that starts no line end stays, also at a piece's end and at the very end.
    EXPECT_EQ(decode({"a\r", "b\r\r", "\n"}), "a\rb\r\n");
    EXPECT_EQ(decode({"end\r"}), "end\r");
    EXPECT_EQ(decode({"x\ny"}), "x\ny");
}

TEST(LineEndsTest, LocalTextToNetworkTextAcrossPieces)
{
    EXPECT_EQ(encode({"a\nb\n"}), "a\r\nb\r\n");
    // A line end already in network form is not doubled, even cut between two pieces.
    EXPECT_EQ(encode({"a\r\nb"}), "a\r\nb");
    EXPECT_EQ(encode({"a\r", "\nb"}), "a\r\nb");
    EXPECT_EQ(encode({"\n", "\n"}), "\r\n\r\n");
    EXPECT_EQ(encode({"a\r", "b\n"}), "a\rb\r\n");
}
} // namespace
