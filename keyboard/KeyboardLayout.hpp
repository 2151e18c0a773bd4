#pragma once

#include <mivra/System/Time.hpp>
#include <mivra/System/Vector2.hpp>
#include <mivra/Window/Keyboard.hpp>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace keyboard
{
// One key of the on-screen keyboard: its cell, in pixels of the keyboard's local space.
struct KeyEntry
{
    mivra::Keyboard::Scan scancode;
    float width = 54.f;
    float height = 54.f;
    float gapAfter = 0.f; // empty space up to the next cell of the row
};

struct KeyRow
{
    std::vector<KeyEntry> keys; // left to right
    float gapBelow = 0.f;       // extra space between this row and the next
};

inline constexpr float keyUnit = 54.f;
inline constexpr std::size_t rowCount = 9;
inline constexpr std::size_t verticesPerKey = 6;

// The nine rows of the keyboard; every scancode appears exactly once.
[[nodiscard]] std::array<KeyRow, rowCount> makeKeyRows();

// A key's cell placed on the keyboard.
struct KeyCell
{
    mivra::Keyboard::Scan scancode;
    float x;
    float y;
    float width;
    float height;
};

// Calls visit(KeyCell) for every key, rows top to bottom and keys left to right: each row's cells
// start at x = 0 and each row 54 pixels plus its gapBelow under the previous one.
template <typename Visit>
void forEachKeyCell(const std::array<KeyRow, rowCount>& rows, Visit&& visit)
{
    float y = 0.f;
    for (const KeyRow& row : rows)
    {
        float x = 0.f;
        for (const KeyEntry& key : row.keys)
        {
            visit(KeyCell{key.scancode, x, y, key.width, key.height});
            x += key.width + key.gapAfter;
        }
        y += keyUnit + row.gapBelow;
    }
}

// The six corners (two triangles) of a key's rectangle, drawn 4 pixels inside its cell and moved
// down by `offset`.
[[nodiscard]] std::array<mivra::Vector2f, verticesPerKey> keyVertexPositions(const KeyCell& cell, float offset);

// Moves every animation value toward 0 by the elapsed time over 0.2 seconds, never past 0.
void advanceAnimation(std::span<float> values, mivra::Time elapsed);

// Vertical displacement of a key whose animation value is `a` (in -1..1): down after a press,
// up after a release, at most 2 pixels half way through.
[[nodiscard]] float animationOffset(float a);

// Alpha of an outline flash with `flashTime` of its 0.15 seconds left: 127 right after the flash,
// easing out to 0, and 0 once the time has run out.
[[nodiscard]] std::uint8_t flashAlpha(mivra::Time flashTime);
} // namespace keyboard
