// The column names of a section head, held in one buffer, each followed by a NUL (a line never
// holds one): a head that lists a million columns costs a character a column beyond the names,
// rather than a string each.
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
    // Room for this many characters, terminators included, so that a long list is not
    // reallocated as it grows.
    void reserve(std::size_t characters);
    // A name at the end of the list, which must hold no NUL. Throws std::length_error past
    // 2 G names.
    void Append(const wchar_t* begin, const wchar_t* end);

    std::size_t size() const { return m_count; }
    std::wstring operator[](std::size_t index) const;
    std::vector<std::wstring> ToVector() const;

    // Position of the first name equal to name (same length, same characters), or -1.
    std::int32_t Find(const std::wstring& name) const;

private:
    std::wstring m_characters;
    std::size_t m_count = 0;
};
