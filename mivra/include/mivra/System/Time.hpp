#pragma once

#include <compare>
#include <cstdint>

namespace mivra
{
/// A span of time, stored as a signed count of microseconds.
class Time
{
public:
    /// A zero span.
    constexpr Time() = default;

    /// The span in seconds.
    [[nodiscard]] constexpr float asSeconds() const
    {
        return static_cast<float>(static_cast<double>(m_microseconds) / 1'000'000.0);
    }
    /// The span in whole milliseconds, truncated toward zero.
    [[nodiscard]] constexpr std::int32_t asMilliseconds() const
    {
        return static_cast<std::int32_t>(m_microseconds / 1000);
    }
    /// The span in microseconds, exactly as stored.
    [[nodiscard]] constexpr std::int64_t asMicroseconds() const { return m_microseconds; }

    /// The zero span.
    static const Time Zero;

private:
    friend constexpr Time microseconds(std::int64_t);
    constexpr explicit Time(std::int64_t us) : m_microseconds(us) {}

    std::int64_t m_microseconds{};
};

inline constexpr Time Time::Zero{};

/// A span of `amount` microseconds.
[[nodiscard]] constexpr Time microseconds(std::int64_t amount)
{
    return Time(amount);
}
/// A span of `amount` milliseconds.
[[nodiscard]] constexpr Time milliseconds(std::int32_t amount)
{
    return microseconds(static_cast<std::int64_t>(amount) * 1000);
}
/// A span of `amount` seconds, truncated to whole microseconds.
[[nodiscard]] constexpr Time seconds(float amount)
{
    return microseconds(static_cast<std::int64_t>(static_cast<double>(amount) * 1'000'000.0));
}

/// Comparison and arithmetic of spans, on their microsecond counts; a span times a float and the
/// ratio of two spans go through seconds.
///@{
[[nodiscard]] constexpr bool operator==(Time a, Time b)
{
    return a.asMicroseconds() == b.asMicroseconds();
}
[[nodiscard]] constexpr auto operator<=>(Time a, Time b)
{
    return a.asMicroseconds() <=> b.asMicroseconds();
}
[[nodiscard]] constexpr Time operator-(Time t)
{
    return microseconds(-t.asMicroseconds());
}
[[nodiscard]] constexpr Time operator+(Time a, Time b)
{
    return microseconds(a.asMicroseconds() + b.asMicroseconds());
}
[[nodiscard]] constexpr Time operator-(Time a, Time b)
{
    return microseconds(a.asMicroseconds() - b.asMicroseconds());
}
[[nodiscard]] constexpr Time operator*(Time t, float f)
{
    return seconds(t.asSeconds() * f);
}
[[nodiscard]] constexpr Time operator*(Time t, std::int64_t n)
{
    return microseconds(t.asMicroseconds() * n);
}
[[nodiscard]] constexpr Time operator/(Time t, std::int64_t n)
{
    return microseconds(t.asMicroseconds() / n);
}
[[nodiscard]] constexpr float operator/(Time a, Time b)
{
    return a.asSeconds() / b.asSeconds();
}
constexpr Time& operator+=(Time& a, Time b)
{
    return a = a + b;
}
constexpr Time& operator-=(Time& a, Time b)
{
    return a = a - b;
}
///@}
} // namespace mivra
