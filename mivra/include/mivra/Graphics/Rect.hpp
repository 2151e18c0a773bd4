#pragma once

#include <mivra/System/Vector2.hpp>

#include <algorithm>
#include <optional>

namespace mivra
{
/// An axis-aligned rectangle: its top-left position and its size.
template <typename T>
struct Rect
{
    Vector2<T> position{};
    Vector2<T> size{};

    constexpr Rect() = default;
    constexpr Rect(Vector2<T> aPosition, Vector2<T> aSize) : position(aPosition), size(aSize) {}
    template <typename U>
    constexpr explicit Rect(const Rect<U>& other) : position(Vector2<T>(other.position)), size(Vector2<T>(other.size))
    {
    }

    /// True when the point lies inside; the right and bottom edges are excluded. Negative sizes
    /// are handled as the rectangle they span.
    [[nodiscard]] constexpr bool contains(Vector2<T> point) const
    {
        const T minX = std::min(position.x, static_cast<T>(position.x + size.x));
        const T maxX = std::max(position.x, static_cast<T>(position.x + size.x));
        const T minY = std::min(position.y, static_cast<T>(position.y + size.y));
        const T maxY = std::max(position.y, static_cast<T>(position.y + size.y));
        return point.x >= minX && point.x < maxX && point.y >= minY && point.y < maxY;
    }

    [[nodiscard]] constexpr std::optional<Rect> findIntersection(const Rect& other) const
    {
        const T l1 = std::min(position.x, static_cast<T>(position.x + size.x));
        const T r1 = std::max(position.x, static_cast<T>(position.x + size.x));
        const T t1 = std::min(position.y, static_cast<T>(position.y + size.y));
        const T b1 = std::max(position.y, static_cast<T>(position.y + size.y));
        const T l2 = std::min(other.position.x, static_cast<T>(other.position.x + other.size.x));
        const T r2 = std::max(other.position.x, static_cast<T>(other.position.x + other.size.x));
        const T t2 = std::min(other.position.y, static_cast<T>(other.position.y + other.size.y));
        const T b2 = std::max(other.position.y, static_cast<T>(other.position.y + other.size.y));
        const T left = std::max(l1, l2);
        const T top = std::max(t1, t2);
        const T right = std::min(r1, r2);
        const T bottom = std::min(b1, b2);
        if (left < right && top < bottom)
            return Rect({left, top}, {static_cast<T>(right - left), static_cast<T>(bottom - top)});
        return std::nullopt;
    }

    [[nodiscard]] constexpr Vector2<T> getCenter() const { return position + size / static_cast<T>(2); }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

using IntRect = Rect<int>;
using FloatRect = Rect<float>;
} // namespace mivra
