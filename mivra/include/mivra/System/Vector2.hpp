#pragma once

#include <cmath>

namespace mivra
{
template <typename T>
/// A two-component vector: positions, sizes and offsets.
/// @tparam T The component type; mivra::Vector2i, mivra::Vector2u and mivra::Vector2f name the usual ones.
struct Vector2
{
    T x{}; ///< The horizontal component.
    T y{}; ///< The vertical component.

    /// The zero vector.
    constexpr Vector2() = default;
    /// The vector (`ax`, `ay`).
    constexpr Vector2(T ax, T ay) : x(ax), y(ay) {}
    template <typename U>
    /// Converts each component of `other` with static_cast.
    constexpr explicit Vector2(Vector2<U> other) : x(static_cast<T>(other.x)), y(static_cast<T>(other.y))
    {
    }

    /// The Euclidean length, as a float.
    [[nodiscard]] float length() const
    {
        return static_cast<float>(std::hypot(static_cast<double>(x), static_cast<double>(y)));
    }

    /// Component-wise equality.
    friend constexpr bool operator==(const Vector2&, const Vector2&) = default;
};

/// Component-wise negation, sum and difference; scaling by a scalar.
///@{
template <typename T>
constexpr Vector2<T> operator-(Vector2<T> v)
{
    return {-v.x, -v.y};
}
template <typename T>
constexpr Vector2<T> operator+(Vector2<T> a, Vector2<T> b)
{
    return {a.x + b.x, a.y + b.y};
}
template <typename T>
constexpr Vector2<T> operator-(Vector2<T> a, Vector2<T> b)
{
    return {a.x - b.x, a.y - b.y};
}
template <typename T>
constexpr Vector2<T> operator*(Vector2<T> v, T s)
{
    return {v.x * s, v.y * s};
}
template <typename T>
constexpr Vector2<T> operator*(T s, Vector2<T> v)
{
    return {v.x * s, v.y * s};
}
template <typename T>
constexpr Vector2<T> operator/(Vector2<T> v, T s)
{
    return {v.x / s, v.y / s};
}
template <typename T>
constexpr Vector2<T>& operator+=(Vector2<T>& a, Vector2<T> b)
{
    return a = a + b;
}
template <typename T>
constexpr Vector2<T>& operator-=(Vector2<T>& a, Vector2<T> b)
{
    return a = a - b;
}
template <typename T>
constexpr Vector2<T>& operator*=(Vector2<T>& v, T s)
{
    return v = v * s;
}
template <typename T>
constexpr Vector2<T>& operator/=(Vector2<T>& v, T s)
{
    return v = v / s;
}
///@}

/// The vector types used throughout the library: int, unsigned int and float components.
///@{
using Vector2i = Vector2<int>;
using Vector2u = Vector2<unsigned int>;
using Vector2f = Vector2<float>;
///@}
} // namespace mivra
