#include "Gallery.hpp"

namespace shader
{
namespace
{
const mivra::Color captionInk(80, 80, 80, 255);
const mivra::Color galleryGrey(50, 50, 50, 255);
} // namespace

Gallery::Gallery(const mivra::Font& galleryFont, const mivra::Texture& captionTexture,
                 const std::array<Effect*, effectCount>& effects)
    : font(galleryFont), effectList(effects), captionBar(captionTexture),
      effectLabel(galleryFont, "Current effect: " + effectNames[0], 20),
      helpText(galleryFont, "Press left and right arrows to change the current shader", 20)
{
    captionBar.setPosition({0.0f, 520.0f});
    captionBar.setColor(mivra::Color(255, 255, 255, 200));
    effectLabel.setPosition({10.0f, 530.0f});
    effectLabel.setFillColor(captionInk);
    helpText.setPosition({280.0f, 555.0f});
    helpText.setFillColor(captionInk);
}

void Gallery::handleKey(mivra::Keyboard::Key key)
{
    if (key == mivra::Keyboard::Key::Left)
        effectIndex = effectIndex == 0 ? effectCount - 1 : effectIndex - 1;
    else if (key == mivra::Keyboard::Key::Right)
        effectIndex = effectIndex == effectCount - 1 ? 0 : effectIndex + 1;
    effectLabel.setString("Current effect: " + effectNames[effectIndex]);
}

void Gallery::drawFrame(mivra::RenderTarget& target, float time, float x, float y)
{
    if (Effect* effect = effectList[effectIndex])
    {
        effect->animate(time, x, y);
        // The edge effect works on a white scene; the window behind it is white too.
        target.clear(dynamic_cast<Edge*>(effect) ? mivra::Color::White : galleryGrey);
        target.draw(*effect);
    }
    else
    {
        target.clear(galleryGrey);
        mivra::Text fallback(font, "Shader not\nsupported", 36);
        fallback.setPosition({320.0f, 200.0f});
        target.draw(fallback);
    }
    target.draw(captionBar);
    target.draw(helpText);
    target.draw(effectLabel);
}
} // namespace shader
