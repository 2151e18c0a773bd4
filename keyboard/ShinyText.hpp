#pragma once

#include "KeyboardLayout.hpp"

#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/Text.hpp>

namespace keyboard
{
// A text whose outline flashes in a colour and fades out over 0.15 seconds.
class ShinyText : public mivra::Text
{
public:
    ShinyText(const mivra::Font& font, const mivra::String& string, mivra::Vector2f position)
        : mivra::Text(font, string, 18)
    {
        // Lines 20 pixels apart whatever the font's own spacing.
        setLineSpacing(20.f / font.getLineSpacing(18));
        setOutlineThickness(2.f);
        setPosition(position);
    }

    void flash(mivra::Color color)
    {
        setOutlineColor(color);
        m_flashTime = mivra::microseconds(150'000);
    }

    void update(mivra::Time elapsed)
    {
        mivra::Color color = getOutlineColor();
        color.a = flashAlpha(m_flashTime);
        setOutlineColor(color);
        if (m_flashTime > mivra::Time::Zero)
            m_flashTime -= elapsed;
    }

    [[nodiscard]] mivra::Time getFlashTime() const { return m_flashTime; }

private:
    mivra::Time m_flashTime = mivra::Time::Zero;
};
} // namespace keyboard
