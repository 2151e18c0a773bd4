#include "SdlEventTranslation.hpp"

#include "SdlKeyboardMap.hpp"
#include "TouchState.hpp"

#include <SDL.h>

#include <cmath>
#include <optional>

namespace mivra::detail
{
namespace
{
template <typename KeyEvent>
KeyEvent translateKey(const SDL_KeyboardEvent& key)
{
    KeyEvent out;
    out.code = keyFromSdl(key.keysym.sym);
    out.scancode = scanFromSdl(key.keysym.scancode);
    out.alt = (key.keysym.mod & KMOD_ALT) != 0;
    out.control = (key.keysym.mod & KMOD_CTRL) != 0;
    out.shift = (key.keysym.mod & KMOD_SHIFT) != 0;
    out.system = (key.keysym.mod & KMOD_GUI) != 0;
    return out;
}

std::optional<Mouse::Button> buttonFromSdl(Uint8 button)
{
    switch (button)
    {
    case SDL_BUTTON_LEFT: return Mouse::Button::Left;
    case SDL_BUTTON_RIGHT: return Mouse::Button::Right;
    case SDL_BUTTON_MIDDLE: return Mouse::Button::Middle;
    case SDL_BUTTON_X1: return Mouse::Button::Extra1;
    case SDL_BUTTON_X2: return Mouse::Button::Extra2;
    default: return std::nullopt;
    }
}

// Decodes one UTF-8 sequence at s; invalid bytes give U+FFFD and advance by one.
char32_t decodeUtf8(const unsigned char*& s)
{
    const unsigned char lead = *s++;
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80)
        return lead;
    if ((lead & 0xE0) == 0xC0)
    {
        extra = 1;
        c = lead & 0x1F;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        extra = 2;
        c = lead & 0x0F;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        extra = 3;
        c = lead & 0x07;
    }
    else
        return 0xFFFD;
    const unsigned char* p = s;
    for (int i = 0; i < extra; ++i, ++p)
    {
        if ((*p & 0xC0) != 0x80)
        {
            s = p; // truncated: one replacement, resuming at the byte that broke the sequence
            return 0xFFFD;
        }
        c = (c << 6) | (*p & 0x3F);
    }
    s = p;
    static constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0xFFFD;
    return c;
}

Vector2i touchPixel(const SDL_TouchFingerEvent& finger, Vector2u windowSize)
{
    return {static_cast<int>(std::lround(finger.x * static_cast<float>(windowSize.x))),
            static_cast<int>(std::lround(finger.y * static_cast<float>(windowSize.y)))};
}

void translateWindowEvent(const SDL_WindowEvent& window, std::vector<Event>& out)
{
    switch (window.event)
    {
    case SDL_WINDOWEVENT_CLOSE: out.emplace_back(Event::Closed{}); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out.emplace_back(
            Event::Resized{{static_cast<unsigned int>(window.data1), static_cast<unsigned int>(window.data2)}});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: out.emplace_back(Event::FocusGained{}); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: out.emplace_back(Event::FocusLost{}); break;
    case SDL_WINDOWEVENT_ENTER: out.emplace_back(Event::MouseEntered{}); break;
    case SDL_WINDOWEVENT_LEAVE: out.emplace_back(Event::MouseLeft{}); break;
    default: break;
    }
}
} // namespace

void translateSdlEvent(const SDL_Event& event, const TranslationContext& context, std::vector<Event>& out)
{
    switch (event.type)
    {
    case SDL_WINDOWEVENT: translateWindowEvent(event.window, out); break;
    case SDL_KEYDOWN: out.emplace_back(translateKey<Event::KeyPressed>(event.key)); break;
    case SDL_KEYUP: out.emplace_back(translateKey<Event::KeyReleased>(event.key)); break;
    case SDL_TEXTINPUT: {
        const auto* s = reinterpret_cast<const unsigned char*>(event.text.text);
        while (*s != 0)
            out.emplace_back(Event::TextEntered{decodeUtf8(s)});
        break;
    }
    case SDL_MOUSEMOTION:
        if (event.motion.which != SDL_TOUCH_MOUSEID)
            out.emplace_back(Event::MouseMoved{{event.motion.x, event.motion.y}});
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const auto button = buttonFromSdl(event.button.button);
        if (!button || event.button.which == SDL_TOUCH_MOUSEID)
            break;
        const Vector2i position{event.button.x, event.button.y};
        if (event.type == SDL_MOUSEBUTTONDOWN)
            out.emplace_back(Event::MouseButtonPressed{*button, position});
        else
            out.emplace_back(Event::MouseButtonReleased{*button, position});
        break;
    }
    case SDL_MOUSEWHEEL: {
        if (event.wheel.which == SDL_TOUCH_MOUSEID)
            break;
        const float flip = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.f : 1.f;
        const Vector2i position{event.wheel.mouseX, event.wheel.mouseY};
        if (event.wheel.preciseY != 0.f)
            out.emplace_back(Event::MouseWheelScrolled{Mouse::Wheel::Vertical, event.wheel.preciseY * flip, position});
        if (event.wheel.preciseX != 0.f)
            out.emplace_back(
                Event::MouseWheelScrolled{Mouse::Wheel::Horizontal, event.wheel.preciseX * flip, position});
        break;
    }
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
        if (!context.touches)
            break;
        const Vector2i position = touchPixel(event.tfinger, context.windowSize);
        const Vector2i desktop = position + context.windowPosition;
        const auto id = static_cast<std::int64_t>(event.tfinger.fingerId);
        if (event.type == SDL_FINGERDOWN)
        {
            if (const auto finger = context.touches->begin(id, desktop))
                out.emplace_back(Event::TouchBegan{*finger, position});
        }
        else if (event.type == SDL_FINGERMOTION)
        {
            if (const auto finger = context.touches->move(id, desktop))
                out.emplace_back(Event::TouchMoved{*finger, position});
        }
        else if (const auto finger = context.touches->end(id, desktop))
            out.emplace_back(Event::TouchEnded{*finger, position});
        break;
    }
    default: break;
    }
}
} // namespace mivra::detail
