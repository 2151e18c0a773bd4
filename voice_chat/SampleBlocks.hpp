#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace voice_chat
{
// A growing recording kept in blocks that never move once allocated. Growing copies nothing that is
// already held, so memory stays at the recording's size plus less than one block, and a pointer to a
// held sample stays valid for the object's life: a reader may use a run after leaving the lock
// that guards the object, while the writer appends.
class SampleBlocks
{
public:
    static constexpr std::size_t BlockSamples = 44100; // a second of the voice stream

    struct Run
    {
        const std::int16_t* samples{};
        std::size_t count{};
    };

    // Appends the samples; throws std::bad_alloc when a new block cannot be had (what was held
    // stays, and so does the part of these samples that fitted).
    void append(const std::int16_t* samples, std::size_t count);
    [[nodiscard]] std::size_t size() const { return m_size; }
    // The held samples from `offset` on that lie in one block, at most maxCount of them; empty at or
    // past the end.
    [[nodiscard]] Run run(std::size_t offset, std::size_t maxCount) const;

private:
    std::vector<std::unique_ptr<std::int16_t[]>> m_blocks;
    std::size_t m_size{};
};
} // namespace voice_chat
