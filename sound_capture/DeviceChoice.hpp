#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>

namespace sound_capture
{
// Asks for a capture device by position when there is more than one: the prompt once, then
// answers read (each with the rest of its line) until one is below deviceCount. With one device
// that device is taken without a question. Empty when the input ends first.
std::optional<std::size_t> chooseDevice(std::istream& in, std::ostream& out, std::size_t deviceCount);
} // namespace sound_capture
