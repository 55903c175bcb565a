// The column names of a section head, held in one buffer: a head that lists a million columns
// costs a few bytes a column rather than a string each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class CColumnNames
{
public:
    CColumnNames() = default;
    CColumnNames(std::initializer_list<std::wstring> names);
    CColumnNames(const std::vector<std::wstring>& names);

    void clear();
    // Room for this many names of this many characters in all, so that a long list is not
    // reallocated as it grows.
    void reserve(std::size_t names, std::size_t characters);
    // A name at the end of the list. Throws std::length_error past 4 G characters in all.
    void Append(const wchar_t* begin, const wchar_t* end);

    std::size_t size() const { return m_ends.size(); }
    std::wstring operator[](std::size_t index) const;
    std::vector<std::wstring> ToVector() const;

    // Position of the first name equal to name (same length, same characters), or -1.
    std::int32_t Find(const std::wstring& name) const;

private:
    std::size_t Begin(std::size_t index) const { return index == 0 ? 0 : m_ends[index - 1]; }

    std::wstring m_characters;
    std::vector<std::uint32_t> m_ends;
};
