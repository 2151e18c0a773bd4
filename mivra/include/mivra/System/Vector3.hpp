#pragma once

namespace mivra
{
/// A three-component vector; used for sensor readings.
template <typename T>
struct Vector3
{
    T x{}; ///< The first component.
    T y{}; ///< The second component.
    T z{}; ///< The third component.

    /// The zero vector.
    constexpr Vector3() = default;
    /// The vector (`ax`, `ay`, `az`).
    constexpr Vector3(T ax, T ay, T az) : x(ax), y(ay), z(az) {}

    /// Component-wise equality.
    friend constexpr bool operator==(const Vector3&, const Vector3&) = default;
};

/// Component-wise sum and difference; scaling by a scalar.
///@{
template <typename T>
constexpr Vector3<T> operator+(Vector3<T> a, Vector3<T> b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <typename T>
constexpr Vector3<T> operator-(Vector3<T> a, Vector3<T> b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <typename T>
constexpr Vector3<T> operator*(Vector3<T> v, T s)
{
    return {v.x * s, v.y * s, v.z * s};
}
///@}

/// Vectors of int and float components.
///@{
using Vector3i = Vector3<int>;
using Vector3f = Vector3<float>;
///@}
} // namespace mivra
