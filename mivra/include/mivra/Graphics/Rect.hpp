#pragma once

#include <mivra/System/Vector2.hpp>

#include <algorithm>
#include <optional>

namespace mivra
{
/// An axis-aligned rectangle: its top-left position and its size.
template <typename T>
/// An axis-aligned rectangle: its top-left position and its size.
/// @tparam T The coordinate type; mivra::IntRect and mivra::FloatRect name the usual ones.
struct Rect
{
    Vector2<T> position{}; ///< The top-left corner.
    Vector2<T> size{};     ///< Width and height.

    /// An empty rectangle at (0, 0).
    constexpr Rect() = default;
    /// The rectangle at `aPosition` of size `aSize`.
    constexpr Rect(Vector2<T> aPosition, Vector2<T> aSize) : position(aPosition), size(aSize) {}
    template <typename U>
    /// Converts each coordinate of `other` with static_cast.
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

    /// The overlap of the two rectangles, with a positive size; empty when they do not overlap (touching
    /// edges do not). Negative sizes are handled as the rectangle they span.
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

    /// The centre, position + size / 2.
    [[nodiscard]] constexpr Vector2<T> getCenter() const { return position + size / static_cast<T>(2); }

    /// Same position and size.
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

/// Rectangles of int and float coordinates.
///@{
using IntRect = Rect<int>;
using FloatRect = Rect<float>;
///@}
} // namespace mivra
