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
    m_count = 0;
}

void CColumnNames::reserve(std::size_t characters)
{
    m_characters.reserve(characters);
}

void CColumnNames::Append(const wchar_t* begin, const wchar_t* end)
{
    if (m_count >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw std::length_error("column list too long");
    m_characters.append(begin, end);
    m_characters.push_back(L'\0');
    ++m_count;
}

std::wstring CColumnNames::operator[](std::size_t index) const
{
    std::size_t begin = 0;
    for (std::size_t i = 0; i < index; ++i)
        begin = m_characters.find(L'\0', begin) + 1;
    return m_characters.substr(begin, m_characters.find(L'\0', begin) - begin);
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
    std::size_t begin = 0;
    for (std::size_t i = 0; i < m_count; ++i)
    {
        const std::size_t end = m_characters.find(L'\0', begin);
        if (end - begin == name.size() &&
            std::wmemcmp(m_characters.data() + begin, name.data(), name.size()) == 0)
            return static_cast<std::int32_t>(i);
        begin = end + 1;
    }
    return -1;
}
