#pragma once

// The one list of the keyboard's numberings. Keyboard::Key and Keyboard::Scan, their counts and
// the tables between them and SDL's (src/Window/detail/SdlKeyboardMap.cpp) all follow from it: a
// new key is one line here, at the end of its list, since programs keep the values they know.
//
// MIVRA_KEYBOARD_KEYS(ENTRY) calls ENTRY(name, sdl) for every key code in the order of their values, where
// `sdl` is SDL's key code name without its SDLK_ prefix.
// MIVRA_KEYBOARD_SCANS(ENTRY) calls ENTRY(name, sdl, description) for every scancode in the order of their
// values, where `sdl` is SDL's scancode name without its SDL_SCANCODE_ prefix and `description`
// the layout-independent English name of the key position (Keyboard::getDescription() gives the
// layout's own for keys that type a character).
//
// Nothing here names an SDL type: the second column is only ever pasted onto its prefix in the
// library's sources, which include SDL.

// What Keyboard.hpp makes of an entry: its enumerator, and one more in the count.
#define MIVRA_KEYBOARD_ENUMERATOR(name, ...) name,
#define MIVRA_KEYBOARD_PLUS_ONE(...) +1

#define MIVRA_KEYBOARD_KEYS(ENTRY)                                                                                     \
    ENTRY(A, a)                                                                                                        \
    ENTRY(B, b)                                                                                                        \
    ENTRY(C, c)                                                                                                        \
    ENTRY(D, d)                                                                                                        \
    ENTRY(E, e)                                                                                                        \
    ENTRY(F, f)                                                                                                        \
    ENTRY(G, g)                                                                                                        \
    ENTRY(H, h)                                                                                                        \
    ENTRY(I, i)                                                                                                        \
    ENTRY(J, j)                                                                                                        \
    ENTRY(K, k)                                                                                                        \
    ENTRY(L, l)                                                                                                        \
    ENTRY(M, m)                                                                                                        \
    ENTRY(N, n)                                                                                                        \
    ENTRY(O, o)                                                                                                        \
    ENTRY(P, p)                                                                                                        \
    ENTRY(Q, q)                                                                                                        \
    ENTRY(R, r)                                                                                                        \
    ENTRY(S, s)                                                                                                        \
    ENTRY(T, t)                                                                                                        \
    ENTRY(U, u)                                                                                                        \
    ENTRY(V, v)                                                                                                        \
    ENTRY(W, w)                                                                                                        \
    ENTRY(X, x)                                                                                                        \
    ENTRY(Y, y)                                                                                                        \
    ENTRY(Z, z)                                                                                                        \
    ENTRY(Num0, 0)                                                                                                     \
    ENTRY(Num1, 1)                                                                                                     \
    ENTRY(Num2, 2)                                                                                                     \
    ENTRY(Num3, 3)                                                                                                     \
    ENTRY(Num4, 4)                                                                                                     \
    ENTRY(Num5, 5)                                                                                                     \
    ENTRY(Num6, 6)                                                                                                     \
    ENTRY(Num7, 7)                                                                                                     \
    ENTRY(Num8, 8)                                                                                                     \
    ENTRY(Num9, 9)                                                                                                     \
    ENTRY(Escape, ESCAPE)                                                                                              \
    ENTRY(LControl, LCTRL)                                                                                             \
    ENTRY(LShift, LSHIFT)                                                                                              \
    ENTRY(LAlt, LALT)                                                                                                  \
    ENTRY(LSystem, LGUI)                                                                                               \
    ENTRY(RControl, RCTRL)                                                                                             \
    ENTRY(RShift, RSHIFT)                                                                                              \
    ENTRY(RAlt, RALT)                                                                                                  \
    ENTRY(RSystem, RGUI)                                                                                               \
    ENTRY(Menu, APPLICATION)                                                                                           \
    ENTRY(LBracket, LEFTBRACKET)                                                                                       \
    ENTRY(RBracket, RIGHTBRACKET)                                                                                      \
    ENTRY(Semicolon, SEMICOLON)                                                                                        \
    ENTRY(Comma, COMMA)                                                                                                \
    ENTRY(Period, PERIOD)                                                                                              \
    ENTRY(Apostrophe, QUOTE)                                                                                           \
    ENTRY(Slash, SLASH)                                                                                                \
    ENTRY(Backslash, BACKSLASH)                                                                                        \
    ENTRY(Grave, BACKQUOTE)                                                                                            \
    ENTRY(Equal, EQUALS)                                                                                               \
    ENTRY(Hyphen, MINUS)                                                                                               \
    ENTRY(Space, SPACE)                                                                                                \
    ENTRY(Enter, RETURN)                                                                                               \
    ENTRY(Backspace, BACKSPACE)                                                                                        \
    ENTRY(Tab, TAB)                                                                                                    \
    ENTRY(PageUp, PAGEUP)                                                                                              \
    ENTRY(PageDown, PAGEDOWN)                                                                                          \
    ENTRY(End, END)                                                                                                    \
    ENTRY(Home, HOME)                                                                                                  \
    ENTRY(Insert, INSERT)                                                                                              \
    ENTRY(Delete, DELETE)                                                                                              \
    ENTRY(Add, KP_PLUS)                                                                                                \
    ENTRY(Subtract, KP_MINUS)                                                                                          \
    ENTRY(Multiply, KP_MULTIPLY)                                                                                       \
    ENTRY(Divide, KP_DIVIDE)                                                                                           \
    ENTRY(Left, LEFT)                                                                                                  \
    ENTRY(Right, RIGHT)                                                                                                \
    ENTRY(Up, UP)                                                                                                      \
    ENTRY(Down, DOWN)                                                                                                  \
    ENTRY(Numpad0, KP_0)                                                                                               \
    ENTRY(Numpad1, KP_1)                                                                                               \
    ENTRY(Numpad2, KP_2)                                                                                               \
    ENTRY(Numpad3, KP_3)                                                                                               \
    ENTRY(Numpad4, KP_4)                                                                                               \
    ENTRY(Numpad5, KP_5)                                                                                               \
    ENTRY(Numpad6, KP_6)                                                                                               \
    ENTRY(Numpad7, KP_7)                                                                                               \
    ENTRY(Numpad8, KP_8)                                                                                               \
    ENTRY(Numpad9, KP_9)                                                                                               \
    ENTRY(F1, F1)                                                                                                      \
    ENTRY(F2, F2)                                                                                                      \
    ENTRY(F3, F3)                                                                                                      \
    ENTRY(F4, F4)                                                                                                      \
    ENTRY(F5, F5)                                                                                                      \
    ENTRY(F6, F6)                                                                                                      \
    ENTRY(F7, F7)                                                                                                      \
    ENTRY(F8, F8)                                                                                                      \
    ENTRY(F9, F9)                                                                                                      \
    ENTRY(F10, F10)                                                                                                    \
    ENTRY(F11, F11)                                                                                                    \
    ENTRY(F12, F12)                                                                                                    \
    ENTRY(F13, F13)                                                                                                    \
    ENTRY(F14, F14)                                                                                                    \
    ENTRY(F15, F15)                                                                                                    \
    ENTRY(Pause, PAUSE)

