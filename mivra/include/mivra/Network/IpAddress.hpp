#pragma once

#include <compare>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace mivra
{
/// An IPv4 address.
class IpAddress
{
public:
    /// From the address's 32-bit value in host byte order (127.0.0.1 is 0x7F000001).
    constexpr explicit IpAddress(std::uint32_t address) : m_address(address) {}
    /// From its four bytes, most significant first: IpAddress(127, 0, 0, 1).
    constexpr IpAddress(std::uint8_t byte0, std::uint8_t byte1, std::uint8_t byte2, std::uint8_t byte3)
        : m_address(static_cast<std::uint32_t>(byte0) << 24 | static_cast<std::uint32_t>(byte1) << 16 |
                    static_cast<std::uint32_t>(byte2) << 8 | byte3)
    {
    }

    /// A dotted address of exactly four decimal numbers 0-255 ("192.168.1.2"), or a host name
    /// looked up through the system's resolver, IPv4 results only ("localhost" gives 127.0.0.1).
    /// Shorthands the C library would also take ("1.2.3", "0x7f.1", "127.1") are refused, as are
    /// IPv6 addresses and the empty string.
    [[nodiscard]] static std::optional<IpAddress> resolve(std::string_view address);

    /// The address of this machine on its local network (the interface a packet to the outside
    /// would leave from), without sending anything; empty when no such interface is configured.
    [[nodiscard]] static std::optional<IpAddress> getLocalAddress();

    /// The dotted form, "192.168.1.2".
    [[nodiscard]] std::string toString() const;
    /// The 32-bit value in host byte order.
    [[nodiscard]] constexpr std::uint32_t toInteger() const { return m_address; }

    /// Addresses compare by their 32-bit values.
    ///@{
    friend constexpr bool operator==(IpAddress, IpAddress) = default;
    friend constexpr auto operator<=>(IpAddress, IpAddress) = default;
    ///@}

    static const IpAddress Any;       ///< 0.0.0.0: every local address
    static const IpAddress LocalHost; ///< 127.0.0.1
    static const IpAddress Broadcast; ///< 255.255.255.255

private:
    std::uint32_t m_address;
};

inline constexpr IpAddress IpAddress::Any{0, 0, 0, 0};
inline constexpr IpAddress IpAddress::LocalHost{127, 0, 0, 1};
inline constexpr IpAddress IpAddress::Broadcast{255, 255, 255, 255};

/// Reads one white-space-delimited word and resolves it: the optional holds the address, or is
/// empty when the word is not an address or a name that resolves. An unresolvable word leaves the
/// stream good (the word was read); only running out of input fails the stream.
std::istream& operator>>(std::istream& stream, std::optional<IpAddress>& address);

/// Writes the dotted form.
std::ostream& operator<<(std::ostream& stream, const IpAddress& address);
} // namespace mivra
