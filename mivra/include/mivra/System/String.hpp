#pragma once

#include <cstddef>
#include <locale>
#include <string>
#include <string_view>

namespace mivra
{
// Text as a sequence of UTF-32 code points, convertible from and to byte strings.
//
// Byte strings are read and written through a std::locale's codecvt facet; bytes the locale cannot
// decode (for example bytes above 127 under the classic "C" locale) are taken as Latin-1, and code
// points it cannot encode are written as Latin-1 bytes when below 256, else as '?'. Under the
// classic locale that makes every Latin-1 text survive a round trip.
class String
{
public:
    String() = default;
    String(char32_t codePoint);
    String(char ansiChar, const std::locale& locale = {});
    String(const char* ansiString, const std::locale& locale = {});
    String(const std::string& ansiString, const std::locale& locale = {});
    String(std::u32string utf32);
    String(const char32_t* utf32);

    // Replaces the text with a decoded byte string, reusing the storage already held.
    String& assign(std::string_view ansiString, const std::locale& locale = {});

    [[nodiscard]] static String fromUtf8(std::string_view utf8);

    [[nodiscard]] std::string toAnsiString(const std::locale& locale = {}) const;
    [[nodiscard]] std::string toUtf8() const;
    [[nodiscard]] const std::u32string& toUtf32() const { return m_string; }
    explicit operator std::string() const { return toAnsiString(); }

    [[nodiscard]] std::size_t getSize() const { return m_string.size(); }
    [[nodiscard]] bool isEmpty() const { return m_string.empty(); }
    void clear() { m_string.clear(); }
    [[nodiscard]] char32_t operator[](std::size_t index) const { return m_string[index]; }
    [[nodiscard]] const char32_t* getData() const { return m_string.c_str(); }
    [[nodiscard]] auto begin() const { return m_string.begin(); }
    [[nodiscard]] auto end() const { return m_string.end(); }

    String& operator+=(const String& other)
    {
        m_string += other.m_string;
        return *this;
    }

    friend bool operator==(const String&, const String&) = default;

private:
    std::u32string m_string;
};

[[nodiscard]] inline String operator+(String left, const String& right)
{
    left += right;
    return left;
}
} // namespace mivra
