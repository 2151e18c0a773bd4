// UTF-8 and locale conversions of mivra::String on any bytes. Decoding yields only Unicode scalar
// values; valid UTF-8 survives a round trip unchanged, and so does a Latin-1 text under the classic
// locale and valid UTF-8 under a UTF-8 locale.
#include <mivra/System/String.hpp>

#include <cstdint>
#include <cstdlib>
#include <locale>
#include <string>
#include <string_view>

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool isScalarValue(char32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// A plain reference reading of the UTF-8 definition (RFC 3629).
bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size())
    {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (b < 0x80)
            length = 1, c = b;
        else if (b >= 0xC2 && b <= 0xDF)
            length = 2, c = b & 0x1F;
        else if (b >= 0xE0 && b <= 0xEF)
            length = 3, c = b & 0x0F;
        else if (b >= 0xF0 && b <= 0xF4)
            length = 4, c = b & 0x07;
        else
            return false;
        if (i + length > s.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
        {
            const auto cont = static_cast<unsigned char>(s[i + k]);
            if ((cont & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (cont & 0x3F);
        }
        const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < minimum[length] || !isScalarValue(c))
            return false;
        i += length;
    }
    return true;
}

const std::locale& utf8Locale()
{
    static const std::locale locale = [] {
        try
        {
            return std::locale("C.UTF-8");
        }
        catch (const std::runtime_error&)
        {
            return std::locale::classic();
        }
    }();
    return locale;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // UTF-8 in both directions.
    const mivra::String decoded = mivra::String::fromUtf8(bytes);
    for (const char32_t c : decoded)
        check(isScalarValue(c));
    const std::string encoded = decoded.toUtf8();
    check(isValidUtf8(encoded));
    check(mivra::String::fromUtf8(encoded) == decoded);
    if (isValidUtf8(bytes))
        check(encoded == bytes);

    // The bytes read as UTF-32 code points, any value at all, still encode to valid UTF-8.
    std::u32string raw(size / 4, U'\0');
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<char32_t>(data[4 * i] | data[4 * i + 1] << 8 | data[4 * i + 2] << 16 |
                                       static_cast<std::uint32_t>(data[4 * i + 3]) << 24);
    check(isValidUtf8(mivra::String(raw).toUtf8()));

    // The classic locale: every byte string is Latin-1 and comes back as it was.
    const std::locale classic = std::locale::classic();
    const mivra::String latin1(std::string(bytes), classic);
    check(latin1.getSize() == size);
    check(latin1.toAnsiString(classic) == bytes);
    mivra::String reused(U"some earlier text that is longer than most inputs");
    reused.assign(bytes, classic);
    check(reused == latin1);

    // A UTF-8 locale agrees with the UTF-8 functions on valid text; on anything else it must only
    // not fail, and what it gives back must encode again.
    const mivra::String localeDecoded(std::string(bytes), utf8Locale());
    const std::string localeEncoded = localeDecoded.toAnsiString(utf8Locale());
    if (utf8Locale() != classic && isValidUtf8(bytes))
    {
        check(localeDecoded == decoded);
        check(localeEncoded == bytes);
    }
    (void)mivra::String(raw).toAnsiString(utf8Locale());
    return 0;
}
