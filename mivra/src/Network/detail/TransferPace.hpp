#pragma once

#include "Network/detail/SocketImpl.hpp"

#include <mivra/System/Time.hpp>

#include <cstdint>
#include <string>

namespace mivra::detail
{
// Whether a transfer keeps moving: it is given up when a whole period passes with fewer bytes than
// the floor rate asks for (no bytes at all included), while a slow transfer above the floor goes
// on for as long as it takes.
class TransferPace
{
public:
    TransferPace(Time period, std::uint64_t floorRate);

    // When the current period ends: wait for the transfer no longer than that before check().
    [[nodiscard]] Deadline periodEnd() const { return m_periodEnd; }
    // Counts bytes moved.
    void add(std::uint64_t bytes) { m_moved += bytes; }
    // False once a period has ended below the floor; otherwise starts the next period when one has
    // ended.
    bool check();
    // Why the transfer was given up, for the failure's message.
    [[nodiscard]] std::string failure() const;

private:
    Time m_period;
    std::uint64_t m_floor; // bytes per period
    Deadline m_periodEnd;
    std::uint64_t m_moved{};
};
} // namespace mivra::detail
