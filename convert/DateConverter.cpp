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

namespace
{

// Gregorian year, month and day of a count of days since 1970-01-01 (proleptic calendar, eras of
// 400 years counted from 0000-03-01 so that the leap day ends each year).
void CivilFromDays(long days, long& year, int& month, int& day)
{
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

void AppendDigits(std::wstring& out, long number, int width)
{
    wchar_t digits[8];
    for (int i = width - 1; i >= 0; --i)
    {
        digits[i] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    }
    out.append(digits, digits + width);
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

} // namespace

bool CDateMJDConverter::Convert(const std::wstring& text, std::wstring& out) const
{
    // The day number: at least one digit, and never more than the last representable day.
    std::size_t i = 0;
    long day = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
    {
        day = day * 10 + (text[i] - L'0');
        if (day > MaxDay)
            return false;
    }
    if (i == 0)
        return false;
    // A fraction of a day does not change the date (the day starts at midnight).
    if (i < text.size())
    {
        if (text[i] != L'.' || i + 1 == text.size())
            return false;
        for (++i; i < text.size(); ++i)
            if (!IsDigit(text[i]))
                return false;
    }

    // MJD 0 is 1858-11-17, 40587 days before 1970-01-01.
    long year = 0;
    int month = 0;
    int dayOfMonth = 0;
    CivilFromDays(day - 40587, year, month, dayOfMonth);
    std::wstring date;
    date.reserve(8);
    AppendDigits(date, year, 4);
    AppendDigits(date, month, 2);
    AppendDigits(date, dayOfMonth, 2);
    out.swap(date);
    return true;
}
