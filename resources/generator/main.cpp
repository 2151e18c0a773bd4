// Writes every registered image and sound into the directory given as the only argument.
#include "Registry.hpp"

#include <iostream>

namespace resgen
{
std::vector<Asset>& registry()
{
    static std::vector<Asset> assets;
    return assets;
}
} // namespace resgen

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: mivra-resgen <output directory>\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);
    int failures = 0;
    for (const auto& asset : resgen::registry())
    {
        if (!asset.write(directory / asset.name))
        {
            std::cerr << "mivra-resgen: could not write " << (directory / asset.name) << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
