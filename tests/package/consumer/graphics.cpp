// Uses the graphics module: an image saved as PNG into the directory given and read back.
// Prints: graphics: 3x2 PNG read back, pixel (2, 1) = 10 20 30
#include <mivra/Graphics.hpp>

#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::filesystem::path file = std::filesystem::path(argv[1]) / "graphics.png";
    mivra::Image image;
    image.create({3, 2}, mivra::Color::Blue);
    image.setPixel({2, 1}, mivra::Color(10, 20, 30));
    mivra::Image loaded;
    if (!image.saveToFile(file) || !loaded.loadFromFile(file))
        return 1;
    const mivra::Color pixel = loaded.getPixel({2, 1});
    if (loaded.getSize() != mivra::Vector2u(3, 2) || pixel != mivra::Color(10, 20, 30) ||
        loaded.getPixel({0, 0}) != mivra::Color::Blue)
        return 1;
    std::cout << "graphics: 3x2 PNG read back, pixel (2, 1) = " << int(pixel.r) << ' ' << int(pixel.g) << ' '
              << int(pixel.b) << '\n';
    return 0;
}
