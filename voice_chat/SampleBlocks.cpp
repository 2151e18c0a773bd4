#include "SampleBlocks.hpp"

#include <algorithm>
#include <cstring>

namespace voice_chat
{
void SampleBlocks::append(const std::int16_t* samples, std::size_t count)
{
    while (count > 0)
    {
        if (m_size == m_blocks.size() * BlockSamples)
            // Not zero-filled: the memory is touched only as samples arrive.
            m_blocks.push_back(std::make_unique_for_overwrite<std::int16_t[]>(BlockSamples));
        const std::size_t offset = m_size % BlockSamples;
        const std::size_t taken = std::min(count, BlockSamples - offset);
        std::memcpy(m_blocks.back().get() + offset, samples, taken * sizeof(std::int16_t));
        m_size += taken;
        samples += taken;
        count -= taken;
    }
}

SampleBlocks::Run SampleBlocks::run(std::size_t offset, std::size_t maxCount) const
{
    if (offset >= m_size)
        return {};
    const std::size_t inBlock = offset % BlockSamples;
    const std::size_t count = std::min({maxCount, m_size - offset, BlockSamples - inBlock});
    return {m_blocks[offset / BlockSamples].get() + inBlock, count};
}
} // namespace voice_chat
