#pragma once

#include <cstdint>

// The server's whole routine: plays one client's audio as it arrives on the port, then replays the
// whole recording when the user asks.
void runServer(std::uint16_t port);
