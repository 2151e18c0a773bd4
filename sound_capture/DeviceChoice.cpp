#include "DeviceChoice.hpp"

#include <istream>
#include <ostream>

namespace sound_capture
{
std::optional<std::size_t> chooseDevice(std::istream& in, std::ostream& out, std::size_t deviceCount)
{
    if (deviceCount == 0)
        return std::nullopt;
    if (deviceCount == 1)
        return 0;
    out << "Please choose the capture device to use [0-" << deviceCount - 1 << "]: ";
    while (true)
    {
        std::size_t answer = deviceCount;
        in >> answer;
        if (in.eof() && in.fail())
            return std::nullopt;
        if (in.fail())
        {
            // Not a number: read again, like a number out of range.
            in.clear();
            answer = deviceCount;
        }
        in.ignore(10000, '\n');
        if (answer < deviceCount)
            return answer;
        if (in.eof())
            return std::nullopt;
    }
}
} // namespace sound_capture
