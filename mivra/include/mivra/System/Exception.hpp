#pragma once

#include <stdexcept>
#include <string_view>

namespace mivra
{
/// @brief Thrown by the constructors that load or create a resource (font, image, texture, render
/// texture, sound buffer, music, shader) when they cannot.
///
/// Its what() is the line the matching non-throwing function (`openFromFile`, `loadFromFile`,
/// `resize`, ...) would report through the diagnostics sink in the same situation, for example
/// `mivra: cannot load the font: /tmp/x.ttf: no such file`: ready to print as one line. A throwing
/// constructor does not report its failure through the sink; the exception carries the line
/// instead (a service it relies on, such as the graphics context, still reports its own failure).
/// See @ref errors.
class Exception : public std::runtime_error
{
public:
    /// @brief Makes the line "mivra: <what>: <subject>: <why>", as mivra::reportDiagnostic words it
    /// (an empty subject or reason is left out with its colon).
    /// @param what The failure, for example "cannot load the font".
    /// @param subject The file or peer it concerns.
    /// @param why The reason.
    Exception(std::string_view what, std::string_view subject, std::string_view why);
};
} // namespace mivra
