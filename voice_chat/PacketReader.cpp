#include "PacketReader.hpp"

#include "VoicePacket.hpp"

#include <algorithm>

namespace voice_chat
{
PacketContent readPacket(const void* data, std::size_t size, std::vector<std::int16_t>& samples, std::size_t room)
{
    if (size == 0 || data == nullptr)
        return PacketContent::Invalid;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    switch (static_cast<VoicePacketType>(bytes[0]))
    {
    case VoicePacketType::AudioSamples: break;
    case VoicePacketType::EndOfStream: return PacketContent::EndOfStream;
    default: return PacketContent::Invalid;
    }
    const std::size_t sent = (size - 1) / 2;
    const std::size_t count = std::min(sent, room);
    const std::size_t first = samples.size();
    samples.resize(first + count);
    // Low byte first whatever this machine's byte order.
    for (std::size_t i = 0; i < count; ++i)
        samples[first + i] =
            static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[1 + 2 * i] | (bytes[2 + 2 * i] << 8)));
    return count < sent ? PacketContent::RecordingFull : PacketContent::Samples;
}
} // namespace voice_chat
