#pragma once

#include "Effects.hpp"

#include <mivra/Graphics.hpp>
#include <mivra/Window/Keyboard.hpp>

#include <array>
#include <string>

namespace shader
{
// The gallery's screen: the current effect (or a fallback text where it is missing) under a
// caption bar that names it. Left and Right step through the effects in a ring.
class Gallery
{
public:
    static constexpr unsigned effectCount = 5;
    static constexpr mivra::Vector2u windowSize{800, 600};

    Gallery(const mivra::Font& font, const mivra::Texture& captionTexture,
            const std::array<Effect*, effectCount>& effects);

    // Left and Right change the effect; every key rewrites the label.
    void handleKey(mivra::Keyboard::Key key);
    // Animates and draws the current effect, then the caption bar and its texts.
    void drawFrame(mivra::RenderTarget& target, float time, float x, float y);

    [[nodiscard]] unsigned getEffectIndex() const { return effectIndex; }
    [[nodiscard]] const mivra::Text& getEffectLabel() const { return effectLabel; }
    [[nodiscard]] const mivra::Text& getHelpText() const { return helpText; }

private:
    const mivra::Font& font;
    std::array<Effect*, effectCount> effectList;
    std::array<std::string, effectCount> effectNames{"Pixelate", "Wave + Blur", "Storm + Blink", "Edge Post-effect",
                                                     "Geometry Shader Billboards"};
    mivra::Sprite captionBar;
    mivra::Text effectLabel;
    mivra::Text helpText;
    unsigned effectIndex = 0;
};
} // namespace shader
