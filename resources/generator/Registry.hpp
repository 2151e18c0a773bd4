#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace resgen
{
// One generated file: its name in the resource directory and the function that writes it.
struct Asset
{
    std::string name;
    std::function<bool(const std::filesystem::path&)> write;
};

std::vector<Asset>& registry();

// Registers an asset at static-initialisation time: `const resgen::Register r{"a.png", writeA};`
struct Register
{
    Register(std::string name, std::function<bool(const std::filesystem::path&)> write)
    {
        registry().push_back({std::move(name), std::move(write)});
    }
};
} // namespace resgen
