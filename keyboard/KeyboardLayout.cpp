#include "KeyboardLayout.hpp"

#include <algorithm>
#include <cmath>

namespace keyboard
{
namespace
{
using S = mivra::Keyboard::Scan;

// A plain key, and the same with a width, height or gap of its own.
KeyEntry key(S scancode)
{
    return {scancode};
}
KeyEntry wide(S scancode, float width, float gapAfter = 0.f)
{
    return {scancode, width, keyUnit, gapAfter};
}
KeyEntry gap(S scancode, float gapAfter)
{
    return {scancode, keyUnit, keyUnit, gapAfter};
}
} // namespace

std::array<KeyRow, rowCount> makeKeyRows()
{
    return {{
        {{gap(S::Escape, 54.f), key(S::F1), key(S::F2), key(S::F3), gap(S::F4, 27.f), key(S::F5), key(S::F6),
          key(S::F7), gap(S::F8, 27.f), key(S::F9), key(S::F10), key(S::F11), gap(S::F12, 27.f), key(S::PrintScreen),
          key(S::ScrollLock), key(S::Pause)},
         27.f},
        {{key(S::Grave),        key(S::Num1),
          key(S::Num2),         key(S::Num3),
          key(S::Num4),         key(S::Num5),
          key(S::Num6),         key(S::Num7),
          key(S::Num8),         key(S::Num9),
          key(S::Num0),         key(S::Hyphen),
          key(S::Equal),        wide(S::Backspace, 108.f, 27.f),
          key(S::Insert),       key(S::Home),
          gap(S::PageUp, 27.f), key(S::NumLock),
          key(S::NumpadDivide), key(S::NumpadMultiply),
          key(S::NumpadMinus)},
         0.f},
        {{wide(S::Tab, 81.f),
          key(S::Q),
          key(S::W),
          key(S::E),
          key(S::R),
          key(S::T),
          key(S::Y),
          key(S::U),
          key(S::I),
          key(S::O),
          key(S::P),
          key(S::LBracket),
          key(S::RBracket),
          wide(S::Backslash, 81.f, 27.f),
          key(S::Delete),
          key(S::End),
          gap(S::PageDown, 27.f),
          key(S::Numpad7),
          key(S::Numpad8),
          key(S::Numpad9),
          key(S::NumpadPlus)},
         0.f},
        {{wide(S::CapsLock, 94.5f), key(S::A), key(S::S), key(S::D), key(S::F), key(S::G), key(S::H), key(S::J),
          key(S::K), key(S::L), key(S::Semicolon), key(S::Apostrophe), wide(S::Enter, 121.5f, 216.f), key(S::Numpad4),
          key(S::Numpad5), key(S::Numpad6), key(S::NumpadEqual)},
         0.f},
        {{wide(S::LShift, 67.5f), key(S::NonUsBackslash), key(S::Z), key(S::X), key(S::C), key(S::V), key(S::B),
          key(S::N), key(S::M), key(S::Comma), key(S::Period), key(S::Slash), wide(S::RShift, 148.5f, 81.f),
          gap(S::Up, 81.f), key(S::Numpad1), key(S::Numpad2), key(S::Numpad3),
          KeyEntry{S::NumpadEnter, keyUnit, 2.f * keyUnit, 0.f}},
         0.f},
        {{wide(S::LControl, 81.f), wide(S::LSystem, 67.5f), wide(S::LAlt, 81.f), wide(S::Space, 310.5f),
          wide(S::RAlt, 67.5f), wide(S::RSystem, 67.5f), wide(S::Menu, 67.5f), wide(S::RControl, 67.5f, 27.f),
          key(S::Left), key(S::Down), gap(S::Right, 27.f), wide(S::Numpad0, 108.f), key(S::NumpadDecimal)},
         27.f},
        {{key(S::F13), key(S::F14), key(S::F15), key(S::F16), key(S::F17), key(S::F18), key(S::F19), key(S::F20),
          key(S::F21), key(S::F22), key(S::F23), key(S::F24)},
         0.f},
        {{key(S::Application), key(S::Execute), key(S::ModeChange), key(S::Help), key(S::Select), key(S::Redo),
          key(S::Undo), key(S::Cut), key(S::Copy), key(S::Paste), key(S::VolumeMute), key(S::VolumeUp),
          key(S::VolumeDown), key(S::MediaPlayPause), key(S::MediaStop), key(S::MediaNextTrack),
          key(S::MediaPreviousTrack)},
         0.f},
        {{key(S::Back), key(S::Forward), key(S::Refresh), key(S::Stop), key(S::Search), key(S::Favorites),
          key(S::HomePage), key(S::LaunchApplication1), key(S::LaunchApplication2), key(S::LaunchMail),
          key(S::LaunchMediaSelect)},
         0.f},
    }};
}

std::array<mivra::Vector2f, verticesPerKey> keyVertexPositions(const KeyCell& cell, float offset)
{
    const float left = cell.x + 4.f;
    const float right = cell.x + 4.f + (cell.width - 8.f);
    const float top = cell.y + 4.f + offset;
    const float bottom = cell.y + 4.f + (cell.height - 8.f) + offset;
    // Top-left, top-right, bottom-left; bottom-left, top-right, bottom-right.
    return {{{left, top}, {right, top}, {left, bottom}, {left, bottom}, {right, top}, {right, bottom}}};
}

void advanceAnimation(std::span<float> values, mivra::Time elapsed)
{
    const float step = std::max(0.f, static_cast<float>(elapsed.asMicroseconds()) / 1'000'000.f / 0.2f);
    for (float& a : values)
    {
        const float change = std::min(step, std::abs(a));
        a += a > 0.f ? -change : change;
    }
}

float animationOffset(float a)
{
    return (1.f - std::abs(a)) * (2.f * a) * 4.f;
}

std::uint8_t flashAlpha(mivra::Time flashTime)
{
    const float q = static_cast<float>(flashTime.asMicroseconds()) / 1'000'000.f / 0.15f;
    const float e = q * (2.f - q);
    const float fraction = e > 0.f ? e * 0.5f : 0.f;
    return static_cast<std::uint8_t>(fraction * 255.f);
}
} // namespace keyboard
