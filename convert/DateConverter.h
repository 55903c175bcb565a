// Date texts of the file rewritten as year, month and day run together.
#pragma once

#include <string>

class IDateConverter
{
public:
    virtual ~IDateConverter() = default;
    // True when the date was composed into out (its content replaced); false leaves out as it was.
    virtual bool Convert(const std::wstring& text, std::wstring& out) const = 0;
};

// Dates written as three parts separated by "-" or "/", in an order fixed by the subclass.
class CDateConverterBase : public IDateConverter
{
protected:
    // Positions count the parts of the text from 0. Parts are taken as they stand: nothing is
    // padded, trimmed or range-checked, and parts after the third are ignored.
    static bool ComposeDate(const std::wstring& text, std::wstring& out, int yearPosition,
                            int monthPosition, int dayPosition);
};

class CDateDMYConverter final : public CDateConverterBase
{
public:
    bool Convert(const std::wstring& text, std::wstring& out) const override;
};

class CDateMDYConverter final : public CDateConverterBase
{
public:
    bool Convert(const std::wstring& text, std::wstring& out) const override;
};

class CDateYMDConverter final : public CDateConverterBase
{
public:
    bool Convert(const std::wstring& text, std::wstring& out) const override;
};

// Dates written as a Modified Julian Day number, the days since 1858-11-17, optionally with a
// fraction of a day ("58849", "58849.75"), rewritten as the Gregorian date in eight digits
// ("20200101"). Only a plain non-negative decimal number is read: digits, optionally a point and
// at least one more digit; no sign, no blanks, no exponent. Days past 9999-12-31 do not fit
// eight digits and are refused.
class CDateMJDConverter final : public IDateConverter
{
public:
    bool Convert(const std::wstring& text, std::wstring& out) const override;

    // The last day that still has a four-digit year.
    static constexpr long MaxDay = 2973483;
};
