#pragma once

#include <mivra/System/String.hpp>
#include <mivra/Window/detail/KeyboardList.hpp>

#include <cstdint>

namespace mivra
{
class WindowBase;

/// The keyboard: key codes (keys by their meaning under the current layout), scancodes (physical
/// key positions), the live key state and the layout's names for keys.
class Keyboard
{
public:
    /// Keys by their meaning under the current layout; Unknown for keys without a code. The values,
    /// from A = 0 on, are listed in `mivra/Window/detail/KeyboardList.hpp`.
    enum class Key : std::int32_t
    {
        Unknown = -1,
        MIVRA_KEYBOARD_KEYS(MIVRA_KEYBOARD_ENUMERATOR)
    };
    /// The number of key codes, Unknown aside: one past the last value. @hideinitializer
    static constexpr int KeyCount = 0 MIVRA_KEYBOARD_KEYS(MIVRA_KEYBOARD_PLUS_ONE);

    /// Physical keys, by their position on a US keyboard; Unknown for keys without a scancode. The
    /// values, from A = 0 on, are listed in `mivra/Window/detail/KeyboardList.hpp`.
    enum class Scan : std::int32_t
    {
        Unknown = -1,
        MIVRA_KEYBOARD_SCANS(MIVRA_KEYBOARD_ENUMERATOR)
    };
    /// The number of scancodes, Unknown aside: one past the last value. @hideinitializer
    static constexpr int ScanCount = 0 MIVRA_KEYBOARD_SCANS(MIVRA_KEYBOARD_PLUS_ONE);

    /// The live state of a key, apart from events: whether it is down now.
    ///@{
    [[nodiscard]] static bool isKeyPressed(Key key);
    [[nodiscard]] static bool isKeyPressed(Scan code);
    ///@}

    /// The key code the current layout gives the physical key, and the physical key that types a key
    /// code; Unknown when there is none.
    ///@{
    [[nodiscard]] static Key localize(Scan code);
    [[nodiscard]] static Scan delocalize(Key key);
    ///@}

    /// A human-readable name of the physical key under the current layout ("Enter", "Left Shift", "Q").
    [[nodiscard]] static String getDescription(Scan code);

    /// Shows or hides the on-screen keyboard, where the platform has one.
    static void setVirtualKeyboardVisible(bool visible);
};
} // namespace mivra
