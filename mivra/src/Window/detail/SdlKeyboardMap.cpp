#include "SdlKeyboardMap.hpp"

#include <SDL.h>

#include <array>

namespace mivra::detail
{
namespace
{
using Scan = Keyboard::Scan;
using Key = Keyboard::Key;

// SDL scancode of every Scan, in Scan order.
constexpr std::array<SDL_Scancode, Keyboard::ScanCount> scanTable = [] {
    std::array<SDL_Scancode, Keyboard::ScanCount> t{};
    int i = 0;
    for (int c = SDL_SCANCODE_A; c <= SDL_SCANCODE_Z; ++c)
        t[i++] = static_cast<SDL_Scancode>(c);
    for (int c = SDL_SCANCODE_1; c <= SDL_SCANCODE_0; ++c) // 1..9 then 0, as ours
        t[i++] = static_cast<SDL_Scancode>(c);
    for (SDL_Scancode c :
         {SDL_SCANCODE_RETURN, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_TAB, SDL_SCANCODE_SPACE,
          SDL_SCANCODE_MINUS, SDL_SCANCODE_EQUALS, SDL_SCANCODE_LEFTBRACKET, SDL_SCANCODE_RIGHTBRACKET,
          SDL_SCANCODE_BACKSLASH, SDL_SCANCODE_SEMICOLON, SDL_SCANCODE_APOSTROPHE, SDL_SCANCODE_GRAVE,
          SDL_SCANCODE_COMMA, SDL_SCANCODE_PERIOD, SDL_SCANCODE_SLASH})
        t[i++] = c;
    for (int c = SDL_SCANCODE_F1; c <= SDL_SCANCODE_F12; ++c)
        t[i++] = static_cast<SDL_Scancode>(c);
    for (int c = SDL_SCANCODE_F13; c <= SDL_SCANCODE_F24; ++c)
        t[i++] = static_cast<SDL_Scancode>(c);
    for (SDL_Scancode c :
         {SDL_SCANCODE_CAPSLOCK,    SDL_SCANCODE_PRINTSCREEN, SDL_SCANCODE_SCROLLLOCK,   SDL_SCANCODE_PAUSE,
          SDL_SCANCODE_INSERT,      SDL_SCANCODE_HOME,        SDL_SCANCODE_PAGEUP,       SDL_SCANCODE_DELETE,
          SDL_SCANCODE_END,         SDL_SCANCODE_PAGEDOWN,    SDL_SCANCODE_RIGHT,        SDL_SCANCODE_LEFT,
          SDL_SCANCODE_DOWN,        SDL_SCANCODE_UP,          SDL_SCANCODE_NUMLOCKCLEAR, SDL_SCANCODE_KP_DIVIDE,
          SDL_SCANCODE_KP_MULTIPLY, SDL_SCANCODE_KP_MINUS,    SDL_SCANCODE_KP_PLUS,      SDL_SCANCODE_KP_EQUALS,
          SDL_SCANCODE_KP_ENTER,    SDL_SCANCODE_KP_PERIOD})
        t[i++] = c;
    for (int c = SDL_SCANCODE_KP_1; c <= SDL_SCANCODE_KP_0; ++c) // 1..9 then 0, as ours
        t[i++] = static_cast<SDL_Scancode>(c);
    for (SDL_Scancode c :
         {SDL_SCANCODE_NONUSBACKSLASH, SDL_SCANCODE_APPLICATION, SDL_SCANCODE_EXECUTE,    SDL_SCANCODE_MODE,
          SDL_SCANCODE_HELP,           SDL_SCANCODE_MENU,        SDL_SCANCODE_SELECT,     SDL_SCANCODE_AGAIN,
          SDL_SCANCODE_UNDO,           SDL_SCANCODE_CUT,         SDL_SCANCODE_COPY,       SDL_SCANCODE_PASTE,
          SDL_SCANCODE_MUTE,           SDL_SCANCODE_VOLUMEUP,    SDL_SCANCODE_VOLUMEDOWN, SDL_SCANCODE_AUDIOPLAY,
          SDL_SCANCODE_AUDIOSTOP,      SDL_SCANCODE_AUDIONEXT,   SDL_SCANCODE_AUDIOPREV,  SDL_SCANCODE_LCTRL,
          SDL_SCANCODE_LSHIFT,         SDL_SCANCODE_LALT,        SDL_SCANCODE_LGUI,       SDL_SCANCODE_RCTRL,
          SDL_SCANCODE_RSHIFT,         SDL_SCANCODE_RALT,        SDL_SCANCODE_RGUI,       SDL_SCANCODE_AC_BACK,
          SDL_SCANCODE_AC_FORWARD,     SDL_SCANCODE_AC_REFRESH,  SDL_SCANCODE_AC_STOP,    SDL_SCANCODE_AC_SEARCH,
          SDL_SCANCODE_AC_BOOKMARKS,   SDL_SCANCODE_AC_HOME,     SDL_SCANCODE_COMPUTER,   SDL_SCANCODE_CALCULATOR,
          SDL_SCANCODE_MAIL,           SDL_SCANCODE_MEDIASELECT})
        t[i++] = c;
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
    int i = 0;
    for (SDL_Keycode c = SDLK_a; c <= SDLK_z; ++c)
        t[i++] = c;
    for (SDL_Keycode c = SDLK_0; c <= SDLK_9; ++c)
        t[i++] = c;
    for (SDL_Keycode c :
         {SDLK_ESCAPE,    SDLK_LCTRL,   SDLK_LSHIFT,   SDLK_LALT,        SDLK_LGUI,        SDLK_RCTRL,
          SDLK_RSHIFT,    SDLK_RALT,    SDLK_RGUI,     SDLK_APPLICATION, SDLK_LEFTBRACKET, SDLK_RIGHTBRACKET,
          SDLK_SEMICOLON, SDLK_COMMA,   SDLK_PERIOD,   SDLK_QUOTE,       SDLK_SLASH,       SDLK_BACKSLASH,
          SDLK_BACKQUOTE, SDLK_EQUALS,  SDLK_MINUS,    SDLK_SPACE,       SDLK_RETURN,      SDLK_BACKSPACE,
          SDLK_TAB,       SDLK_PAGEUP,  SDLK_PAGEDOWN, SDLK_END,         SDLK_HOME,        SDLK_INSERT,
          SDLK_DELETE,    SDLK_KP_PLUS, SDLK_KP_MINUS, SDLK_KP_MULTIPLY, SDLK_KP_DIVIDE,   SDLK_LEFT,
          SDLK_RIGHT,     SDLK_UP,      SDLK_DOWN,     SDLK_KP_0,        SDLK_KP_1,        SDLK_KP_2,
          SDLK_KP_3,      SDLK_KP_4,    SDLK_KP_5,     SDLK_KP_6,        SDLK_KP_7,        SDLK_KP_8,
          SDLK_KP_9,      SDLK_F1,      SDLK_F2,       SDLK_F3,          SDLK_F4,          SDLK_F5,
          SDLK_F6,        SDLK_F7,      SDLK_F8,       SDLK_F9,          SDLK_F10,         SDLK_F11,
          SDLK_F12,       SDLK_F13,     SDLK_F14,      SDLK_F15,         SDLK_PAUSE})
        t[i++] = c;
    return t;
}();

constexpr std::array<const char*, Keyboard::ScanCount> nameTable = {"A",
                                                                    "B",
                                                                    "C",
                                                                    "D",
                                                                    "E",
                                                                    "F",
                                                                    "G",
                                                                    "H",
                                                                    "I",
                                                                    "J",
                                                                    "K",
                                                                    "L",
                                                                    "M",
                                                                    "N",
                                                                    "O",
                                                                    "P",
                                                                    "Q",
                                                                    "R",
                                                                    "S",
                                                                    "T",
                                                                    "U",
                                                                    "V",
                                                                    "W",
                                                                    "X",
                                                                    "Y",
                                                                    "Z",
                                                                    "1",
                                                                    "2",
                                                                    "3",
                                                                    "4",
                                                                    "5",
                                                                    "6",
                                                                    "7",
                                                                    "8",
                                                                    "9",
                                                                    "0",
                                                                    "Enter",
                                                                    "Escape",
                                                                    "Backspace",
                                                                    "Tab",
                                                                    "Space",
                                                                    "-",
                                                                    "=",
                                                                    "[",
                                                                    "]",
                                                                    "\\",
                                                                    ";",
                                                                    "'",
                                                                    "`",
                                                                    ",",
                                                                    ".",
                                                                    "/",
                                                                    "F1",
                                                                    "F2",
                                                                    "F3",
                                                                    "F4",
                                                                    "F5",
                                                                    "F6",
                                                                    "F7",
                                                                    "F8",
                                                                    "F9",
                                                                    "F10",
                                                                    "F11",
                                                                    "F12",
                                                                    "F13",
                                                                    "F14",
                                                                    "F15",
                                                                    "F16",
                                                                    "F17",
                                                                    "F18",
                                                                    "F19",
                                                                    "F20",
                                                                    "F21",
                                                                    "F22",
                                                                    "F23",
                                                                    "F24",
                                                                    "Caps Lock",
                                                                    "Print Screen",
                                                                    "Scroll Lock",
                                                                    "Pause",
                                                                    "Insert",
                                                                    "Home",
                                                                    "Page Up",
                                                                    "Delete",
                                                                    "End",
                                                                    "Page Down",
                                                                    "Right",
                                                                    "Left",
                                                                    "Down",
                                                                    "Up",
                                                                    "Num Lock",
                                                                    "Numpad /",
                                                                    "Numpad *",
                                                                    "Numpad -",
                                                                    "Numpad +",
                                                                    "Numpad =",
                                                                    "Numpad Enter",
                                                                    "Numpad .",
                                                                    "Numpad 1",
                                                                    "Numpad 2",
                                                                    "Numpad 3",
                                                                    "Numpad 4",
                                                                    "Numpad 5",
                                                                    "Numpad 6",
                                                                    "Numpad 7",
                                                                    "Numpad 8",
                                                                    "Numpad 9",
                                                                    "Numpad 0",
                                                                    "Non-US Backslash",
                                                                    "Application",
                                                                    "Execute",
                                                                    "Mode Change",
                                                                    "Help",
                                                                    "Menu",
                                                                    "Select",
                                                                    "Redo",
                                                                    "Undo",
                                                                    "Cut",
                                                                    "Copy",
                                                                    "Paste",
                                                                    "Volume Mute",
                                                                    "Volume Up",
                                                                    "Volume Down",
                                                                    "Media Play/Pause",
                                                                    "Media Stop",
                                                                    "Media Next Track",
                                                                    "Media Previous Track",
                                                                    "Left Control",
                                                                    "Left Shift",
                                                                    "Left Alt",
                                                                    "Left System",
                                                                    "Right Control",
                                                                    "Right Shift",
                                                                    "Right Alt",
                                                                    "Right System",
                                                                    "Back",
                                                                    "Forward",
                                                                    "Refresh",
                                                                    "Stop",
                                                                    "Search",
                                                                    "Favorites",
                                                                    "Home Page",
                                                                    "Launch Application 1",
                                                                    "Launch Application 2",
                                                                    "Launch Mail",
                                                                    "Launch Media Select"};

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
