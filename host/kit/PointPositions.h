// Where a file's named points lie, for the outputs that place stations and targets by name: the
// first point of each name that has both a north and an east, as later points of the same name
// are usually checks or repeats of it.
#pragma once

#include "host/kit/ImportRecords.h"

#include <optional>
#include <string>
#include <unordered_map>

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

template <class Value> class CNamedPositions
{
public:
    // Keeps value under the point's name unless the name already has one.
    void Add(const std::string& name, const Value& value) { m_byName.emplace(name, value); }
    const Value* Find(const std::string& name) const
    {
        auto found = m_byName.find(name);
        return found == m_byName.end() ? nullptr : &found->second;
    }
    void Clear() { m_byName.clear(); }

private:
    std::unordered_map<std::string, Value> m_byName;
};

} // namespace Host
