#pragma once

#include <cstddef>
#include <locale>
#include <string>
#include <string_view>

namespace mivra
{
/// Text as a sequence of UTF-32 code points, convertible from and to byte strings.
///
/// Byte strings are read and written through a std::locale's codecvt facet; bytes the locale cannot
/// decode (for example bytes above 127 under the classic "C" locale) are taken as Latin-1, and code
/// points it cannot encode are written as Latin-1 bytes when below 256, else as '?'. Under the
/// classic locale that makes every Latin-1 text survive a round trip.
class String
{
public:
    /// An empty string.
    String() = default;
    /// A string of one code point.
    String(char32_t codePoint);
    /// A string of one byte, decoded with `locale`.
    String(char ansiChar, const std::locale& locale = {});
    /// A null-terminated byte string, decoded with `locale`.
    String(const char* ansiString, const std::locale& locale = {});
    /// A byte string, decoded with `locale`.
    String(const std::string& ansiString, const std::locale& locale = {});
    /// Takes UTF-32 code points as they are.
    String(std::u32string utf32);
    /// Copies null-terminated UTF-32 code points.
    String(const char32_t* utf32);

    /// Replaces the text with a decoded byte string, reusing the storage already held.
    String& assign(std::string_view ansiString, const std::locale& locale = {});

    /// Decodes UTF-8; each malformed sequence becomes U+FFFD, the replacement character, so no input
    /// fails.
    [[nodiscard]] static String fromUtf8(std::string_view utf8);

    /// Encodes the text as bytes with `locale`, as the class description says.
    [[nodiscard]] std::string toAnsiString(const std::locale& locale = {}) const;
    /// Encodes the text as UTF-8.
    [[nodiscard]] std::string toUtf8() const;
    /// The code points themselves.
    [[nodiscard]] const std::u32string& toUtf32() const { return m_string; }
    /// toAnsiString() with the global locale.
    explicit operator std::string() const { return toAnsiString(); }

    /// The number of code points.
    [[nodiscard]] std::size_t getSize() const { return m_string.size(); }
    /// Whether there is no code point.
    [[nodiscard]] bool isEmpty() const { return m_string.empty(); }
    /// Removes every code point.
    void clear() { m_string.clear(); }
    /// The code point at `index`, which must be below getSize().
    [[nodiscard]] char32_t operator[](std::size_t index) const { return m_string[index]; }
    /// The code points, null-terminated, valid until the string changes.
    [[nodiscard]] const char32_t* getData() const { return m_string.c_str(); }
    /// Iterators over the code points, for range-for loops.
    ///@{
    [[nodiscard]] auto begin() const { return m_string.begin(); }
    [[nodiscard]] auto end() const { return m_string.end(); }
    ///@}

    /// Appends `other`.
    String& operator+=(const String& other)
    {
        m_string += other.m_string;
        return *this;
    }

    /// Code-point-wise equality.
    friend bool operator==(const String&, const String&) = default;

private:
    std::u32string m_string;
};

/// The concatenation of two strings.
[[nodiscard]] inline String operator+(String left, const String& right)
{
    left += right;
    return left;
}
} // namespace mivra
