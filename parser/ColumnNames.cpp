#include "parser/ColumnNames.h"

#include <cwchar>
#include <limits>
#include <stdexcept>

CColumnNames::CColumnNames(std::initializer_list<std::wstring> names)
{
    for (const std::wstring& name : names)
        Append(name.data(), name.data() + name.size());
}

CColumnNames::CColumnNames(const std::vector<std::wstring>& names)
{
    for (const std::wstring& name : names)
        Append(name.data(), name.data() + name.size());
}

void CColumnNames::clear()
{
    m_characters.clear();
    m_ends.clear();
}

void CColumnNames::reserve(std::size_t names, std::size_t characters)
{
    m_ends.reserve(names);
    m_characters.reserve(characters);
}

void CColumnNames::Append(const wchar_t* begin, const wchar_t* end)
{
    const std::size_t total = m_characters.size() + static_cast<std::size_t>(end - begin);
    if (total > std::numeric_limits<std::uint32_t>::max() ||
        m_ends.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw std::length_error("column list too long");
    m_characters.append(begin, end);
    m_ends.push_back(static_cast<std::uint32_t>(total));
}

std::wstring CColumnNames::operator[](std::size_t index) const
{
    return m_characters.substr(Begin(index), m_ends[index] - Begin(index));
}

std::vector<std::wstring> CColumnNames::ToVector() const
{
    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < size(); ++i)
        names.push_back((*this)[i]);
    return names;
}

std::int32_t CColumnNames::Find(const std::wstring& name) const
{
    for (std::size_t i = 0; i < m_ends.size(); ++i)
    {
        const std::size_t begin = Begin(i);
        if (m_ends[i] - begin == name.size() &&
            std::wmemcmp(m_characters.data() + begin, name.data(), name.size()) == 0)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}
