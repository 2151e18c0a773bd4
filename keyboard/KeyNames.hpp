#pragma once

#include <mivra/System/String.hpp>
#include <mivra/Window/Keyboard.hpp>

#include <string>

namespace keyboard
{
// "Key::" or "Scan::" followed by the enumerator's name, as the library's interface spells it.
// A value outside the enumeration throws std::runtime_error.
[[nodiscard]] std::string keyName(mivra::Keyboard::Key code);
[[nodiscard]] std::string scancodeName(mivra::Keyboard::Scan scancode);

// Where the check below learns the current keyboard layout: the library's own by default; tests
// pass a layout of their own with the same three functions.
struct LibraryLayout
{
    [[nodiscard]] static mivra::String getDescription(mivra::Keyboard::Scan scancode)
    {
        return mivra::Keyboard::getDescription(scancode);
    }
    [[nodiscard]] static mivra::Keyboard::Key localize(mivra::Keyboard::Scan scancode)
    {
        return mivra::Keyboard::localize(scancode);
    }
    [[nodiscard]] static mivra::Keyboard::Scan delocalize(mivra::Keyboard::Key code)
    {
        return mivra::Keyboard::delocalize(code);
    }
};

// A key event is usual when its key code and scancode are both known, the scancode has a
// description, and the two map onto each other in both directions under the current layout.
// Works on both key event kinds (anything with `code` and `scancode`).
template <typename KeyEvent, typename Layout = LibraryLayout>
[[nodiscard]] bool isUnusualKeyEvent(const KeyEvent& event, const Layout& layout = Layout{})
{
    if (event.code == mivra::Keyboard::Key::Unknown || event.scancode == mivra::Keyboard::Scan::Unknown)
        return true;
    if (layout.getDescription(event.scancode) == mivra::String())
        return true;
    if (layout.localize(event.scancode) != event.code)
        return true;
    return layout.delocalize(event.code) != event.scancode;
}
} // namespace keyboard
