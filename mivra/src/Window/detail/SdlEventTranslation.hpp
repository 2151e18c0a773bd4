#pragma once

#include <mivra/System/Vector2.hpp>
#include <mivra/Window/Event.hpp>

#include <vector>

union SDL_Event;

namespace mivra::detail
{
class TouchState;

// What translation needs to know of the window the event belongs to.
struct TranslationContext
{
    Vector2u windowSize;     // touch positions come normalised to it
    Vector2i windowPosition; // touch positions are also kept on the desktop
    TouchState* touches{};   // finger numbering; none drops touch events
};

// Appends the events an SDL event stands for (none, one, or more: a text of several
// characters, a diagonal wheel motion) to `out`.
void translateSdlEvent(const SDL_Event& event, const TranslationContext& context, std::vector<Event>& out);
} // namespace mivra::detail
