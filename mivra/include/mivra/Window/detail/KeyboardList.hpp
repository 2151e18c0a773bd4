#pragma once

// The one list of the keyboard's numberings. Keyboard::Key and Keyboard::Scan and their counts
// follow from it: a new key is one line here, at the end of its list, since programs keep the
// values they know.
//
// MIVRA_KEYBOARD_KEYS(ENTRY) calls ENTRY(name) for every key code in the order of their values.
// MIVRA_KEYBOARD_SCANS(ENTRY) calls ENTRY(name, description) for every scancode in the order of
// their values, where `description` is the layout-independent English name of the key position
// (Keyboard::getDescription() gives the layout's own for keys that type a character).
//
// What each name is on a platform is the platform's business, kept with its sources.

// What Keyboard.hpp makes of an entry: its enumerator, and one more in the count.
#define MIVRA_KEYBOARD_ENUMERATOR(name, ...) name,
#define MIVRA_KEYBOARD_PLUS_ONE(...) +1

#define MIVRA_KEYBOARD_KEYS(ENTRY)                                                                                     \
    ENTRY(A)                                                                                                           \
    ENTRY(B)                                                                                                           \
    ENTRY(C)                                                                                                           \
    ENTRY(D)                                                                                                           \
    ENTRY(E)                                                                                                           \
    ENTRY(F)                                                                                                           \
    ENTRY(G)                                                                                                           \
    ENTRY(H)                                                                                                           \
    ENTRY(I)                                                                                                           \
    ENTRY(J)                                                                                                           \
    ENTRY(K)                                                                                                           \
    ENTRY(L)                                                                                                           \
    ENTRY(M)                                                                                                           \
    ENTRY(N)                                                                                                           \
    ENTRY(O)                                                                                                           \
    ENTRY(P)                                                                                                           \
    ENTRY(Q)                                                                                                           \
    ENTRY(R)                                                                                                           \
    ENTRY(S)                                                                                                           \
    ENTRY(T)                                                                                                           \
    ENTRY(U)                                                                                                           \
    ENTRY(V)                                                                                                           \
    ENTRY(W)                                                                                                           \
    ENTRY(X)                                                                                                           \
    ENTRY(Y)                                                                                                           \
    ENTRY(Z)                                                                                                           \
    ENTRY(Num0)                                                                                                        \
    ENTRY(Num1)                                                                                                        \
    ENTRY(Num2)                                                                                                        \
    ENTRY(Num3)                                                                                                        \
    ENTRY(Num4)                                                                                                        \
    ENTRY(Num5)                                                                                                        \
    ENTRY(Num6)                                                                                                        \
    ENTRY(Num7)                                                                                                        \
    ENTRY(Num8)                                                                                                        \
    ENTRY(Num9)                                                                                                        \
    ENTRY(Escape)                                                                                                      \
    ENTRY(LControl)                                                                                                    \
    ENTRY(LShift)                                                                                                      \
    ENTRY(LAlt)                                                                                                        \
    ENTRY(LSystem)                                                                                                     \
    ENTRY(RControl)                                                                                                    \
    ENTRY(RShift)                                                                                                      \
    ENTRY(RAlt)                                                                                                        \
    ENTRY(RSystem)                                                                                                     \
    ENTRY(Menu)                                                                                                        \
    ENTRY(LBracket)                                                                                                    \
    ENTRY(RBracket)                                                                                                    \
    ENTRY(Semicolon)                                                                                                   \
    ENTRY(Comma)                                                                                                       \
    ENTRY(Period)                                                                                                      \
    ENTRY(Apostrophe)                                                                                                  \
    ENTRY(Slash)                                                                                                       \
    ENTRY(Backslash)                                                                                                   \
    ENTRY(Grave)                                                                                                       \
    ENTRY(Equal)                                                                                                       \
    ENTRY(Hyphen)                                                                                                      \
    ENTRY(Space)                                                                                                       \
    ENTRY(Enter)                                                                                                       \
    ENTRY(Backspace)                                                                                                   \
    ENTRY(Tab)                                                                                                         \
    ENTRY(PageUp)                                                                                                      \
    ENTRY(PageDown)                                                                                                    \
    ENTRY(End)                                                                                                         \
    ENTRY(Home)                                                                                                        \
    ENTRY(Insert)                                                                                                      \
    ENTRY(Delete)                                                                                                      \
    ENTRY(Add)                                                                                                         \
    ENTRY(Subtract)                                                                                                    \
    ENTRY(Multiply)                                                                                                    \
    ENTRY(Divide)                                                                                                      \
    ENTRY(Left)                                                                                                        \
    ENTRY(Right)                                                                                                       \
    ENTRY(Up)                                                                                                          \
    ENTRY(Down)                                                                                                        \
    ENTRY(Numpad0)                                                                                                     \
    ENTRY(Numpad1)                                                                                                     \
    ENTRY(Numpad2)                                                                                                     \
    ENTRY(Numpad3)                                                                                                     \
    ENTRY(Numpad4)                                                                                                     \
    ENTRY(Numpad5)                                                                                                     \
    ENTRY(Numpad6)                                                                                                     \
    ENTRY(Numpad7)                                                                                                     \
    ENTRY(Numpad8)                                                                                                     \
    ENTRY(Numpad9)                                                                                                     \
    ENTRY(F1)                                                                                                          \
    ENTRY(F2)                                                                                                          \
    ENTRY(F3)                                                                                                          \
    ENTRY(F4)                                                                                                          \
    ENTRY(F5)                                                                                                          \
    ENTRY(F6)                                                                                                          \
    ENTRY(F7)                                                                                                          \
    ENTRY(F8)                                                                                                          \
    ENTRY(F9)                                                                                                          \
    ENTRY(F10)                                                                                                         \
    ENTRY(F11)                                                                                                         \
    ENTRY(F12)                                                                                                         \
    ENTRY(F13)                                                                                                         \
    ENTRY(F14)                                                                                                         \
    ENTRY(F15)                                                                                                         \
    ENTRY(Pause)

