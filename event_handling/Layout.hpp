#pragma once

#include <mivra/System/Vector2.hpp>

#include <array>

namespace event_handling
{
// Where the demo's two fixed lines stand in its 800 x 600 window, and what they say. Shared with
// the layout test, which checks that they stay inside the window with the installed font.
inline constexpr mivra::Vector2u windowSize{800, 600};
inline constexpr unsigned int bannerCharacterSize = 24; // both lines, bold
inline constexpr mivra::Vector2f handlerPosition{380.f, 260.f};
inline constexpr mivra::Vector2f instructionsPosition{380.f, 310.f};
inline constexpr const char* instructionsLine = "Press Enter to change handler type";
// The handler line of each dispatch style, in the order of HandlerType.
inline constexpr std::array<const char*, 5> handlerLines{"Current Handler: Classic", "Current Handler: Visitor",
                                                         "Current Handler: Overload", "Current Handler: Generic",
                                                         "Current Handler: Forward"};
} // namespace event_handling
