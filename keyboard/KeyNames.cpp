#include "KeyNames.hpp"

#include <array>
#include <stdexcept>
#include <string_view>

namespace keyboard
{
namespace
{
// Indexed by the value plus one, so that Unknown (-1) comes first.
// The names stand in rows of related keys, in the order of the enumerations.
// clang-format off
constexpr std::array<std::string_view, mivra::Keyboard::KeyCount + 1> keyNames{
    "Unknown",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "Num0", "Num1", "Num2", "Num3", "Num4", "Num5", "Num6", "Num7", "Num8", "Num9",
    "Escape", "LControl", "LShift", "LAlt", "LSystem", "RControl", "RShift", "RAlt", "RSystem", "Menu",
    "LBracket", "RBracket", "Semicolon", "Comma", "Period", "Apostrophe", "Slash", "Backslash",
    "Grave", "Equal", "Hyphen", "Space", "Enter", "Backspace", "Tab",
    "PageUp", "PageDown", "End", "Home", "Insert", "Delete",
    "Add", "Subtract", "Multiply", "Divide", "Left", "Right", "Up", "Down",
    "Numpad0", "Numpad1", "Numpad2", "Numpad3", "Numpad4", "Numpad5", "Numpad6", "Numpad7", "Numpad8", "Numpad9",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "F13", "F14", "F15",
    "Pause",
};

constexpr std::array<std::string_view, mivra::Keyboard::ScanCount + 1> scancodeNames{
    "Unknown",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "Num1", "Num2", "Num3", "Num4", "Num5", "Num6", "Num7", "Num8", "Num9", "Num0",
    "Enter", "Escape", "Backspace", "Tab", "Space", "Hyphen", "Equal", "LBracket", "RBracket",
    "Backslash", "Semicolon", "Apostrophe", "Grave", "Comma", "Period", "Slash",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24",
    "CapsLock", "PrintScreen", "ScrollLock", "Pause", "Insert", "Home", "PageUp", "Delete", "End", "PageDown",
    "Right", "Left", "Down", "Up",
    "NumLock", "NumpadDivide", "NumpadMultiply", "NumpadMinus", "NumpadPlus", "NumpadEqual", "NumpadEnter",
    "NumpadDecimal",
    "Numpad1", "Numpad2", "Numpad3", "Numpad4", "Numpad5", "Numpad6", "Numpad7", "Numpad8", "Numpad9", "Numpad0",
    "NonUsBackslash", "Application", "Execute", "ModeChange", "Help", "Menu", "Select", "Redo", "Undo",
    "Cut", "Copy", "Paste", "VolumeMute", "VolumeUp", "VolumeDown",
    "MediaPlayPause", "MediaStop", "MediaNextTrack", "MediaPreviousTrack",
    "LControl", "LShift", "LAlt", "LSystem", "RControl", "RShift", "RAlt", "RSystem",
    "Back", "Forward", "Refresh", "Stop", "Search", "Favorites", "HomePage",
    "LaunchApplication1", "LaunchApplication2", "LaunchMail", "LaunchMediaSelect",
};
// clang-format on

// Every slot is filled: a missing name would show as an empty string.
static_assert(keyNames.back() == "Pause");
static_assert(scancodeNames.back() == "LaunchMediaSelect");
} // namespace

std::string keyName(mivra::Keyboard::Key code)
{
    const auto index = static_cast<long>(code) + 1;
    if (index < 0 || index >= static_cast<long>(keyNames.size()))
        throw std::runtime_error("invalid keyboard code");
    return "Key::" + std::string(keyNames[static_cast<std::size_t>(index)]);
}

std::string scancodeName(mivra::Keyboard::Scan scancode)
{
    const auto index = static_cast<long>(scancode) + 1;
    if (index < 0 || index >= static_cast<long>(scancodeNames.size()))
        throw std::runtime_error("invalid keyboard scancode");
    return "Scan::" + std::string(scancodeNames[static_cast<std::size_t>(index)]);
}
} // namespace keyboard
