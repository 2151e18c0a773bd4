// Uses the network module: an address parsed and printed, and a packet written and read back.
// Prints: network: 127.0.0.1, packet -7 hello
#include <mivra/Network.hpp>

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

int main()
{
    const std::optional<mivra::IpAddress> address = mivra::IpAddress::resolve("127.0.0.1");
    mivra::Packet packet;
    packet << std::int32_t{-7} << std::string("hello");
    std::int32_t number = 0;
    std::string word;
    packet >> number >> word;
    if (!address || *address != mivra::IpAddress::LocalHost || !packet || number != -7 || word != "hello")
        return 1;
    std::cout << "network: " << address->toString() << ", packet " << number << ' ' << word << '\n';
    return 0;
}
