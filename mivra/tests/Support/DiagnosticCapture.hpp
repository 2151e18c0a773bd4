#pragma once

#include <mivra/System/Diagnostics.hpp>

#include <mutex>
#include <utility>
#include <string>
#include <vector>

namespace mivra::test
{
// Collects the library's diagnostics while it lives, instead of letting them reach stderr.
class DiagnosticCapture
{
public:
    DiagnosticCapture()
        : m_previous(setDiagnosticHandler([this](std::string_view line) {
              const std::lock_guard lock(m_mutex);
              m_lines.emplace_back(line);
          }))
    {
    }
    ~DiagnosticCapture() { setDiagnosticHandler(std::move(m_previous)); }
    DiagnosticCapture(const DiagnosticCapture&) = delete;
    DiagnosticCapture& operator=(const DiagnosticCapture&) = delete;

    // The lines reported so far, and forgets them.
    std::vector<std::string> take()
    {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_lines, {});
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
    DiagnosticHandler m_previous;
};
} // namespace mivra::test
