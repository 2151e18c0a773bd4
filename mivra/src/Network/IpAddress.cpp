#include <mivra/Network/IpAddress.hpp>

#include "Network/detail/SocketImpl.hpp"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <istream>
#include <ostream>

namespace mivra
{
std::optional<IpAddress> IpAddress::resolve(std::string_view address)
{
    if (address.empty())
        return std::nullopt;
    const std::string text(address);

    // The strict dotted form: four decimal numbers.
    in_addr parsed{};
    if (::inet_pton(AF_INET, text.c_str(), &parsed) == 1)
        return IpAddress(ntohl(parsed.s_addr));

    // The resolver would take numeric shorthands ("1.2.3", "0x7f.1") as addresses; a word that
    // is numeric in any such form but not the strict form is a malformed address, not a name.
    if (::inet_aton(text.c_str(), &parsed) != 0)
        return std::nullopt;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* results = nullptr;
    if (::getaddrinfo(text.c_str(), nullptr, &hints, &results) != 0 || results == nullptr)
        return std::nullopt;
    std::optional<IpAddress> result;
    for (const addrinfo* entry = results; entry != nullptr; entry = entry->ai_next)
    {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in))
        {
            result = detail::addressOf(*reinterpret_cast<const sockaddr_in*>(entry->ai_addr));
            break;
        }
    }
    ::freeaddrinfo(results);
    return result;
}

std::optional<IpAddress> IpAddress::getLocalAddress()
{
    // Connecting a UDP socket sends nothing; it only picks the route, and with it the local
    // address a real datagram would leave from.
    const int handle = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (handle == -1)
        return std::nullopt;
    std::optional<IpAddress> result;
    const sockaddr_in remote = detail::makeAddress(IpAddress(1, 1, 1, 1), 9);
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&remote), sizeof(remote)) == 0)
    {
        sockaddr_in local{};
        socklen_t length = sizeof(local);
        if (::getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length) == 0)
            result = detail::addressOf(local);
    }
    ::close(handle);
    return result;
}

std::string IpAddress::toString() const
{
    return std::to_string(m_address >> 24) + '.' + std::to_string((m_address >> 16) & 0xFF) + '.' +
           std::to_string((m_address >> 8) & 0xFF) + '.' + std::to_string(m_address & 0xFF);
}

std::istream& operator>>(std::istream& stream, std::optional<IpAddress>& address)
{
    std::string word;
    if (stream >> word)
        address = IpAddress::resolve(word);
    else
        address.reset();
    return stream;
}

std::ostream& operator<<(std::ostream& stream, const IpAddress& address)
{
    return stream << address.toString();
}
} // namespace mivra
