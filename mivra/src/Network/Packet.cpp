#include <mivra/Network/Packet.hpp>

#include <bit>
#include <cstring>

namespace mivra
{
void Packet::append(const void* data, std::size_t size)
{
    if (data == nullptr || size == 0)
        return;
    const auto* bytes = static_cast<const std::byte*>(data);
    m_data.insert(m_data.end(), bytes, bytes + size);
}

void Packet::clear()
{
    m_data.clear();
    m_readPos = 0;
    m_isValid = true;
}

bool Packet::checkSize(std::size_t size)
{
    m_isValid = m_isValid && size <= m_data.size() - m_readPos;
    return m_isValid;
}

template <typename Unsigned>
bool Packet::readBigEndian(Unsigned& value)
{
    if (!checkSize(sizeof(Unsigned)))
        return false;
    Unsigned result = 0;
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i)
        result = static_cast<Unsigned>(result << 8 | static_cast<std::uint8_t>(m_data[m_readPos + i]));
    m_readPos += sizeof(Unsigned);
    value = result;
    return true;
}

template <typename Unsigned>
void Packet::writeBigEndian(Unsigned value)
{
    for (std::size_t i = sizeof(Unsigned); i-- > 0;)
        m_data.push_back(static_cast<std::byte>(value >> (8 * i)));
}

Packet& Packet::operator>>(bool& data)
{
    std::uint8_t value = 0;
    if (readBigEndian(value))
        data = value != 0;
    return *this;
}

Packet& Packet::operator>>(std::int8_t& data)
{
    std::uint8_t value = 0;
    if (readBigEndian(value))
        data = static_cast<std::int8_t>(value);
    return *this;
}

Packet& Packet::operator>>(std::uint8_t& data)
{
    readBigEndian(data);
    return *this;
}

Packet& Packet::operator>>(std::int16_t& data)
{
    std::uint16_t value = 0;
    if (readBigEndian(value))
        data = static_cast<std::int16_t>(value);
    return *this;
}

Packet& Packet::operator>>(std::uint16_t& data)
{
    readBigEndian(data);
    return *this;
}

Packet& Packet::operator>>(std::int32_t& data)
{
    std::uint32_t value = 0;
    if (readBigEndian(value))
        data = static_cast<std::int32_t>(value);
    return *this;
}

Packet& Packet::operator>>(std::uint32_t& data)
{
    readBigEndian(data);
    return *this;
}

Packet& Packet::operator>>(std::int64_t& data)
{
    std::uint64_t value = 0;
    if (readBigEndian(value))
        data = static_cast<std::int64_t>(value);
    return *this;
}

Packet& Packet::operator>>(std::uint64_t& data)
{
    readBigEndian(data);
    return *this;
}

Packet& Packet::operator>>(float& data)
{
    std::uint32_t bits = 0;
    if (readBigEndian(bits))
        data = std::bit_cast<float>(bits);
    return *this;
}

Packet& Packet::operator>>(double& data)
{
    std::uint64_t bits = 0;
    if (readBigEndian(bits))
        data = std::bit_cast<double>(bits);
    return *this;
}

Packet& Packet::operator>>(std::string& data)
{
    // Read the length without consuming it, so a failed string leaves the position alone.
    const std::size_t start = m_readPos;
    std::uint32_t length = 0;
    if (!readBigEndian(length))
        return *this;
    if (!checkSize(length))
    {
        m_readPos = start;
        return *this;
    }
    data.assign(reinterpret_cast<const char*>(m_data.data() + m_readPos), length);
    m_readPos += length;
    return *this;
}

Packet& Packet::operator>>(String& data)
{
    const std::size_t start = m_readPos;
    std::uint32_t count = 0;
    if (!readBigEndian(count))
        return *this;
    if (count > (m_data.size() - m_readPos) / 4)
    {
        m_isValid = false;
        m_readPos = start;
        return *this;
    }
    std::u32string text;
    text.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        std::uint32_t codePoint = 0;
        readBigEndian(codePoint);
        text.push_back(static_cast<char32_t>(codePoint));
    }
    data = String(std::move(text));
    return *this;
}

Packet& Packet::operator<<(bool data)
{
    return *this << static_cast<std::uint8_t>(data ? 1 : 0);
}

Packet& Packet::operator<<(std::int8_t data)
{
    return *this << static_cast<std::uint8_t>(data);
}

Packet& Packet::operator<<(std::uint8_t data)
{
    writeBigEndian(data);
    return *this;
}

Packet& Packet::operator<<(std::int16_t data)
{
    return *this << static_cast<std::uint16_t>(data);
}

Packet& Packet::operator<<(std::uint16_t data)
{
    writeBigEndian(data);
    return *this;
}

Packet& Packet::operator<<(std::int32_t data)
{
    return *this << static_cast<std::uint32_t>(data);
}

Packet& Packet::operator<<(std::uint32_t data)
{
    writeBigEndian(data);
    return *this;
}

Packet& Packet::operator<<(std::int64_t data)
{
    return *this << static_cast<std::uint64_t>(data);
}

Packet& Packet::operator<<(std::uint64_t data)
{
    writeBigEndian(data);
    return *this;
}

Packet& Packet::operator<<(float data)
{
    return *this << std::bit_cast<std::uint32_t>(data);
}

Packet& Packet::operator<<(double data)
{
    return *this << std::bit_cast<std::uint64_t>(data);
}

Packet& Packet::operator<<(const std::string& data)
{
    *this << static_cast<std::uint32_t>(data.size());
    append(data.data(), data.size());
    return *this;
}

Packet& Packet::operator<<(const char* data)
{
    return *this << std::string(data != nullptr ? data : "");
}

Packet& Packet::operator<<(const String& data)
{
    *this << static_cast<std::uint32_t>(data.getSize());
    for (const char32_t codePoint : data)
        *this << static_cast<std::uint32_t>(codePoint);
    return *this;
}
} // namespace mivra
