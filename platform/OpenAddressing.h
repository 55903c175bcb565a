// Tables that find their entries by linear probing from a hash, in a power of two of slots.
#pragma once

#include <cstddef>
#include <vector>

namespace Platform
{

// The occupied slots of from, placed again in size slots (a power of two) by the hash each
// keeps. A Slot is empty when its entry is 0, and its hash is a member named hash.
template <class Slot> std::vector<Slot> Rehashed(const std::vector<Slot>& from, std::size_t size)
{
    std::vector<Slot> slots(size);
    const std::size_t mask = size - 1;
    for (const Slot& slot : from)
    {
        if (slot.entry == 0)
            continue;
        std::size_t at = slot.hash & mask;
        while (slots[at].entry != 0)
            at = (at + 1) & mask;
        slots[at] = slot;
    }
    return slots;
}

} // namespace Platform
