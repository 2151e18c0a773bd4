#pragma once

#include <mivra/System/Vector2.hpp>

#include <cstdint>
#include <optional>

namespace mivra::detail
{
// The fingers currently down, numbered by slot: a finger takes the lowest free number when it
// touches and frees it when it leaves.
class TouchState
{
public:
    static constexpr unsigned int MaxFingers = 10;

    static TouchState& instance();

    // The finger's number; nothing when every slot is taken.
    std::optional<unsigned int> begin(std::int64_t fingerId, Vector2i desktopPosition);
    std::optional<unsigned int> move(std::int64_t fingerId, Vector2i desktopPosition);
    std::optional<unsigned int> end(std::int64_t fingerId, Vector2i desktopPosition);

    bool isDown(unsigned int finger) const;
    Vector2i getPosition(unsigned int finger) const;
    void reset();

private:
    struct Slot
    {
        bool down{};
        std::int64_t id{};
        Vector2i position;
    };
    std::optional<unsigned int> find(std::int64_t fingerId) const;

    Slot m_slots[MaxFingers];
};
} // namespace mivra::detail
