#include "Network/detail/TransferPace.hpp"

#include "Network/detail/FtpLocalReplies.hpp"

namespace mivra::detail
{
TransferPace::TransferPace(Time period, std::uint64_t floorRate)
    : m_period(period),
      m_floor(static_cast<std::uint64_t>(static_cast<double>(floorRate) * static_cast<double>(period.asSeconds()))),
      m_periodEnd(deadlineAfter(period))
{
}

bool TransferPace::check()
{
    if (std::chrono::steady_clock::now() < m_periodEnd)
        return true;
    // Nothing at all is always too slow, whatever the period and the floor.
    if (m_moved == 0 || m_moved < m_floor)
        return false;
    m_moved = 0;
    m_periodEnd = deadlineAfter(m_period);
    return true;
}

std::string TransferPace::failure() const
{
    if (m_moved == 0)
        return " The transfer stalled for " + secondsText(m_period);
    return " The transfer moved only " + std::to_string(m_moved) + " bytes in " + secondsText(m_period) +
           " (it needs " + std::to_string(m_floor) + " to go on)";
}
} // namespace mivra::detail
