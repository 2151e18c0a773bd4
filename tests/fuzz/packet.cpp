// Bytes from outside become a packet; a script taken from the front of the input extracts a
// sequence of types from it. Whatever succeeds must read back exactly the bytes it consumed, and a
// failed extraction must leave the value, the position and every later extraction alone.
#include <mivra/Network/Packet.hpp>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}

template <typename T>
void extract(mivra::Packet& packet, mivra::Packet& rewritten)
{
    const std::size_t before = packet.getReadPosition();
    const bool wasValid = static_cast<bool>(packet);
    T value{};
    T sentinel{};
    std::memset(static_cast<void*>(&sentinel), 0x5a, sizeof sentinel);
    std::memcpy(static_cast<void*>(&value), &sentinel, sizeof value);
    packet >> value;
    if (packet)
    {
        check(wasValid);
        check(packet.getReadPosition() == before + sizeof(T));
        rewritten << value;
    }
    else
    {
        check(packet.getReadPosition() == before);
        check(std::memcmp(&value, &sentinel, sizeof value) == 0);
    }
}

template <typename Text>
void extractText(mivra::Packet& packet, mivra::Packet& rewritten)
{
    const std::size_t before = packet.getReadPosition();
    const bool wasValid = static_cast<bool>(packet);
    Text value;
    if constexpr (std::is_same_v<Text, std::string>)
        value = "untouched";
    else
        value = mivra::String(U"untouched \u263a");
    const Text untouched = value;
    packet >> value;
    if (packet)
    {
        check(wasValid);
        rewritten << value;
    }
    else
    {
        check(packet.getReadPosition() == before);
        check(value == untouched);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t scriptLength = std::min<std::size_t>(data[0] % 32, size - 1);
    const std::uint8_t* script = data + 1;
    mivra::Packet packet;
    packet.append(script + scriptLength, size - 1 - scriptLength);
    mivra::Packet rewritten;
    bool bytesComparable = true;

    for (std::size_t i = 0; i < scriptLength; ++i)
    {
        switch (script[i] % 13)
        {
        case 0: {
            // bool re-encodes as 0 or 1, so only its position can be compared.
            bool flag = false;
            const std::size_t before = packet.getReadPosition();
            packet >> flag;
            if (packet)
                rewritten << flag, bytesComparable = bytesComparable && packet.getReadPosition() == before + 1 &&
                                                     static_cast<const std::uint8_t*>(packet.getData())[before] <= 1;
            break;
        }
        case 1: extract<std::int8_t>(packet, rewritten); break;
        case 2: extract<std::uint8_t>(packet, rewritten); break;
        case 3: extract<std::int16_t>(packet, rewritten); break;
        case 4: extract<std::uint16_t>(packet, rewritten); break;
        case 5: extract<std::int32_t>(packet, rewritten); break;
        case 6: extract<std::uint32_t>(packet, rewritten); break;
        case 7: extract<std::int64_t>(packet, rewritten); break;
        case 8: extract<std::uint64_t>(packet, rewritten); break;
        case 9: extract<float>(packet, rewritten); break;
        case 10: extract<double>(packet, rewritten); break;
        case 11: extractText<std::string>(packet, rewritten); break;
        default: extractText<mivra::String>(packet, rewritten); break;
        }
        check(packet.getReadPosition() <= packet.getDataSize());
    }

    // What was read, written again, gives back the bytes it came from.
    check(rewritten.getDataSize() == packet.getReadPosition());
    if (bytesComparable && rewritten.getDataSize() > 0)
        check(std::memcmp(rewritten.getData(), packet.getData(), rewritten.getDataSize()) == 0);
    return 0;
}
