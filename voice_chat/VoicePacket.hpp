#pragma once

#include <cstdint>

// The first byte of every packet the client sends. An AudioSamples packet carries after it the
// samples of one captured batch as raw 16-bit values in the sender's memory order (little-endian
// here); an EndOfStream packet is that one byte and the last packet of a connection.
enum class VoicePacketType : std::uint8_t
{
    AudioSamples = 1,
    EndOfStream = 2
};

// Both roles use this TCP port; the server listens on every local address.
constexpr unsigned short voicePort = 2435;
