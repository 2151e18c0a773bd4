#include <mivra/System/String.hpp>

#include <gtest/gtest.h>

using namespace mivra;

TEST(StringTest, Utf8RoundTripAcrossAllEncodedLengths)
{
    const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // A, é, €, 😀
    const String text = String::fromUtf8(utf8);
    ASSERT_EQ(text.getSize(), 4u);
    EXPECT_EQ(text[0], U'A');
    EXPECT_EQ(text[1], U'\u00e9');
    EXPECT_EQ(text[2], U'\u20ac');
    EXPECT_EQ(text[3], U'\U0001F600');
    EXPECT_EQ(text.toUtf8(), utf8);
}

TEST(StringTest, MalformedUtf8BecomesReplacementCharacters)
{
    const String text = String::fromUtf8("a\xC3"
                                         "b\xFF");
    EXPECT_EQ(text.toUtf32(), U"a\uFFFDb\uFFFD");

    // Byte sequences shaped like UTF-8 that do not encode a character: an overlong '/' and NUL, a
    // surrogate, a value past U+10FFFF. Each of their bytes is replaced, and nothing decodes to
    // '/', NUL, or a value that encoding would change.
    EXPECT_EQ(String::fromUtf8("\xC0\xAF"
                               "x\xE0\x80\x80")
                  .toUtf32(),
              U"\uFFFD\uFFFDx\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(String::fromUtf8("\xED\xA0\x80").toUtf32(), U"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(String::fromUtf8("\xF4\x90\x80\x80").toUtf32(), U"\uFFFD\uFFFD\uFFFD\uFFFD");
    // The edges of the valid ranges still decode.
    EXPECT_EQ(String::fromUtf8("\xC2\x80\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF").toUtf32(),
              U"\u0080\uD7FF\uE000\U0010FFFF");
}

TEST(StringTest, ClassicLocaleKeepsAsciiAndLatin1)
{
    const String text(std::string("Key Pressed: \xE9"), std::locale::classic());
    EXPECT_EQ(text.toUtf32(), U"Key Pressed: \u00e9");
    EXPECT_EQ(text.toAnsiString(std::locale::classic()), "Key Pressed: \xE9");
    // Code points the locale cannot write become '?'.
    EXPECT_EQ(String(U"\u20ac1").toAnsiString(std::locale::classic()), "?1");
}

TEST(StringTest, SingleCodePointsAndConcatenation)
{
    EXPECT_EQ(String(U'\u00e9').toUtf32(), U"\u00e9");
    EXPECT_EQ(String('x').toUtf32(), U"x");
    const String joined = String("Key Pressed: ") + String::fromUtf8("Enter");
    EXPECT_EQ(joined.toAnsiString(), "Key Pressed: Enter");
    EXPECT_TRUE(String().isEmpty());
    EXPECT_EQ(String(""), String());
}

TEST(StringTest, Utf8LocaleDecodesMultibyteText)
{
    std::locale utf8;
    try
    {
        utf8 = std::locale("C.UTF-8");
    }
    catch (const std::runtime_error&)
    {
        GTEST_SKIP() << "no C.UTF-8 locale on this machine";
    }
    const String text(std::string("caf\xC3\xA9"), utf8);
    EXPECT_EQ(text.toUtf32(), U"caf\u00e9");
    EXPECT_EQ(text.toAnsiString(utf8), "caf\xC3\xA9");
}

TEST(StringTest, AssignReusesStorage)
{
    String text(std::string(64, 'x'));
    const char32_t* storage = text.getData();
    text.assign("Mouse Moved: (412, 37)");
    EXPECT_EQ(text.toAnsiString(), "Mouse Moved: (412, 37)");
    EXPECT_EQ(text.getData(), storage);
}
