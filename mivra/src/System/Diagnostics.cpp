#include <mivra/System/Diagnostics.hpp>

#include "System/detail/DiagnosticLine.hpp"

#include <cstdio>
#include <mutex>
#include <string>

namespace mivra
{
namespace
{
void writeToStandardError(std::string_view line)
{
    // One write per line, so lines from several threads do not interleave.
    std::string text(line);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

struct Sink
{
    std::mutex mutex;
    DiagnosticHandler handler = writeToStandardError;
};

Sink& sink()
{
    static Sink instance;
    return instance;
}
} // namespace

DiagnosticHandler setDiagnosticHandler(DiagnosticHandler handler)
{
    Sink& s = sink();
    const std::lock_guard lock(s.mutex);
    DiagnosticHandler previous = std::move(s.handler);
    s.handler = std::move(handler);
    return previous;
}

void reportDiagnostic(std::string_view what, std::string_view subject, std::string_view why)
{
    const std::string line = detail::diagnosticLine(what, subject, why);
    Sink& s = sink();
    const std::lock_guard lock(s.mutex);
    if (s.handler)
        s.handler(line);
}
} // namespace mivra
