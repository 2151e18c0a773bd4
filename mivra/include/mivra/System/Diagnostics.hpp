#pragma once

#include <functional>
#include <string_view>

namespace mivra
{
/// Receives each diagnostic line, without its end of line.
///
/// The library's one error contract, which every header follows (see @ref errors):
/// - misuse of a function (an argument against its contract) asserts, naming the function;
/// - a run-time failure (a file that cannot be read, a peer that went away, a device that cannot
///   be opened) returns false, an empty optional or a status, and reports one line of the form
///   "mivra: <what failed>: <file or peer>: <why>" through this sink, the handler set with
///   setDiagnosticHandler();
/// - a loading constructor throws mivra::Exception, whose what() is that same line.
///
/// By default the lines go to standard error, one write per line. This sink is the only place the
/// library writes to standard error.
using DiagnosticHandler = std::function<void(std::string_view line)>;

/// Sends every later diagnostic to `handler` (an empty handler silences them) and returns the
/// handler that was in place, so that it can be put back. The handler may be called from the
/// library's audio and network threads, one line at a time; it is never called twice at once.
/// A handler may itself report (its lines reach the current handler once it returns) and may set a
/// handler, for instance put the previous one back. Called from another thread, this waits for a
/// running handler to return, so what the old handler uses may go once this returns.
DiagnosticHandler setDiagnosticHandler(DiagnosticHandler handler);

/// Reports the line "mivra: <what>: <subject>: <why>" to the current handler; an empty subject or
/// reason is left out with its colon.
/// @param what What failed, for example "cannot load the font".
/// @param subject The file or peer it concerns.
/// @param why The reason.
void reportDiagnostic(std::string_view what, std::string_view subject = {}, std::string_view why = {});
} // namespace mivra
