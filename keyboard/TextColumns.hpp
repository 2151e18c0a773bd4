#pragma once

#include <mivra/System/Vector2.hpp>

namespace keyboard
{
// The four text columns under the on-screen keyboard of the 1280 x 720 window: their headings and
// where they start. Shared with the layout test, which checks that the headings stay inside the
// window with the installed font.
inline constexpr mivra::Vector2u windowSize{1280, 720};
inline constexpr unsigned int columnCharacterSize = 18;

struct TextColumn
{
    const char* heading;
    mivra::Vector2f position;
};

inline constexpr TextColumn keyPressedColumn{"Key Pressed", {16.f, 575.f}};
inline constexpr TextColumn keyReleasedColumn{"Key Released", {300.f, 575.f}};
inline constexpr TextColumn textEnteredColumn{"Text Entered", {600.f, 575.f}};
inline constexpr TextColumn keysHeldColumn{"isKeyPressed(mivra::Keyboard::Key)", {900.f, 575.f}};
} // namespace keyboard
