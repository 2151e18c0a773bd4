#pragma once

#include <string>
#include <string_view>

namespace mivra::detail
{
// "mivra: <what>: <subject>: <why>", an empty subject or reason left out with its colon: the one
// wording of a failure, shared by the diagnostics sink and the exceptions.
std::string diagnosticLine(std::string_view what, std::string_view subject, std::string_view why);
} // namespace mivra::detail
