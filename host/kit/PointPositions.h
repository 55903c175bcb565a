// Where a file's named points lie, for the outputs that place stations and targets by name: the
// first point of each name that has both a north and an east, as later points of the same name
// are usually checks or repeats of it.
#pragma once

#include "host/kit/ImportRecords.h"
#include "platform/OpenAddressing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Host
{

struct CPosition
{
    double east = 0;
    double north = 0;
    std::optional<double> elevation;
};

// The position of a record that carries one itself; none when north or east is missing.
inline std::optional<CPosition> PositionOf(const CRecord& point)
{
    if (!point.north || !point.east)
        return std::nullopt;
    return CPosition{*point.east, *point.north, point.elevation};
}

// Names and their values in one open-addressed table. Each name is stored once, in a block of all
// the names, and a slot is two words, so that a point costs no allocation of its own, and a look-up
// reads one slot, then the entry and its name only when the slot's hash matches. (A table of nodes,
// one a name, spent a third of a plan's time walking its chains and freeing them.)
template <class Value> class CNamedPositions
{
public:
    // Keeps value under name unless the name already has one. Past four billion names, later
    // names are not kept.
    void Add(std::string_view name, const Value& value)
    {
        if (m_entries.size() >= kMostEntries)
            return;
        if ((m_entries.size() + 1) * 4 > m_slots.size() * 3)
            Grow();
        const std::uint32_t hash = Hash(name);
        CSlot& slot = m_slots[SlotOf(name, hash)];
        if (slot.entry != 0)
            return;
        m_entries.push_back(CEntry{m_names.size(), name.size(), value});
        m_names.append(name);
        slot = CSlot{hash, static_cast<std::uint32_t>(m_entries.size())};
    }
    const Value* Find(std::string_view name) const
    {
        if (m_slots.empty())
            return nullptr;
        const CSlot& slot = m_slots[SlotOf(name, Hash(name))];
        return slot.entry == 0 ? nullptr : &m_entries[slot.entry - 1].value;
    }
    // Forgets every name and gives their memory back.
    void Clear()
    {
        std::vector<CSlot>().swap(m_slots);
        std::vector<CEntry>().swap(m_entries);
        std::string().swap(m_names);
    }

private:
    struct CSlot
    {
        std::uint32_t hash = 0;
        std::uint32_t entry = 0; // one more than the entry's index; 0 in an empty slot
    };
    struct CEntry
    {
        std::size_t nameAt;
        std::size_t nameSize;
        Value value;
    };
    static constexpr std::size_t kMostEntries = UINT32_MAX - 1;

    static std::uint32_t Hash(std::string_view name)
    {
        const auto hash = static_cast<std::uint64_t>(std::hash<std::string_view>{}(name));
        return static_cast<std::uint32_t>(hash ^ (hash >> 32));
    }
    std::string_view NameOf(const CEntry& entry) const
    {
        return std::string_view(m_names.data() + entry.nameAt, entry.nameSize);
    }
    // The slot that holds name, or the empty slot where it would go.
    std::size_t SlotOf(std::string_view name, std::uint32_t hash) const
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask)
        {
            const CSlot& slot = m_slots[at];
            if (slot.entry == 0 || (slot.hash == hash && NameOf(m_entries[slot.entry - 1]) == name))
                return at;
        }
    }
    // Twice the slots, each name placed again by the hash its slot keeps.
    void Grow()
    {
        m_slots = Platform::Rehashed(m_slots, std::max<std::size_t>(16, m_slots.size() * 2));
    }

    std::vector<CSlot> m_slots;
    std::vector<CEntry> m_entries;
    std::string m_names;
};

} // namespace Host
