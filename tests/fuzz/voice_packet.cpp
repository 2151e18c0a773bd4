// What the voice chat server does with one packet of any bytes, for several amounts of room: it
// never takes more samples than there is room for, leaves the samples it held alone, and says
// truthfully whether it took them all.
#include "PacketReader.hpp"
#include "VoicePacket.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}

void readWithRoom(const std::uint8_t* packet, std::size_t size, std::size_t held, std::size_t room)
{
    std::vector<std::int16_t> samples(held, std::int16_t{0x7a7a});
    const voice_chat::PacketContent content = voice_chat::readPacket(packet, size, samples, room);
    check(samples.size() >= held);
    check(std::all_of(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(held),
                      [](std::int16_t s) { return s == 0x7a7a; }));
    const std::size_t added = samples.size() - held;
    check(added <= room);

    if (size == 0 || packet[0] != static_cast<std::uint8_t>(VoicePacketType::AudioSamples))
    {
        check(added == 0);
        if (size == 0)
            check(content == voice_chat::PacketContent::Invalid);
        else if (packet[0] == static_cast<std::uint8_t>(VoicePacketType::EndOfStream))
            check(content == voice_chat::PacketContent::EndOfStream);
        else
            check(content == voice_chat::PacketContent::Invalid);
        return;
    }
    const std::size_t sent = (size - 1) / 2;
    check(added == std::min(sent, room));
    check(content == (sent > room ? voice_chat::PacketContent::RecordingFull : voice_chat::PacketContent::Samples));
    for (std::size_t i = 0; i < added; ++i)
    {
        const auto expected =
            static_cast<std::int16_t>(static_cast<std::uint16_t>(packet[1 + 2 * i] | packet[2 + 2 * i] << 8));
        check(samples[held + i] == expected);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte says how many samples the server already holds; the rest is the packet,
    // read straight from the fuzzer's buffer so that a read past its end is caught.
    const std::size_t held = data[0] % 5;
    const std::uint8_t* packet = data + 1;
    const std::size_t packetSize = size - 1;
    const std::size_t sent = packetSize > 0 ? (packetSize - 1) / 2 : 0;
    const std::size_t rooms[] = {0,    1,        2,    sent > 0 ? sent - 1 : 0,
                                 sent, sent + 1, 4096, std::numeric_limits<std::size_t>::max()};
    for (const std::size_t room : rooms)
        readWithRoom(packet, packetSize, held, room);
    return 0;
}
