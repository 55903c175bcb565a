#include "convert/DateConverter.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include <vector>

bool CDateConverterBase::ComposeDate(const std::wstring& text, std::wstring& out, int yearPosition,
                                     int monthPosition, int dayPosition)
{
    std::vector<std::wstring> parts;
    boost::algorithm::split(parts, text, boost::algorithm::is_any_of(L"-/"),
                            boost::algorithm::token_compress_off);
    if (parts.size() < 3)
        return false;
    out = parts[yearPosition] + parts[monthPosition] + parts[dayPosition];
    return true;
}

bool CDateDMYConverter::Convert(const std::wstring& text, std::wstring& out) const
{
    return ComposeDate(text, out, 2, 1, 0);
}

bool CDateMDYConverter::Convert(const std::wstring& text, std::wstring& out) const
{
    return ComposeDate(text, out, 2, 0, 1);
}

bool CDateYMDConverter::Convert(const std::wstring& text, std::wstring& out) const
{
    return ComposeDate(text, out, 0, 1, 2);
}
