#include "System/detail/DiagnosticLine.hpp"

namespace mivra::detail
{
std::string diagnosticLine(std::string_view what, std::string_view subject, std::string_view why)
{
    std::string line = "mivra: ";
    line += what;
    for (const std::string_view part : {subject, why})
    {
        if (part.empty())
            continue;
        line += ": ";
        line += part;
    }
    return line;
}
} // namespace mivra::detail
