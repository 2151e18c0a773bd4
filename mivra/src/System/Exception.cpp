#include <mivra/System/Exception.hpp>

#include "System/detail/DiagnosticLine.hpp"

namespace mivra
{
Exception::Exception(std::string_view what, std::string_view subject, std::string_view why)
    : std::runtime_error(detail::diagnosticLine(what, subject, why))
{
}
} // namespace mivra
