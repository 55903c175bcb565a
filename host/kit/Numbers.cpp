#include "host/kit/Numbers.h"

// The digits come from {fmt}'s public formatting, which gives the shortest round trip on every
// platform; std::to_chars for double is missing from some standard libraries a host is built with.
#include <fmt/compile.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace Host
{
namespace
{

// A finite value as digits, without leading or trailing zeros (a single "0" for zero), and the
// place of the decimal point counted from the first digit: 0.012 is "12" with point -1.
struct CDecimal
{
    char digits[24];
    int count = 0;
    int point = 0;
};

// Reads {fmt}'s text of a non-negative finite value, whichever layout it chose.
CDecimal ReadDecimal(const char* text, const char* end)
{
    CDecimal decimal;
    int wholeDigits = -1;
    const char* at = text;
    for (; at != end && *at != 'e'; ++at)
    {
        if (*at == '.')
            wholeDigits = decimal.count;
        else if (*at != '0' || decimal.count > 0)
            decimal.digits[decimal.count++] = *at;
        else if (wholeDigits >= 0)
            --decimal.point; // a zero between the point and the first digit
    }
    if (wholeDigits < 0)
        wholeDigits = static_cast<int>(at - text);
    int exponent = 0;
    if (at != end)
    {
        const bool negative = at[1] == '-';
        for (at += 2; at != end; ++at)
            exponent = exponent * 10 + (*at - '0');
        if (negative)
            exponent = -exponent;
    }
    if (decimal.count == 0)
    {
        decimal.digits[decimal.count++] = '0';
        decimal.point = 1;
        return decimal;
    }
    decimal.point += wholeDigits + exponent;
    while (decimal.digits[decimal.count - 1] == '0')
        --decimal.count;
    return decimal;
}

constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};

// A value with a few decimal places, as coordinates, lengths and temperatures mostly are, by
// exact arithmetic rather than the general search for the shortest digits. The decimal with d
// places nearest to the value is the one integer nearest to value * 10^d over 10^d; while 10^-d is
// at least two ulps, no other decimal with d places rounds to the value. So the most places for
// which that holds are tried, once: a value that a decimal of fewer places rounds to gives that
// decimal's digits there, padded with zeros, which are dropped; a value that no such decimal rounds
// to (an angle in radians) fails the one test rather than one for each count of places.
bool ReadShortDecimal(double magnitude, CDecimal& decimal)
{
    // Two ulps of a normal value: its exponent field, less the 52 bits of its fraction, plus one.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const std::uint64_t exponentField = bits >> 52;
    if (exponentField < 53)
        return false;
    const std::uint64_t twoUlpsBits = (exponentField - 51) << 52;
    double twoUlps = 0;
    std::memcpy(&twoUlps, &twoUlpsBits, sizeof twoUlps);
    int places = static_cast<int>(std::size(PowersOfTen)) - 1;
    while (places >= 0 && twoUlps * PowersOfTen[places] > 1)
        --places;
    if (places < 0)
        return false;
    const double scale = PowersOfTen[places];
    // Below 2^52 here, so that the integer holds it exactly. Should the product's rounding have
    // moved it to another integer, the test fails and the general search gives the digits.
    std::uint64_t digits = static_cast<std::uint64_t>(magnitude * scale + 0.5);
    if (static_cast<double>(digits) / scale != magnitude)
        return false;
    char text[20];
    int count = 0;
    do
    {
        text[count++] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits);
    decimal.point = count - places;
    int zeros = 0;
    while (zeros < count - 1 && text[zeros] == '0')
        ++zeros;
    decimal.count = count - zeros;
    for (int i = 0; i < decimal.count; ++i)
        decimal.digits[i] = text[count - 1 - i];
    return true;
}

char* Copy(char* out, const char* text, int count)
{
    std::memcpy(out, text, static_cast<std::size_t>(count));
    return out + count;
}

char* Zeros(char* out, int count)
{
    std::memset(out, '0', static_cast<std::size_t>(count));
    return out + count;
}

// The fixed layout: "1200", "12.5", "0.0125"; wholeSuffix follows whole numbers.
char* WriteFixed(char* out, const CDecimal& d, const char* wholeSuffix)
{
    if (d.point >= d.count)
    {
        out = Zeros(Copy(out, d.digits, d.count), d.point - d.count);
        const std::size_t suffix = std::strlen(wholeSuffix);
        std::memcpy(out, wholeSuffix, suffix);
        return out + suffix;
    }
    if (d.point > 0)
    {
        out = Copy(out, d.digits, d.point);
        *out++ = '.';
        return Copy(out, d.digits + d.point, d.count - d.point);
    }
    *out++ = '0';
    *out++ = '.';
    return Copy(Zeros(out, -d.point), d.digits, d.count);
}

int ExponentDigits(int exponent)
{
    exponent = exponent < 0 ? -exponent : exponent;
    return exponent < 100 ? 2 : 3;
}

// The scientific layout printf has too: "1e+16", "1.25e-07", at least two exponent digits.
char* WriteScientific(char* out, const CDecimal& d)
{
    *out++ = d.digits[0];
    if (d.count > 1)
    {
        *out++ = '.';
        out = Copy(out, d.digits + 1, d.count - 1);
    }
    int exponent = d.point - 1;
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    exponent = exponent < 0 ? -exponent : exponent;
    if (exponent >= 100)
        *out++ = static_cast<char>('0' + exponent / 100);
    *out++ = static_cast<char>('0' + exponent / 10 % 10);
    *out++ = static_cast<char>('0' + exponent % 10);
    return out;
}

int FixedLength(const CDecimal& d)
{
    if (d.point >= d.count)
        return d.point;
    return d.point > 0 ? d.count + 1 : d.count + 2 - d.point;
}

int ScientificLength(const CDecimal& d)
{
    return d.count + (d.count > 1 ? 1 : 0) + 2 + ExponentDigits(d.point - 1);
}

// Whole numbers from 2^53 on may differ from their shortest digits padded with zeros; the
// layout of std::to_chars writes their exact value, as printf's %.0f does.
char* WriteShortestLayout(char* out, const CDecimal& d, double magnitude)
{
    if (FixedLength(d) > ScientificLength(d))
        return WriteScientific(out, d);
    if (d.point > d.count && magnitude >= 9007199254740992.0)
        return fmt::format_to(out, FMT_COMPILE("{:.0f}"), magnitude);
    return WriteFixed(out, d, "");
}

char* WriteJsonLayout(char* out, const CDecimal& d)
{
    if (d.point > -4 && d.point <= 15)
        return WriteFixed(out, d, ".0");
    return WriteScientific(out, d);
}

char* WriteNotFinite(char* out, double value, NumberLayout layout)
{
    const char* text = layout == NumberLayout::Json ? "null"
                       : std::isnan(value)          ? (std::signbit(value) ? "-nan" : "nan")
                       : value < 0                  ? "-inf"
                                                    : "inf";
    const std::size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

// Most values are fractions that {fmt} writes in fixed layout ("412345.1234", "0.0125"), which
// is what both layouts write too, but for a point after more than 15 digits in JSON, and for a
// single digit after "0.000" which the shortest layout writes as "1e-04".
bool IsLaidOut(const char* text, const char* end, NumberLayout layout)
{
    const auto length = static_cast<std::size_t>(end - text);
    const void* point = std::memchr(text, '.', length);
    if (!point || std::memchr(text, 'e', length))
        return false;
    if (layout == NumberLayout::Json)
        return static_cast<const char*>(point) - text <= 15;
    return length != 6 || std::memcmp(text, "0.000", 5) != 0;
}

} // namespace

char* WriteNumber(char* out, double value, NumberLayout layout)
{
    if (!std::isfinite(value))
        return WriteNotFinite(out, value, layout);
    if (std::signbit(value))
        *out++ = '-';
    const double magnitude = std::fabs(value);
    CDecimal shortDecimal;
    if (magnitude != 0 && ReadShortDecimal(magnitude, shortDecimal))
        return layout == NumberLayout::Json ? WriteJsonLayout(out, shortDecimal)
                                            : WriteShortestLayout(out, shortDecimal, magnitude);
    // The longest text is 23 bytes, as in "1.2345678901234567e-308".
    char* const end = fmt::format_to(out, FMT_COMPILE("{}"), magnitude);
    if (IsLaidOut(out, end, layout))
        return end;
    const CDecimal decimal = ReadDecimal(out, end);
    return layout == NumberLayout::Json ? WriteJsonLayout(out, decimal)
                                        : WriteShortestLayout(out, decimal, magnitude);
}

void AppendNumber(std::string& out, double value, NumberLayout layout)
{
    char text[NumberRoom];
    out.append(text, WriteNumber(text, value, layout));
}

std::string NumberText(double value, NumberLayout layout)
{
    std::string text;
    AppendNumber(text, value, layout);
    return text;
}

} // namespace Host
