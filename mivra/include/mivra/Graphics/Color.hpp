#pragma once

#include <cstdint>

namespace mivra
{
/// An RGBA colour with one byte per channel.
struct Color
{
    std::uint8_t r{};    ///< Red, 0 to 255.
    std::uint8_t g{};    ///< Green, 0 to 255.
    std::uint8_t b{};    ///< Blue, 0 to 255.
    std::uint8_t a{255}; ///< Alpha (opacity), 0 (transparent) to 255 (opaque).

    /// Opaque black.
    constexpr Color() = default;
    /// The colour of those channels.
    constexpr Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255)
        : r(red), g(green), b(blue), a(alpha)
    {
    }
    /// From 0xRRGGBBAA.
    constexpr explicit Color(std::uint32_t rgba)
        : r(static_cast<std::uint8_t>(rgba >> 24)), g(static_cast<std::uint8_t>(rgba >> 16)),
          b(static_cast<std::uint8_t>(rgba >> 8)), a(static_cast<std::uint8_t>(rgba))
    {
    }

    /// As 0xRRGGBBAA.
    [[nodiscard]] constexpr std::uint32_t toInteger() const
    {
        return (std::uint32_t{r} << 24) | (std::uint32_t{g} << 16) | (std::uint32_t{b} << 8) | a;
    }

    /// Every channel equal.
    friend constexpr bool operator==(const Color&, const Color&) = default;

    /// Opaque primary and secondary colours, black, white, and fully transparent black.
    ///@{
    static const Color Black;
    static const Color White;
    static const Color Red;
    static const Color Green;
    static const Color Blue;
    static const Color Yellow;
    static const Color Magenta;
    static const Color Cyan;
    static const Color Transparent;
    ///@}
};

inline constexpr Color Color::Black{0, 0, 0};
inline constexpr Color Color::White{255, 255, 255};
inline constexpr Color Color::Red{255, 0, 0};
inline constexpr Color Color::Green{0, 255, 0};
inline constexpr Color Color::Blue{0, 0, 255};
inline constexpr Color Color::Yellow{255, 255, 0};
inline constexpr Color Color::Magenta{255, 0, 255};
inline constexpr Color Color::Cyan{0, 255, 255};
inline constexpr Color Color::Transparent{0, 0, 0, 0};

namespace detail
{
constexpr std::uint8_t saturate(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}
} // namespace detail

/// Channel-wise sum, clamped to [0, 255].
[[nodiscard]] constexpr Color operator+(Color a, Color b)
{
    return {detail::saturate(a.r + b.r), detail::saturate(a.g + b.g), detail::saturate(a.b + b.b),
            detail::saturate(a.a + b.a)};
}
/// Channel-wise difference, clamped to [0, 255].
[[nodiscard]] constexpr Color operator-(Color a, Color b)
{
    return {detail::saturate(a.r - b.r), detail::saturate(a.g - b.g), detail::saturate(a.b - b.b),
            detail::saturate(a.a - b.a)};
}
/// Channel-wise modulation: each product is divided by 255.
[[nodiscard]] constexpr Color operator*(Color a, Color b)
{
    return {static_cast<std::uint8_t>(a.r * b.r / 255), static_cast<std::uint8_t>(a.g * b.g / 255),
            static_cast<std::uint8_t>(a.b * b.b / 255), static_cast<std::uint8_t>(a.a * b.a / 255)};
}
/// The same, in place.
///@{
constexpr Color& operator+=(Color& a, Color b)
{
    return a = a + b;
}
constexpr Color& operator-=(Color& a, Color b)
{
    return a = a - b;
}
constexpr Color& operator*=(Color& a, Color b)
{
    return a = a * b;
}
///@}
} // namespace mivra
