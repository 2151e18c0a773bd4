// Draws the island's settings panel text with the library, the way the program does (size 14,
// white, black outline 2, at (5, 5)), and writes a mask of the pixels the text decides on its own:
// opaque where the panel looks the same over any background, transparent elsewhere. The first
// line (the frame time) varies from frame to frame and is left out.
//
// Usage: island-panelshot [--scale=N] <font> (<out.png> <panel text>)...
// With --scale=N the panel is drawn as the island's window on an output at scale N draws it, in
// an image N times as wide and high.
#include <mivra/Graphics.hpp>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <iostream>
#include <string>

namespace
{
// A render texture standing for the window on a scaled output: logical size, physical pixels.
class ScaledTarget : public mivra::RenderTexture
{
public:
    explicit ScaledTarget(unsigned scale)
    {
        if (!resize(m_logical * scale))
            throw std::runtime_error("cannot create the render texture");
    }
    [[nodiscard]] mivra::Vector2u getSize() const override { return m_logical; }
    [[nodiscard]] mivra::Vector2u getPhysicalSize() const override { return RenderTexture::getSize(); }

private:
    mivra::Vector2u m_logical{800, 600};
};

unsigned scale = 1;

mivra::Image drawPanel(const mivra::Font& font, const std::string& string, mivra::Color background)
{
    ScaledTarget target(scale);
    target.clear(background);
    mivra::Text text(font, string, 14);
    text.setFillColor(mivra::Color::White);
    text.setOutlineColor(mivra::Color::Black);
    text.setOutlineThickness(2.0f);
    text.setPosition({5.0f, 5.0f});
    target.draw(text);
    target.display();
    return target.getTexture().copyToImage();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]).rfind("--scale=", 0) == 0)
    {
        scale = static_cast<unsigned>(std::max(1, std::atoi(argv[1] + 8)));
        --argc;
        ++argv;
    }
    if (argc < 4 || argc % 2 != 0)
    {
        std::cerr << "usage: island-panelshot font (out.png text)...\n";
        return 2;
    }
    try
    {
        const mivra::Font font(argv[1]);
        const mivra::Image firstLine = drawPanel(font, "Frame:  8888888ms", mivra::Color(255, 0, 255));

        // The frame line's box, outline included.
        unsigned right = 0, bottom = 0;
        const mivra::Vector2u size = firstLine.getSize();
        for (unsigned y = 0; y < size.y; ++y)
            for (unsigned x = 0; x < size.x; ++x)
                if (firstLine.getPixel({x, y}) != mivra::Color(255, 0, 255))
                {
                    right = std::max(right, x + 1);
                    bottom = std::max(bottom, y + 1);
                }

        for (int i = 2; i + 1 < argc; i += 2)
        {
            const mivra::Image overBlack = drawPanel(font, argv[i + 1], mivra::Color::Black);
            const mivra::Image overMagenta = drawPanel(font, argv[i + 1], mivra::Color(255, 0, 255));
            mivra::Image mask(size, mivra::Color(0, 0, 0, 0));
            for (unsigned y = 0; y < size.y; ++y)
                for (unsigned x = 0; x < size.x; ++x)
                {
                    const mivra::Color a = overBlack.getPixel({x, y});
                    if (a == overMagenta.getPixel({x, y}) && !(x < right && y < bottom))
                        mask.setPixel({x, y}, mivra::Color(a.r, a.g, a.b, 255));
                }
            if (!mask.saveToFile(argv[i]))
                return 1;
        }
        return 0;
    }
    catch (const std::exception& error)
    {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
