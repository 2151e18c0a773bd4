#pragma once

#include <functional>
#include <string_view>

namespace mivra
{
// The library's one diagnostics sink. A run-time failure that the library reports (a file that
// cannot be read, a peer that went away, a device that cannot be opened) becomes one line of the
// form "mivra: <what failed>: <file or peer>: <why>", handed to the current handler without its
// end of line. By default the lines go to standard error.
using DiagnosticHandler = std::function<void(std::string_view line)>;

// Sends every later diagnostic to `handler` (an empty handler silences them) and returns the
// handler that was in place. The handler may be called from the library's audio and network
// threads, one line at a time.
DiagnosticHandler setDiagnosticHandler(DiagnosticHandler handler);

// Reports "mivra: <what>: <subject>: <why>"; an empty subject or reason is left out with its colon.
void reportDiagnostic(std::string_view what, std::string_view subject = {}, std::string_view why = {});
} // namespace mivra
