#include <mivra/System/String.hpp>

#include <cwchar>

namespace mivra
{
namespace
{
using WideCodecvt = std::codecvt<wchar_t, char, std::mbstate_t>;

// Decodes into result, reusing its capacity.
void widenInto(std::u32string& result, std::string_view bytes, const std::locale& locale)
{
    const auto& facet = std::use_facet<WideCodecvt>(locale);
    result.clear();
    result.reserve(bytes.size());
    std::mbstate_t state{};
    const char* from = bytes.data();
    const char* const fromEnd = bytes.data() + bytes.size();
    while (from < fromEnd)
    {
        wchar_t out[64];
        const char* fromNext = from;
        wchar_t* toNext = out;
        const auto status = facet.in(state, from, fromEnd, fromNext, out, out + 64, toNext);
        for (const wchar_t* w = out; w < toNext; ++w)
            result.push_back(static_cast<char32_t>(*w));
        if (status == std::codecvt_base::ok || status == std::codecvt_base::noconv)
        {
            if (status == std::codecvt_base::noconv)
            {
                for (; from < fromEnd; ++from)
                    result.push_back(static_cast<unsigned char>(*from));
            }
            else if (fromNext == from && toNext == out)
                break;
            from = fromNext;
            continue;
        }
        if (status == std::codecvt_base::partial && toNext != out)
        {
            from = fromNext;
            continue;
        }
        // An undecodable or truncated byte: keep it as Latin-1 and go on after it.
        from = fromNext;
        if (from < fromEnd)
            result.push_back(static_cast<unsigned char>(*from++));
        state = std::mbstate_t{};
    }
}

std::u32string widen(std::string_view bytes, const std::locale& locale)
{
    std::u32string result;
    widenInto(result, bytes, locale);
    return result;
}

std::string narrow(const std::u32string& text, const std::locale& locale)
{
    const auto& facet = std::use_facet<WideCodecvt>(locale);
    std::string result;
    result.reserve(text.size());
    for (const char32_t c : text)
    {
        const wchar_t wide = static_cast<wchar_t>(c);
        std::mbstate_t state{};
        char out[16];
        const wchar_t* fromNext = &wide;
        char* toNext = out;
        const auto status = facet.out(state, &wide, &wide + 1, fromNext, out, out + sizeof out, toNext);
        if (status == std::codecvt_base::ok && fromNext == &wide + 1)
            result.append(out, toNext);
        else if (status == std::codecvt_base::noconv || c < 256)
            result.push_back(static_cast<char>(c));
        else
            result.push_back('?');
    }
    return result;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x80)
        out.push_back(static_cast<char>(c));
    else if (c < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else if (c < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}
} // namespace

String::String(char32_t codePoint) : m_string(1, codePoint)
{
}
String::String(char ansiChar, const std::locale& locale) : m_string(widen(std::string_view(&ansiChar, 1), locale))
{
}
String::String(const char* ansiString, const std::locale& locale)
    : m_string(widen(ansiString ? ansiString : "", locale))
{
}
String::String(const std::string& ansiString, const std::locale& locale) : m_string(widen(ansiString, locale))
{
}
String::String(std::u32string utf32) : m_string(std::move(utf32))
{
}
String::String(const char32_t* utf32) : m_string(utf32 ? utf32 : U"")
{
}

String String::fromUtf8(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size())
    {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t c = 0;
        if (lead < 0x80)
        {
            c = lead;
        }
        else if ((lead & 0xE0) == 0xC0)
        {
            c = lead & 0x1F;
            extra = 1;
        }
        else if ((lead & 0xF0) == 0xE0)
        {
            c = lead & 0x0F;
            extra = 2;
        }
        else if ((lead & 0xF8) == 0xF0)
        {
            c = lead & 0x07;
            extra = 3;
        }
        else
        {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }

        bool valid = true;
        for (int k = 1; valid && k <= extra; ++k)
        {
            if (i + static_cast<std::size_t>(k) >= utf8.size())
            {
                valid = false;
                break;
            }
            const auto cont = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((cont & 0xC0) != 0x80)
            {
                valid = false;
                break;
            }
            c = (c << 6) | (cont & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8: taken as code points
        // they would smuggle in characters (an overlong '/' or NUL) or values no text may hold.
        static constexpr char32_t shortest[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || c < shortest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return String(std::move(out));
}

String& String::assign(std::string_view ansiString, const std::locale& locale)
{
    widenInto(m_string, ansiString, locale);
    return *this;
}

std::string String::toAnsiString(const std::locale& locale) const
{
    return narrow(m_string, locale);
}

std::string String::toUtf8() const
{
    std::string out;
    out.reserve(m_string.size());
    for (const char32_t c : m_string)
        appendUtf8(out, c);
    return out;
}
} // namespace mivra
