#include "KeyboardLayout.hpp"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>

namespace
{
using Scan = mivra::Keyboard::Scan;

std::map<Scan, keyboard::KeyCell> cellsByScancode()
{
    std::map<Scan, keyboard::KeyCell> cells;
    keyboard::forEachKeyCell(keyboard::makeKeyRows(),
                             [&](const keyboard::KeyCell& cell) { cells.emplace(cell.scancode, cell); });
    return cells;
}

TEST(KeyboardLayout, EveryScancodeAppearsExactlyOnce)
{
    std::array<int, mivra::Keyboard::ScanCount> seen{};
    int total = 0;
    keyboard::forEachKeyCell(keyboard::makeKeyRows(), [&](const keyboard::KeyCell& cell) {
        const int s = static_cast<int>(cell.scancode);
        ASSERT_GE(s, 0);
        ASSERT_LT(s, mivra::Keyboard::ScanCount);
        ++seen[static_cast<std::size_t>(s)];
        ++total;
    });
    EXPECT_EQ(total, 146);
    for (std::size_t s = 0; s < seen.size(); ++s)
        EXPECT_EQ(seen[s], 1) << "scancode " << s;
}

TEST(KeyboardLayout, RowsHaveTheirKeyCountsAndStartHeights)
{
    const auto rows = keyboard::makeKeyRows();
    const std::array<std::size_t, 9> counts{16, 21, 21, 17, 18, 13, 12, 17, 11};
    for (std::size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(rows[r].keys.size(), counts[r]) << "row " << r;

    std::vector<float> rowTops;
    keyboard::forEachKeyCell(rows, [&](const keyboard::KeyCell& cell) {
        if (rowTops.empty() || rowTops.back() != cell.y)
            rowTops.push_back(cell.y);
    });
    EXPECT_EQ(rowTops, (std::vector<float>{0, 81, 135, 189, 243, 297, 378, 432, 486}));
}

TEST(KeyboardLayout, RowsOneToFourAreTwentyThreeUnitsWide)
{
    const auto rows = keyboard::makeKeyRows();
    for (std::size_t r = 1; r <= 4; ++r)
    {
        float width = 0;
        for (const auto& key : rows[r].keys)
            width += key.width + key.gapAfter;
        EXPECT_FLOAT_EQ(width, 23 * 54.f) << "row " << r;
    }
}

TEST(KeyboardLayout, NamedKeysSitInTheirCells)
{
    const auto cells = cellsByScancode();
    const auto& escape = cells.at(Scan::Escape);
    EXPECT_EQ(escape.x, 0.f);
    EXPECT_EQ(escape.y, 0.f);
    EXPECT_EQ(cells.at(Scan::F1).x, 108.f);
    EXPECT_EQ(cells.at(Scan::Insert).x, 837.f);
    EXPECT_EQ(cells.at(Scan::Insert).y, 81.f);
    EXPECT_EQ(cells.at(Scan::NumLock).x, 19 * 54.f);
    EXPECT_EQ(cells.at(Scan::NumLock).y, 81.f);
    EXPECT_EQ(cells.at(Scan::Up).x, 891.f);
    EXPECT_EQ(cells.at(Scan::Up).y, 243.f);

    // The only cell two rows high reaches down to where the row below ends.
    const auto& enter = cells.at(Scan::NumpadEnter);
    EXPECT_EQ(enter.x, 22 * 54.f);
    EXPECT_EQ(enter.height, 108.f);
    const auto& decimal = cells.at(Scan::NumpadDecimal);
    EXPECT_EQ(decimal.x + decimal.width, enter.x);
    EXPECT_EQ(decimal.y, enter.y + 54.f);
}

TEST(KeyboardLayout, KeyRectanglesLieFourPixelsInsideTheirCells)
{
    const auto cells = cellsByScancode();
    const auto escape = keyboard::keyVertexPositions(cells.at(Scan::Escape), 0.f);
    // Two triangles: top-left, top-right, bottom-left; bottom-left, top-right, bottom-right.
    const std::array<mivra::Vector2f, 6> expected{{{4, 4}, {50, 4}, {4, 50}, {4, 50}, {50, 4}, {50, 50}}};
    EXPECT_EQ(escape, expected);

    const auto enter = keyboard::keyVertexPositions(cells.at(Scan::NumpadEnter), 0.f);
    EXPECT_EQ(enter[5].x - enter[0].x, 46.f);
    EXPECT_EQ(enter[5].y - enter[0].y, 100.f);

    const auto lowered = keyboard::keyVertexPositions(cells.at(Scan::Escape), 1.28f);
    for (std::size_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(lowered[i].x, escape[i].x);
        EXPECT_FLOAT_EQ(lowered[i].y, escape[i].y + 1.28f);
    }
}

TEST(KeyAnimation, PressAndReleaseRunBackToRestWithoutOvershoot)
{
    std::array<float, 4> values{1.f, -1.f, 0.f, 0.1f};
    keyboard::advanceAnimation(values, mivra::milliseconds(40));
    EXPECT_FLOAT_EQ(values[0], 0.8f);
    EXPECT_FLOAT_EQ(values[1], -0.8f);
    EXPECT_EQ(values[2], 0.f);
    EXPECT_EQ(values[3], 0.f); // a small value stops at zero, not past it
    EXPECT_FLOAT_EQ(keyboard::animationOffset(values[0]), 1.28f);
    EXPECT_FLOAT_EQ(keyboard::animationOffset(values[1]), -1.28f);

    std::array<float, 3> long_frame{1.f, -0.3f, 0.6f};
    keyboard::advanceAnimation(long_frame, mivra::milliseconds(200));
    EXPECT_EQ(long_frame, (std::array<float, 3>{0.f, 0.f, 0.f}));

    std::array<float, 2> very_long{1.f, -1.f};
    keyboard::advanceAnimation(very_long, mivra::seconds(3.f));
    EXPECT_EQ(very_long, (std::array<float, 2>{0.f, 0.f}));
}

TEST(KeyAnimation, OffsetPeaksAtTwoPixelsHalfWay)
{
    EXPECT_EQ(keyboard::animationOffset(0.f), 0.f);
    EXPECT_EQ(keyboard::animationOffset(1.f), 0.f);
    EXPECT_EQ(keyboard::animationOffset(-1.f), 0.f);
    EXPECT_FLOAT_EQ(keyboard::animationOffset(0.5f), 2.f);
    EXPECT_FLOAT_EQ(keyboard::animationOffset(-0.5f), -2.f);
    for (float a = -1.f; a <= 1.f; a += 0.01f)
        EXPECT_LE(std::abs(keyboard::animationOffset(a)), 2.f + 1e-5f) << a;
}

TEST(OutlineFlash, AlphaEasesOutFrom127ToZero)
{
    EXPECT_EQ(keyboard::flashAlpha(mivra::microseconds(150'000)), 127);
    // q = 0.5: e = 0.75, alpha = 0.375 * 255 = 95.6
    EXPECT_EQ(keyboard::flashAlpha(mivra::microseconds(75'000)), 95);
    EXPECT_EQ(keyboard::flashAlpha(mivra::microseconds(1)), 0);
    EXPECT_EQ(keyboard::flashAlpha(mivra::Time::Zero), 0);
    EXPECT_EQ(keyboard::flashAlpha(mivra::microseconds(-30'000)), 0); // time left may end below zero

    int previous = 127;
    for (int us = 150'000; us >= 0; us -= 5'000)
    {
        const int alpha = keyboard::flashAlpha(mivra::microseconds(us));
        EXPECT_LE(alpha, previous) << us;
        previous = alpha;
    }
}
} // namespace
