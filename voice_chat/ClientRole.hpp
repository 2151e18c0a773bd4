#pragma once

#include <cstdint>

// The client's whole dialogue: asks for the server, then records while the user lets it and sends
// the audio to the server's port.
void runClient(std::uint16_t port);