#define MIVRA_KEYBOARD_SCANS(ENTRY)                                                                                    \
    ENTRY(A, "A")                                                                                                      \
    ENTRY(B, "B")                                                                                                      \
    ENTRY(C, "C")                                                                                                      \
    ENTRY(D, "D")                                                                                                      \
    ENTRY(E, "E")                                                                                                      \
    ENTRY(F, "F")                                                                                                      \
    ENTRY(G, "G")                                                                                                      \
    ENTRY(H, "H")                                                                                                      \
    ENTRY(I, "I")                                                                                                      \
    ENTRY(J, "J")                                                                                                      \
    ENTRY(K, "K")                                                                                                      \
    ENTRY(L, "L")                                                                                                      \
    ENTRY(M, "M")                                                                                                      \
    ENTRY(N, "N")                                                                                                      \
    ENTRY(O, "O")                                                                                                      \
    ENTRY(P, "P")                                                                                                      \
    ENTRY(Q, "Q")                                                                                                      \
    ENTRY(R, "R")                                                                                                      \
    ENTRY(S, "S")                                                                                                      \
    ENTRY(T, "T")                                                                                                      \
    ENTRY(U, "U")                                                                                                      \
    ENTRY(V, "V")                                                                                                      \
    ENTRY(W, "W")                                                                                                      \
    ENTRY(X, "X")                                                                                                      \
    ENTRY(Y, "Y")                                                                                                      \
    ENTRY(Z, "Z")                                                                                                      \
    ENTRY(Num1, "1")                                                                                                   \
    ENTRY(Num2, "2")                                                                                                   \
    ENTRY(Num3, "3")                                                                                                   \
    ENTRY(Num4, "4")                                                                                                   \
    ENTRY(Num5, "5")                                                                                                   \
    ENTRY(Num6, "6")                                                                                                   \
    ENTRY(Num7, "7")                                                                                                   \
    ENTRY(Num8, "8")                                                                                                   \
    ENTRY(Num9, "9")                                                                                                   \
    ENTRY(Num0, "0")                                                                                                   \
    ENTRY(Enter, "Enter")                                                                                              \
    ENTRY(Escape, "Escape")                                                                                            \
    ENTRY(Backspace, "Backspace")                                                                                      \
    ENTRY(Tab, "Tab")                                                                                                  \
    ENTRY(Space, "Space")                                                                                              \
    ENTRY(Hyphen, "-")                                                                                                 \
    ENTRY(Equal, "=")                                                                                                  \
    ENTRY(LBracket, "[")                                                                                               \
    ENTRY(RBracket, "]")                                                                                               \
    ENTRY(Backslash, "\\")                                                                                             \
    ENTRY(Semicolon, ";")                                                                                              \
    ENTRY(Apostrophe, "'")                                                                                             \
    ENTRY(Grave, "`")                                                                                                  \
    ENTRY(Comma, ",")                                                                                                  \
    ENTRY(Period, ".")                                                                                                 \
    ENTRY(Slash, "/")                                                                                                  \
    ENTRY(F1, "F1")                                                                                                    \
    ENTRY(F2, "F2")                                                                                                    \
    ENTRY(F3, "F3")                                                                                                    \
    ENTRY(F4, "F4")                                                                                                    \
    ENTRY(F5, "F5")                                                                                                    \
    ENTRY(F6, "F6")                                                                                                    \
    ENTRY(F7, "F7")                                                                                                    \
    ENTRY(F8, "F8")                                                                                                    \
    ENTRY(F9, "F9")                                                                                                    \
    ENTRY(F10, "F10")                                                                                                  \
    ENTRY(F11, "F11")                                                                                                  \
    ENTRY(F12, "F12")                                                                                                  \
    ENTRY(F13, "F13")                                                                                                  \
    ENTRY(F14, "F14")                                                                                                  \
    ENTRY(F15, "F15")                                                                                                  \
    ENTRY(F16, "F16")                                                                                                  \
    ENTRY(F17, "F17")                                                                                                  \
    ENTRY(F18, "F18")                                                                                                  \
    ENTRY(F19, "F19")                                                                                                  \
    ENTRY(F20, "F20")                                                                                                  \
    ENTRY(F21, "F21")                                                                                                  \
    ENTRY(F22, "F22")                                                                                                  \
    ENTRY(F23, "F23")                                                                                                  \
    ENTRY(F24, "F24")                                                                                                  \
    ENTRY(CapsLock, "Caps Lock")                                                                                       \
    ENTRY(PrintScreen, "Print Screen")                                                                                 \
    ENTRY(ScrollLock, "Scroll Lock")                                                                                   \
    ENTRY(Pause, "Pause")                                                                                              \
    ENTRY(Insert, "Insert")                                                                                            \
    ENTRY(Home, "Home")                                                                                                \
    ENTRY(PageUp, "Page Up")                                                                                           \
    ENTRY(Delete, "Delete")                                                                                            \
    ENTRY(End, "End")                                                                                                  \
    ENTRY(PageDown, "Page Down")                                                                                       \
    ENTRY(Right, "Right")                                                                                              \
    ENTRY(Left, "Left")                                                                                                \
    ENTRY(Down, "Down")                                                                                                \
    ENTRY(Up, "Up")                                                                                                    \
    ENTRY(NumLock, "Num Lock")                                                                                         \
    ENTRY(NumpadDivide, "Numpad /")                                                                                    \
    ENTRY(NumpadMultiply, "Numpad *")                                                                                  \
    ENTRY(NumpadMinus, "Numpad -")                                                                                     \
    ENTRY(NumpadPlus, "Numpad +")                                                                                      \
    ENTRY(NumpadEqual, "Numpad =")                                                                                     \
    ENTRY(NumpadEnter, "Numpad Enter")                                                                                 \
    ENTRY(NumpadDecimal, "Numpad .")                                                                                   \
    ENTRY(Numpad1, "Numpad 1")                                                                                         \
    ENTRY(Numpad2, "Numpad 2")                                                                                         \
    ENTRY(Numpad3, "Numpad 3")                                                                                         \
    ENTRY(Numpad4, "Numpad 4")                                                                                         \
    ENTRY(Numpad5, "Numpad 5")                                                                                         \
    ENTRY(Numpad6, "Numpad 6")                                                                                         \
    ENTRY(Numpad7, "Numpad 7")                                                                                         \
    ENTRY(Numpad8, "Numpad 8")                                                                                         \
    ENTRY(Numpad9, "Numpad 9")                                                                                         \
    ENTRY(Numpad0, "Numpad 0")                                                                                         \
    ENTRY(NonUsBackslash, "Non-US Backslash")                                                                          \
    ENTRY(Application, "Application")                                                                                  \
    ENTRY(Execute, "Execute")                                                                                          \
    ENTRY(ModeChange, "Mode Change")                                                                                   \
    ENTRY(Help, "Help")                                                                                                \
    ENTRY(Menu, "Menu")                                                                                                \
    ENTRY(Select, "Select")                                                                                            \
    ENTRY(Redo, "Redo")                                                                                                \
    ENTRY(Undo, "Undo")                                                                                                \
    ENTRY(Cut, "Cut")                                                                                                  \
    ENTRY(Copy, "Copy")                                                                                                \
    ENTRY(Paste, "Paste")                                                                                              \
    ENTRY(VolumeMute, "Volume Mute")                                                                                   \
    ENTRY(VolumeUp, "Volume Up")                                                                                       \
    ENTRY(VolumeDown, "Volume Down")                                                                                   \
    ENTRY(MediaPlayPause, "Media Play/Pause")                                                                          \
    ENTRY(MediaStop, "Media Stop")                                                                                     \
    ENTRY(MediaNextTrack, "Media Next Track")                                                                          \
    ENTRY(MediaPreviousTrack, "Media Previous Track")                                                                  \
    ENTRY(LControl, "Left Control")                                                                                    \
    ENTRY(LShift, "Left Shift")                                                                                        \
    ENTRY(LAlt, "Left Alt")                                                                                            \
    ENTRY(LSystem, "Left System")                                                                                      \
    ENTRY(RControl, "Right Control")                                                                                   \
    ENTRY(RShift, "Right Shift")                                                                                       \
    ENTRY(RAlt, "Right Alt")                                                                                           \
    ENTRY(RSystem, "Right System")                                                                                     \
    ENTRY(Back, "Back")                                                                                                \
    ENTRY(Forward, "Forward")                                                                                          \
    ENTRY(Refresh, "Refresh")                                                                                          \
    ENTRY(Stop, "Stop")                                                                                                \
    ENTRY(Search, "Search")                                                                                            \
    ENTRY(Favorites, "Favorites")                                                                                      \
    ENTRY(HomePage, "Home Page")                                                                                       \
    ENTRY(LaunchApplication1, "Launch Application 1")                                                                  \
    ENTRY(LaunchApplication2, "Launch Application 2")                                                                  \
    ENTRY(LaunchMail, "Launch Mail")                                                                                   \
    ENTRY(LaunchMediaSelect, "Launch Media Select")
