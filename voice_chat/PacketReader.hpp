#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace voice_chat
{
// What one received packet means to the server.
enum class PacketContent
{
    Samples,      // audio samples, all of them taken in (possibly none)
    EndOfStream,  // the client's recording is complete
    Invalid,      // an empty packet or one of an unknown type
    RecordingFull // audio samples, but more than there was room for: only the first ones were taken
};

// Reads one packet's bytes as the server does. The samples of an AudioSamples packet (a trailing
// odd byte is ignored) are appended to `samples`, at most `room` of them, so that a peer cannot
// make the server allocate beyond what it chose to hold. Any bytes at all are safe here.
PacketContent readPacket(const void* data, std::size_t size, std::vector<std::int16_t>& samples, std::size_t room);
} // namespace voice_chat
