#pragma once

#include <mivra/System/String.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mivra
{
/// A buffer of bytes for sending structured data. Values are inserted and extracted in the order
/// they were written; numbers travel in network byte order (big-endian), floats as their IEEE-754
/// bits, strings as a 32-bit length followed by their bytes (a mivra::String as a 32-bit count
/// followed by its UTF-32 code points).
///
/// Extraction reads from a position that starts at the beginning. Extracting past the end (or a
/// string whose length runs past the end) fails: the target is left unchanged, the packet becomes
/// invalid (false in a boolean context) and every later extraction fails too, until clear().
class Packet
{
public:
    /// An empty, valid packet.
    Packet() = default;

    /// Appends raw bytes, as they are in memory (no byte-order conversion).
    void append(const void* data, std::size_t size);
    /// Empties the packet and makes it valid again with the read position at the start.
    void clear();

    /// The bytes; nullptr when the packet is empty.
    [[nodiscard]] const void* getData() const { return m_data.empty() ? nullptr : m_data.data(); }
    /// The number of bytes.
    [[nodiscard]] std::size_t getDataSize() const { return m_data.size(); }
    /// How many bytes extraction has read so far.
    [[nodiscard]] std::size_t getReadPosition() const { return m_readPos; }
    /// Whether every byte has been read.
    [[nodiscard]] bool endOfPacket() const { return m_readPos >= m_data.size(); }
    /// Whether every extraction so far succeeded.
    [[nodiscard]] explicit operator bool() const { return m_isValid; }

    /// Extracts the next value, in the format the class description gives. On failure the target is
    /// left unchanged and the packet becomes invalid. A bool travels as one byte (non-zero is true).
    ///@{
    Packet& operator>>(bool& data);
    Packet& operator>>(std::int8_t& data);
    Packet& operator>>(std::uint8_t& data);
    Packet& operator>>(std::int16_t& data);
    Packet& operator>>(std::uint16_t& data);
    Packet& operator>>(std::int32_t& data);
    Packet& operator>>(std::uint32_t& data);
    Packet& operator>>(std::int64_t& data);
    Packet& operator>>(std::uint64_t& data);
    Packet& operator>>(float& data);
    Packet& operator>>(double& data);
    Packet& operator>>(std::string& data);
    Packet& operator>>(String& data);
    ///@}

    /// Appends a value, in the format the class description gives.
    ///@{
    Packet& operator<<(bool data);
    Packet& operator<<(std::int8_t data);
    Packet& operator<<(std::uint8_t data);
    Packet& operator<<(std::int16_t data);
    Packet& operator<<(std::uint16_t data);
    Packet& operator<<(std::int32_t data);
    Packet& operator<<(std::uint32_t data);
    Packet& operator<<(std::int64_t data);
    Packet& operator<<(std::uint64_t data);
    Packet& operator<<(float data);
    Packet& operator<<(double data);
    Packet& operator<<(const std::string& data);
    Packet& operator<<(const char* data);
    Packet& operator<<(const String& data);
    ///@}

private:
    friend class TcpSocket;

    /// True when size more bytes can be read; otherwise marks the packet invalid.
    bool checkSize(std::size_t size);
    template <typename Unsigned>
    bool readBigEndian(Unsigned& value);
    template <typename Unsigned>
    void writeBigEndian(Unsigned value);

    std::vector<std::byte> m_data;
    std::size_t m_readPos{};
    bool m_isValid{true};
};
} // namespace mivra
