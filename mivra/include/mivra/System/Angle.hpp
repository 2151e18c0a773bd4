#pragma once

namespace mivra
{
/// An angle, stored in degrees; build it with degrees() or radians().
class Angle
{
public:
    /// A zero angle.
    constexpr Angle() = default;

    /// The angle in degrees, as given (not wrapped into one turn).
    [[nodiscard]] constexpr float asDegrees() const { return m_degrees; }
    /// The angle in radians.
    [[nodiscard]] constexpr float asRadians() const { return m_degrees * (Pi / 180.f); }

    /// The zero angle.
    static const Angle Zero;
    /// π, as a float.
    static constexpr float Pi = 3.141592654f;

    friend constexpr Angle degrees(float);
    friend constexpr Angle radians(float);
    friend constexpr bool operator==(Angle, Angle) = default;

private:
    constexpr explicit Angle(float deg) : m_degrees(deg) {}
    float m_degrees{};
};

inline constexpr Angle Angle::Zero{};

/// An angle of `amount` degrees.
[[nodiscard]] constexpr Angle degrees(float amount)
{
    return Angle(amount);
}
/// An angle of `amount` radians.
[[nodiscard]] constexpr Angle radians(float amount)
{
    return Angle(amount * (180.f / Angle::Pi));
}

/// Sums, differences, negation and scaling of angles, in degrees.
///@{
[[nodiscard]] constexpr Angle operator+(Angle a, Angle b)
{
    return degrees(a.asDegrees() + b.asDegrees());
}
[[nodiscard]] constexpr Angle operator-(Angle a, Angle b)
{
    return degrees(a.asDegrees() - b.asDegrees());
}
[[nodiscard]] constexpr Angle operator-(Angle a)
{
    return degrees(-a.asDegrees());
}
[[nodiscard]] constexpr Angle operator*(Angle a, float f)
{
    return degrees(a.asDegrees() * f);
}
constexpr Angle& operator+=(Angle& a, Angle b)
{
    return a = a + b;
}
constexpr Angle& operator-=(Angle& a, Angle b)
{
    return a = a - b;
}
///@}
} // namespace mivra
