// Renders texts with the library into a PNG, so end-to-end tests can compare a program's window
// with the same texts drawn by the same code, pixel for pixel.
//
// Usage: mivra-textshot [--scale=N] <out.png> <width> <height> <r,g,b background>
//                       [<font> <size> <regular|bold> <r,g,b,a fill> <x> <y> <utf-8 text>]...
//
// With --scale=N the texts are drawn as a window on an output at scale N draws them: sizes and
// positions are logical, the picture is N times as wide and high.

#include <mivra/Graphics.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
std::vector<int> numbers(const std::string& text)
{
    std::vector<int> values;
    std::size_t start = 0;
    while (start <= text.size())
    {
        const std::size_t comma = text.find(',', start);
        values.push_back(std::atoi(text.substr(start, comma - start).c_str()));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return values;
}

// A render texture standing for a window on a scaled output: logical size, physical pixels.
class ScaledTarget : public mivra::RenderTexture
{
public:
    ScaledTarget(mivra::Vector2u logical, unsigned scale) : m_logical(logical)
    {
        if (!resize(logical * scale))
            throw std::runtime_error("cannot create the render texture");
    }
    [[nodiscard]] mivra::Vector2u getSize() const override { return m_logical; }
    [[nodiscard]] mivra::Vector2u getPhysicalSize() const override { return RenderTexture::getSize(); }

private:
    mivra::Vector2u m_logical;
};

mivra::Color color(const std::string& text)
{
    auto v = numbers(text);
    v.resize(4, 255);
    return mivra::Color(static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
                        static_cast<std::uint8_t>(v[2]), static_cast<std::uint8_t>(v[3]));
}
} // namespace

int main(int argc, char** argv)
{
    unsigned scale = 1;
    if (argc > 1 && std::string(argv[1]).rfind("--scale=", 0) == 0)
    {
        scale = static_cast<unsigned>(std::max(1, std::atoi(argv[1] + 8)));
        --argc;
        ++argv;
    }
    if (argc < 5 || (argc - 5) % 7 != 0)
    {
        std::cerr << "usage: mivra-textshot out.png width height r,g,b [font size style r,g,b,a x y text]...\n";
        return 2;
    }
    const unsigned width = static_cast<unsigned>(std::atoi(argv[2]));
    const unsigned height = static_cast<unsigned>(std::atoi(argv[3]));
    try
    {
        ScaledTarget target({width, height}, scale);
        target.clear(color(argv[4]));
        std::vector<mivra::Font> fonts;
        fonts.reserve(static_cast<std::size_t>(argc));
        for (int i = 5; i + 6 < argc; i += 7)
        {
            fonts.emplace_back(argv[i]);
            mivra::Text text(fonts.back(), mivra::String::fromUtf8(argv[i + 6]),
                             static_cast<unsigned>(std::atoi(argv[i + 1])));
            if (std::string(argv[i + 2]) == "bold")
                text.setStyle(mivra::Text::Bold);
            text.setFillColor(color(argv[i + 3]));
            text.setPosition({static_cast<float>(std::atof(argv[i + 4])), static_cast<float>(std::atof(argv[i + 5]))});
            target.draw(text);
        }
        target.display();
        if (!target.getTexture().copyToImage().saveToFile(argv[1]))
            return 1;
    }
    catch (const std::exception& error)
    {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
