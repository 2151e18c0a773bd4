#pragma once

#include <mivra/Network/Ftp.hpp>
#include <mivra/System/Time.hpp>

#include <filesystem>
#include <string>
#include <string_view>

namespace mivra::detail
{
// The replies the client makes up itself, worded alike wherever they arise.

// An operation tried with no control connection (never made, or hung up after a failure).
Ftp::Response notConnected();

// A reply that the command should not get: a refusal is passed on as it is; a positive reply of
// the wrong kind becomes InvalidResponse, quoting it.
Ftp::Response unexpectedReply(std::string_view command, const Ftp::Response& reply);

// A 1xx reply: the server has begun and will send the final reply later.
bool isPreliminary(const Ftp::Response& reply);

// "<seconds> s", for messages about time-outs.
std::string secondsText(Time time);

// The path between double quotes, for messages naming a local file.
std::string quoted(const std::filesystem::path& path);
} // namespace mivra::detail
