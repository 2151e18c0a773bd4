#include <mivra/Window/Keyboard.hpp>

#include "detail/SdlKeyboardMap.hpp"
#include "detail/WindowBackend.hpp"

namespace mivra
{
bool Keyboard::isKeyPressed(Key key)
{
    return isKeyPressed(delocalize(key));
}

bool Keyboard::isKeyPressed(Scan code)
{
    return code != Scan::Unknown && detail::platform().isKeyPressed(code);
}

Keyboard::Key Keyboard::localize(Scan code)
{
    return code == Scan::Unknown ? Key::Unknown : detail::platform().localize(code);
}

Keyboard::Scan Keyboard::delocalize(Key key)
{
    return key == Key::Unknown ? Scan::Unknown : detail::platform().delocalize(key);
}

String Keyboard::getDescription(Scan code)
{
    if (code == Scan::Unknown)
        return {};
    if (detail::isCharacterScan(code))
    {
        String name = detail::platform().getCharacterKeyName(code);
        if (!name.isEmpty())
            return name;
    }
    return String(detail::fixedScanName(code));
}

void Keyboard::setVirtualKeyboardVisible(bool /*visible*/)
{
    // Desktops have no on-screen keyboard to show.
}
} // namespace mivra
