#pragma once

#include <cmath>

namespace mivra
{
template <typename T>
struct Vector2
{
    T x{};
    T y{};

    constexpr Vector2() = default;
    constexpr Vector2(T ax, T ay) : x(ax), y(ay) {}
    template <typename U>
    constexpr explicit Vector2(Vector2<U> other) : x(static_cast<T>(other.x)), y(static_cast<T>(other.y)) {}

    [[nodiscard]] float length() const { return static_cast<float>(std::hypot(static_cast<double>(x), static_cast<double>(y))); }

    friend constexpr bool operator==(const Vector2&, const Vector2&) = default;
};

template <typename T> constexpr Vector2<T> operator-(Vector2<T> v) { return {-v.x, -v.y}; }
template <typename T> constexpr Vector2<T> operator+(Vector2<T> a, Vector2<T> b) { return {a.x + b.x, a.y + b.y}; }
template <typename T> constexpr Vector2<T> operator-(Vector2<T> a, Vector2<T> b) { return {a.x - b.x, a.y - b.y}; }
template <typename T> constexpr Vector2<T> operator*(Vector2<T> v, T s) { return {v.x * s, v.y * s}; }
template <typename T> constexpr Vector2<T> operator*(T s, Vector2<T> v) { return {v.x * s, v.y * s}; }
template <typename T> constexpr Vector2<T> operator/(Vector2<T> v, T s) { return {v.x / s, v.y / s}; }
template <typename T> constexpr Vector2<T>& operator+=(Vector2<T>& a, Vector2<T> b) { return a = a + b; }
template <typename T> constexpr Vector2<T>& operator-=(Vector2<T>& a, Vector2<T> b) { return a = a - b; }
template <typename T> constexpr Vector2<T>& operator*=(Vector2<T>& v, T s) { return v = v * s; }
template <typename T> constexpr Vector2<T>& operator/=(Vector2<T>& v, T s) { return v = v / s; }

using Vector2i = Vector2<int>;
using Vector2u = Vector2<unsigned int>;
using Vector2f = Vector2<float>;
} // namespace mivra
