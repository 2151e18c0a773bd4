#pragma once

#include <mivra/Window/Keyboard.hpp>

namespace mivra::detail
{
// Between SDL's scancodes and key codes and ours. Values without a counterpart map to Unknown
// (ours) or 0 (SDL's "unknown").
Keyboard::Scan scanFromSdl(int sdlScancode);
int sdlFromScan(Keyboard::Scan scan);
Keyboard::Key keyFromSdl(int sdlKeycode);
int sdlFromKey(Keyboard::Key key);

// The fixed English name of a key position ("Enter", "Left Shift", "Numpad 1", "A"),
// independent of the layout; empty for Unknown.
const char* fixedScanName(Keyboard::Scan scan);
// Whether the key position types a character (letters, digits, punctuation), whose name then
// comes from the layout.
bool isCharacterScan(Keyboard::Scan scan);
// The name of a key that types `keycode` under the layout: the character, upper-cased; or
// nothing when the key types no printable character.
String characterKeyName(int sdlKeycode);
} // namespace mivra::detail