#define MIVRA_KEYBOARD_SCANS(ENTRY)                                                                                    \
    ENTRY(A, A, "A")                                                                                                   \
    ENTRY(B, B, "B")                                                                                                   \
    ENTRY(C, C, "C")                                                                                                   \
    ENTRY(D, D, "D")                                                                                                   \
    ENTRY(E, E, "E")                                                                                                   \
    ENTRY(F, F, "F")                                                                                                   \
    ENTRY(G, G, "G")                                                                                                   \
    ENTRY(H, H, "H")                                                                                                   \
    ENTRY(I, I, "I")                                                                                                   \
    ENTRY(J, J, "J")                                                                                                   \
    ENTRY(K, K, "K")                                                                                                   \
    ENTRY(L, L, "L")                                                                                                   \
    ENTRY(M, M, "M")                                                                                                   \
    ENTRY(N, N, "N")                                                                                                   \
    ENTRY(O, O, "O")                                                                                                   \
    ENTRY(P, P, "P")                                                                                                   \
    ENTRY(Q, Q, "Q")                                                                                                   \
    ENTRY(R, R, "R")                                                                                                   \
    ENTRY(S, S, "S")                                                                                                   \
    ENTRY(T, T, "T")                                                                                                   \
    ENTRY(U, U, "U")                                                                                                   \
    ENTRY(V, V, "V")                                                                                                   \
    ENTRY(W, W, "W")                                                                                                   \
    ENTRY(X, X, "X")                                                                                                   \
    ENTRY(Y, Y, "Y")                                                                                                   \
    ENTRY(Z, Z, "Z")                                                                                                   \
    ENTRY(Num1, 1, "1")                                                                                                \
    ENTRY(Num2, 2, "2")                                                                                                \
    ENTRY(Num3, 3, "3")                                                                                                \
    ENTRY(Num4, 4, "4")                                                                                                \
    ENTRY(Num5, 5, "5")                                                                                                \
    ENTRY(Num6, 6, "6")                                                                                                \
    ENTRY(Num7, 7, "7")                                                                                                \
    ENTRY(Num8, 8, "8")                                                                                                \
    ENTRY(Num9, 9, "9")                                                                                                \
    ENTRY(Num0, 0, "0")                                                                                                \
    ENTRY(Enter, RETURN, "Enter")                                                                                      \
    ENTRY(Escape, ESCAPE, "Escape")                                                                                    \
    ENTRY(Backspace, BACKSPACE, "Backspace")                                                                           \
    ENTRY(Tab, TAB, "Tab")                                                                                             \
    ENTRY(Space, SPACE, "Space")                                                                                       \
    ENTRY(Hyphen, MINUS, "-")                                                                                          \
    ENTRY(Equal, EQUALS, "=")                                                                                          \
    ENTRY(LBracket, LEFTBRACKET, "[")                                                                                  \
    ENTRY(RBracket, RIGHTBRACKET, "]")                                                                                 \
    ENTRY(Backslash, BACKSLASH, "\\")                                                                                  \
    ENTRY(Semicolon, SEMICOLON, ";")                                                                                   \
    ENTRY(Apostrophe, APOSTROPHE, "'")                                                                                 \
    ENTRY(Grave, GRAVE, "`")                                                                                           \
    ENTRY(Comma, COMMA, ",")                                                                                           \
    ENTRY(Period, PERIOD, ".")                                                                                         \
    ENTRY(Slash, SLASH, "/")                                                                                           \
    ENTRY(F1, F1, "F1")                                                                                                \
    ENTRY(F2, F2, "F2")                                                                                                \
    ENTRY(F3, F3, "F3")                                                                                                \
    ENTRY(F4, F4, "F4")                                                                                                \
    ENTRY(F5, F5, "F5")                                                                                                \
    ENTRY(F6, F6, "F6")                                                                                                \
    ENTRY(F7, F7, "F7")                                                                                                \
    ENTRY(F8, F8, "F8")                                                                                                \
    ENTRY(F9, F9, "F9")                                                                                                \
    ENTRY(F10, F10, "F10")                                                                                             \
    ENTRY(F11, F11, "F11")                                                                                             \
    ENTRY(F12, F12, "F12")                                                                                             \
    ENTRY(F13, F13, "F13")                                                                                             \
    ENTRY(F14, F14, "F14")                                                                                             \
    ENTRY(F15, F15, "F15")                                                                                             \
    ENTRY(F16, F16, "F16")                                                                                             \
    ENTRY(F17, F17, "F17")                                                                                             \
    ENTRY(F18, F18, "F18")                                                                                             \
    ENTRY(F19, F19, "F19")                                                                                             \
    ENTRY(F20, F20, "F20")                                                                                             \
    ENTRY(F21, F21, "F21")                                                                                             \
    ENTRY(F22, F22, "F22")                                                                                             \
    ENTRY(F23, F23, "F23")                                                                                             \
    ENTRY(F24, F24, "F24")                                                                                             \
    ENTRY(CapsLock, CAPSLOCK, "Caps Lock")                                                                             \
    ENTRY(PrintScreen, PRINTSCREEN, "Print Screen")                                                                    \
    ENTRY(ScrollLock, SCROLLLOCK, "Scroll Lock")                                                                       \
    ENTRY(Pause, PAUSE, "Pause")                                                                                       \
    ENTRY(Insert, INSERT, "Insert")                                                                                    \
    ENTRY(Home, HOME, "Home")                                                                                          \
    ENTRY(PageUp, PAGEUP, "Page Up")                                                                                   \
    ENTRY(Delete, DELETE, "Delete")                                                                                    \
    ENTRY(End, END, "End")                                                                                             \
    ENTRY(PageDown, PAGEDOWN, "Page Down")                                                                             \
    ENTRY(Right, RIGHT, "Right")                                                                                       \
    ENTRY(Left, LEFT, "Left")                                                                                          \
    ENTRY(Down, DOWN, "Down")                                                                                          \
    ENTRY(Up, UP, "Up")                                                                                                \
    ENTRY(NumLock, NUMLOCKCLEAR, "Num Lock")                                                                           \
    ENTRY(NumpadDivide, KP_DIVIDE, "Numpad /")                                                                         \
    ENTRY(NumpadMultiply, KP_MULTIPLY, "Numpad *")                                                                     \
    ENTRY(NumpadMinus, KP_MINUS, "Numpad -")                                                                           \
    ENTRY(NumpadPlus, KP_PLUS, "Numpad +")                                                                             \
    ENTRY(NumpadEqual, KP_EQUALS, "Numpad =")                                                                          \
    ENTRY(NumpadEnter, KP_ENTER, "Numpad Enter")                                                                       \
    ENTRY(NumpadDecimal, KP_PERIOD, "Numpad .")                                                                        \
    ENTRY(Numpad1, KP_1, "Numpad 1")                                                                                   \
    ENTRY(Numpad2, KP_2, "Numpad 2")                                                                                   \
    ENTRY(Numpad3, KP_3, "Numpad 3")                                                                                   \
    ENTRY(Numpad4, KP_4, "Numpad 4")                                                                                   \
    ENTRY(Numpad5, KP_5, "Numpad 5")                                                                                   \
    ENTRY(Numpad6, KP_6, "Numpad 6")                                                                                   \
    ENTRY(Numpad7, KP_7, "Numpad 7")                                                                                   \
    ENTRY(Numpad8, KP_8, "Numpad 8")                                                                                   \
    ENTRY(Numpad9, KP_9, "Numpad 9")                                                                                   \
    ENTRY(Numpad0, KP_0, "Numpad 0")                                                                                   \
    ENTRY(NonUsBackslash, NONUSBACKSLASH, "Non-US Backslash")                                                          \
    ENTRY(Application, APPLICATION, "Application")                                                                     \
    ENTRY(Execute, EXECUTE, "Execute")                                                                                 \
    ENTRY(ModeChange, MODE, "Mode Change")                                                                             \
    ENTRY(Help, HELP, "Help")                                                                                          \
    ENTRY(Menu, MENU, "Menu")                                                                                          \
    ENTRY(Select, SELECT, "Select")                                                                                    \
    ENTRY(Redo, AGAIN, "Redo")                                                                                         \
    ENTRY(Undo, UNDO, "Undo")                                                                                          \
    ENTRY(Cut, CUT, "Cut")                                                                                             \
    ENTRY(Copy, COPY, "Copy")                                                                                          \
    ENTRY(Paste, PASTE, "Paste")                                                                                       \
    ENTRY(VolumeMute, MUTE, "Volume Mute")                                                                             \
    ENTRY(VolumeUp, VOLUMEUP, "Volume Up")                                                                             \
    ENTRY(VolumeDown, VOLUMEDOWN, "Volume Down")                                                                       \
    ENTRY(MediaPlayPause, AUDIOPLAY, "Media Play/Pause")                                                               \
    ENTRY(MediaStop, AUDIOSTOP, "Media Stop")                                                                          \
    ENTRY(MediaNextTrack, AUDIONEXT, "Media Next Track")                                                               \
    ENTRY(MediaPreviousTrack, AUDIOPREV, "Media Previous Track")                                                       \
    ENTRY(LControl, LCTRL, "Left Control")                                                                             \
    ENTRY(LShift, LSHIFT, "Left Shift")                                                                                \
    ENTRY(LAlt, LALT, "Left Alt")                                                                                      \
    ENTRY(LSystem, LGUI, "Left System")                                                                                \
    ENTRY(RControl, RCTRL, "Right Control")                                                                            \
    ENTRY(RShift, RSHIFT, "Right Shift")                                                                               \
    ENTRY(RAlt, RALT, "Right Alt")                                                                                     \
    ENTRY(RSystem, RGUI, "Right System")                                                                               \
    ENTRY(Back, AC_BACK, "Back")                                                                                       \
    ENTRY(Forward, AC_FORWARD, "Forward")                                                                              \
    ENTRY(Refresh, AC_REFRESH, "Refresh")                                                                              \
    ENTRY(Stop, AC_STOP, "Stop")                                                                                       \
    ENTRY(Search, AC_SEARCH, "Search")                                                                                 \
    ENTRY(Favorites, AC_BOOKMARKS, "Favorites")                                                                        \
    ENTRY(HomePage, AC_HOME, "Home Page")                                                                              \
    ENTRY(LaunchApplication1, COMPUTER, "Launch Application 1")                                                        \
    ENTRY(LaunchApplication2, CALCULATOR, "Launch Application 2")                                                      \
    ENTRY(LaunchMail, MAIL, "Launch Mail")                                                                             \
    ENTRY(LaunchMediaSelect, MEDIASELECT, "Launch Media Select")
