#include <mivra/System/Diagnostics.hpp>

#include "System/detail/DiagnosticLine.hpp"

#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

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

// The handler is called with `mutex` held, so that it never runs twice at once and a handler
// being replaced from another thread finishes before setDiagnosticHandler() returns. The thread
// that holds the mutex marks itself, so that a handler that reports or sets a handler does not
// wait for itself.
struct Sink
{
    std::mutex mutex;
    // Shared, so that the running handler stays alive while it replaces itself.
    std::shared_ptr<DiagnosticHandler> handler = std::make_shared<DiagnosticHandler>(writeToStandardError);
};

Sink& sink()
{
    static Sink instance;
    return instance;
}

// Set on the thread that is delivering lines; lines it reports meanwhile wait here for their turn.
struct Delivery
{
    bool active = false;
    std::deque<std::string> pending;
};
thread_local Delivery delivery;

DiagnosticHandler exchangeHandler(Sink& s, DiagnosticHandler handler)
{
    std::shared_ptr<DiagnosticHandler> previous =
        std::exchange(s.handler, std::make_shared<DiagnosticHandler>(std::move(handler)));
    // Still shared only when it is the handler running now, which must keep its own copy.
    if (previous.use_count() == 1)
        return std::move(*previous);
    return *previous;
}
} // namespace

DiagnosticHandler setDiagnosticHandler(DiagnosticHandler handler)
{
    Sink& s = sink();
    if (delivery.active)
        return exchangeHandler(s, std::move(handler));
    const std::lock_guard lock(s.mutex);
    return exchangeHandler(s, std::move(handler));
}

void reportDiagnostic(std::string_view what, std::string_view subject, std::string_view why)
{
    std::string line = detail::diagnosticLine(what, subject, why);
    if (delivery.active)
    {
        // Reported from inside the handler: delivered once it returns, so lines never nest.
        delivery.pending.push_back(std::move(line));
        return;
    }
    Sink& s = sink();
    const std::lock_guard lock(s.mutex);
    delivery.active = true;
    delivery.pending.push_back(std::move(line));
    while (!delivery.pending.empty())
    {
        const std::string next = std::move(delivery.pending.front());
        delivery.pending.pop_front();
        const std::shared_ptr<DiagnosticHandler> current = s.handler;
        if (*current)
        {
            try
            {
                (*current)(next);
            }
            catch (...)
            {
                delivery.pending.clear();
                delivery.active = false;
                throw;
            }
        }
    }
    delivery.active = false;
}
} // namespace mivra
