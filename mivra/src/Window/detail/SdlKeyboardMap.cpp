#include "SdlKeyboardMap.hpp"

#include "SdlKeyboardColumn.hpp"

#include <SDL.h>

#include <array>

namespace mivra::detail
{
namespace
{
using Scan = Keyboard::Scan;
using Key = Keyboard::Key;

// Whether a column has one entry per enumerator, each at its enumerator's place.
template <typename Column, typename Entry = typename Column::value_type>
constexpr bool inEnumeratorOrder(const Column& column, auto Entry::*enumerator, int count)
{
    if (static_cast<int>(column.size()) != count)
        return false;
    for (std::size_t i = 0; i < column.size(); ++i)
        if (static_cast<std::size_t>(column[i].*enumerator) != i)
            return false;
    return true;
}
static_assert(inEnumeratorOrder(sdlScanColumn, &SdlScanEntry::scan, Keyboard::ScanCount),
              "SdlKeyboardColumn.hpp: one scancode entry per Keyboard::Scan, in its order");
static_assert(inEnumeratorOrder(sdlKeyColumn, &SdlKeyEntry::key, Keyboard::KeyCount),
              "SdlKeyboardColumn.hpp: one key entry per Keyboard::Key, in its order");

// SDL scancode of every Scan, in Scan order.
constexpr std::array<SDL_Scancode, Keyboard::ScanCount> scanTable = [] {
    std::array<SDL_Scancode, Keyboard::ScanCount> t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = sdlScanColumn[i].sdl;
    return t;
}();

constexpr std::array<Scan, SDL_NUM_SCANCODES> sdlScanTable = [] {
    std::array<Scan, SDL_NUM_SCANCODES> t{};
    for (auto& s : t)
        s = Scan::Unknown;
    for (int i = 0; i < Keyboard::ScanCount; ++i)
        t[scanTable[static_cast<std::size_t>(i)]] = static_cast<Scan>(i);
    // Keys that sit where one of ours sits on other keyboards.
    t[SDL_SCANCODE_NONUSHASH] = Scan::Backslash;
    t[SDL_SCANCODE_AUDIOMUTE] = Scan::VolumeMute;
    return t;
}();

// SDL key code of every Key, in Key order.
constexpr std::array<SDL_Keycode, Keyboard::KeyCount> keyTable = [] {
    std::array<SDL_Keycode, Keyboard::KeyCount> t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = sdlKeyColumn[i].sdl;
    return t;
}();

constexpr std::array<const char*, Keyboard::ScanCount> nameTable = {
#define MIVRA_SCAN_DESCRIPTION(name, description) description,
    MIVRA_KEYBOARD_SCANS(MIVRA_SCAN_DESCRIPTION)
#undef MIVRA_SCAN_DESCRIPTION
};

bool inRange(int value, int count)
{
    return value >= 0 && value < count;
}
} // namespace

Keyboard::Scan scanFromSdl(int sdlScancode)
{
    return inRange(sdlScancode, SDL_NUM_SCANCODES) ? sdlScanTable[static_cast<std::size_t>(sdlScancode)]
                                                   : Scan::Unknown;
}

int sdlFromScan(Keyboard::Scan scan)
{
    const int i = static_cast<int>(scan);
    return inRange(i, Keyboard::ScanCount) ? scanTable[static_cast<std::size_t>(i)] : SDL_SCANCODE_UNKNOWN;
}

Keyboard::Key keyFromSdl(int sdlKeycode)
{
    switch (sdlKeycode)
    {
    // Keys with the meaning of one of ours.
    case SDLK_MENU: return Key::Menu;
    case SDLK_KP_ENTER:
    case SDLK_RETURN2: return Key::Enter;
    default: break;
    }
    for (int i = 0; i < Keyboard::KeyCount; ++i)
        if (keyTable[static_cast<std::size_t>(i)] == sdlKeycode)
            return static_cast<Key>(i);
    return Key::Unknown;
}

int sdlFromKey(Keyboard::Key key)
{
    const int i = static_cast<int>(key);
    return inRange(i, Keyboard::KeyCount) ? keyTable[static_cast<std::size_t>(i)] : SDLK_UNKNOWN;
}

const char* fixedScanName(Keyboard::Scan scan)
{
    const int i = static_cast<int>(scan);
    return inRange(i, Keyboard::ScanCount) ? nameTable[static_cast<std::size_t>(i)] : "";
}

bool isCharacterScan(Keyboard::Scan scan)
{
    const int i = static_cast<int>(scan);
    return (i >= static_cast<int>(Scan::A) && i <= static_cast<int>(Scan::Num0)) ||
           (i >= static_cast<int>(Scan::Hyphen) && i <= static_cast<int>(Scan::Slash)) || scan == Scan::NonUsBackslash;
}

String characterKeyName(int sdlKeycode)
{
    if (sdlKeycode <= 0x20 || sdlKeycode == 0x7F || (sdlKeycode & SDLK_SCANCODE_MASK) != 0 || sdlKeycode > 0x10FFFF)
        return {};
    auto c = static_cast<char32_t>(sdlKeycode);
    if (c >= U'a' && c <= U'z')
        c -= 0x20;
    else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) // Latin-1 lower case letters
        c -= 0x20;
    return String(c);
}
} // namespace mivra::detail
