// The pairs of points already joined by a ray of the plan, each pair once whichever way it was
// observed. An open-addressed table of the pairs themselves: a tree of them cost a node and a walk
// of cache misses for every observation.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace Host
{

class CPointPairs
{
public:
    // Adds the pair of points a and b (in either order); false when it was there already.
    bool Insert(std::size_t a, std::size_t b)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            Grow();
        const CPair pair{std::min(a, b), std::max(a, b)};
        CPair& slot = m_slots[SlotOf(pair, m_slots)];
        if (slot == pair)
            return false;
        slot = pair;
        ++m_count;
        return true;
    }
    // Forgets every pair and gives their memory back.
    void Clear()
    {
        std::vector<CPair>().swap(m_slots);
        m_count = 0;
    }

private:
    using CPair = std::pair<std::size_t, std::size_t>;
    // No point has this index: an empty slot holds it.
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

    // The slot of slots that holds pair, or the empty slot where it would go.
    static std::size_t SlotOf(const CPair& pair, const std::vector<CPair>& slots)
    {
        const std::uint64_t mixed =
            (static_cast<std::uint64_t>(pair.first) * 0x9E3779B97F4A7C15u ^ pair.second) *
            0xBF58476D1CE4E5B9u;
        const std::size_t mask = slots.size() - 1;
        for (auto at = static_cast<std::size_t>(mixed >> 32) & mask;; at = (at + 1) & mask)
            if (slots[at].first == kNone || slots[at] == pair)
                return at;
    }
    // Twice the slots (a power of two), each pair placed again.
    void Grow()
    {
        std::vector<CPair> slots(std::max<std::size_t>(16, m_slots.size() * 2), CPair{kNone, 0});
        for (const CPair& pair : m_slots)
            if (pair.first != kNone)
                slots[SlotOf(pair, slots)] = pair;
        m_slots.swap(slots);
    }

    std::vector<CPair> m_slots;
    std::size_t m_count = 0;
};

} // namespace Host
