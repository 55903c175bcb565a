#include "host/kit/Numbers.h"

// The digits come from {fmt}'s public formatting, which gives the shortest round trip on every
// platform; std::to_chars for double is missing from some standard libraries a host is built with.
#include <fmt/compile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace Host
{
namespace
{

// Digits are copied CopySize at a time where they fit, which saves the library call of a copy
// of any size; the destination has room for the excess (NumberRoom).
constexpr int CopySize = 16;

// A finite value as digits, without leading or trailing zeros (a single "0" for zero), and the
// place of the decimal point counted from the first digit: 0.012 is "12" with point -1.
struct CDecimal
{
    // Room for the longest text, and for the copies of a fixed size that write it.
    char digits[24 + CopySize];
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
constexpr int MostPlaces = static_cast<int>(std::size(PowersOfTen)) - 1;

constexpr std::uint64_t IntegerPowersOfTen[] = {1ull,
                                                10ull,
                                                100ull,
                                                1000ull,
                                                10000ull,
                                                100000ull,
                                                1000000ull,
                                                10000000ull,
                                                100000000ull,
                                                1000000000ull,
                                                10000000000ull,
                                                100000000000ull,
                                                1000000000000ull,
                                                10000000000000ull,
                                                100000000000000ull,
                                                1000000000000000ull,
                                                10000000000000000ull,
                                                100000000000000000ull,
                                                1000000000000000000ull,
                                                10000000000000000000ull};

// The eight digits of n < 10^8, with its leading zeros, as the bytes of a word in memory order,
// made in its lanes rather than one by one: n's two halves of four digits go to the word's two
// halves, each of those splits into two 16-bit lanes of two digits, and each of those into two
// bytes. The products by 10486 / 2^20 and 103 / 2^10 divide by 100 and 10 exactly at these sizes,
// and no lane's product reaches the next lane.
std::uint64_t EightDigits(std::uint32_t n)
{
    const std::uint64_t fours = n / 10000 | std::uint64_t(n % 10000) << 32;
    const std::uint64_t hundreds = (fours * 10486 >> 20) & 0x0000007F0000007Fu;
    const std::uint64_t twos = hundreds | (fours - hundreds * 100) << 16;
    const std::uint64_t tens = (twos * 103 >> 10) & 0x000F000F000F000Fu;
    std::uint64_t digits = (tens | (twos - tens * 10) << 8) + 0x3030303030303030u;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    digits = __builtin_bswap64(digits);
#endif
    return digits;
}

// How many of the eight digit characters of word end it with zeros.
int TrailingZeroDigits(std::uint64_t word)
{
    const std::uint64_t differences = word ^ 0x3030303030303030u;
    if (!differences)
        return 8;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_ctzll(differences) / 8;
#else
    return __builtin_clzll(differences) / 8;
#endif
}

// A word of characters without its first k (0 <= k < 8), and one whose first k are the word's
// last: the moves of memory order as shifts of the word.
std::uint64_t ShiftedOut(std::uint64_t word, int k)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return word << (8 * k);
#else
    return word >> (8 * k);
#endif
}

std::uint64_t ShiftedIn(std::uint64_t word, int k)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return word >> (8 * k);
#else
    return word << (8 * k);
#endif
}

// The digits of n >= 1: from its bits, which give the count or one less.
int DecimalDigitCount(std::uint64_t n)
{
    const int bits = 64 - __builtin_clzll(n);
    const int guess = (bits * 1233) >> 12; // bits * log10(2), rounded down
    return guess + (n >= IntegerPowersOfTen[guess] ? 1 : 0);
}

// A value with a few decimal places, as coordinates, lengths and temperatures mostly are, by
// exact arithmetic rather than the general search for the shortest digits. The decimal with d
// places nearest to the value is the one integer nearest to value * 10^d over 10^d; while 10^-d is
// at least two ulps, no other decimal with d places rounds to the value. So the most places for
// which that holds are tried, once: a value that a decimal of fewer places rounds to gives that
// decimal's digits there, padded with zeros, which are dropped; a value that no such decimal rounds
// to (an angle in radians) fails the one test rather than one for each count of places.
bool ReadShortDecimal(double magnitude, CDecimal& decimal)
{
    // Two ulps of a normal value are 2^(e - 1074), e its exponent field; beyond e = 1074 they
    // exceed 1, which no count of places allows.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int exponentField = static_cast<int>(bits >> 52);
    if (exponentField < 53 || exponentField > 1074)
        return false;
    // 10^d * 2^-k is at most 1 for d up to floor(k * log10(2)), which k * 78913 / 2^18 gives
    // exactly for every k here.
    const int places = std::min(MostPlaces, ((1074 - exponentField) * 78913) >> 18);
    const double scale = PowersOfTen[places];
    // Below 2^52 here, so that the integer holds it exactly. Should the product's rounding have
    // moved it to another integer, the test fails and the general search gives the digits.
    std::uint64_t digits = static_cast<std::uint64_t>(magnitude * scale + 0.5);
    if (digits == 0 || static_cast<double>(digits) / scale != magnitude)
        return false;
    // Sixteen digits at most: two words of eight, from which the leading zeros are shifted out
    // before they are stored, each word once.
    const bool longer = digits >= 100000000;
    const std::uint64_t high =
        longer ? EightDigits(static_cast<std::uint32_t>(digits / 100000000)) : 0x3030303030303030u;
    const std::uint64_t low = EightDigits(static_cast<std::uint32_t>(digits % 100000000));
    const int count = DecimalDigitCount(digits);
    const int lowZeros = TrailingZeroDigits(low);
    const int zeros = lowZeros < 8 ? lowZeros : 8 + TrailingZeroDigits(high);
    const int skipped = 16 - count;
    std::uint64_t first = high;
    std::uint64_t second = low;
    if (skipped >= 8)
    {
        first = ShiftedOut(low, skipped - 8);
        second = 0;
    }
    else if (skipped > 0)
    {
        first = ShiftedOut(high, skipped) | ShiftedIn(low, 8 - skipped);
        second = ShiftedOut(low, skipped);
    }
    std::memcpy(decimal.digits, &first, 8);
    std::memcpy(decimal.digits + 8, &second, 8);
    decimal.point = count - places;
    decimal.count = count - zeros;
    return true;
}

char* Copy(char* out, const char* text, int count)
{
    if (count <= CopySize)
        std::memcpy(out, text, CopySize);
    else
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
bool IsLaidOut(const char* text, const char* end, NumberLayout layout, double magnitude)
{
    // From 10^-4 to 10^16 {fmt} writes fixed, with a point unless the value is whole; from 10^-3
    // to 10^15 the point is where both layouts would put it.
    if (magnitude >= 1e-3 && magnitude < 1e15)
        return magnitude != std::floor(magnitude);
    // The text is short: a loop finds its point and exponent sooner than the library's search.
    const char* point = nullptr;
    for (const char* at = text; at != end; ++at)
    {
        if (*at == '.')
            point = at;
        else if (*at == 'e')
            return false;
    }
    if (!point)
        return false;
    if (layout == NumberLayout::Json)
        return point - text <= 15;
    return end - text != 6 || std::memcmp(text, "0.000", 5) != 0;
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
    if (IsLaidOut(out, end, layout, magnitude))
        return end;
    const CDecimal decimal = ReadDecimal(out, end);
    return layout == NumberLayout::Json ? WriteJsonLayout(out, decimal)
                                        : WriteShortestLayout(out, decimal, magnitude);
}

void AppendNumber(std::string& out, double value, NumberLayout layout)
{
    char text[NumberRoom];
    out.append(text, static_cast<std::size_t>(WriteNumber(text, value, layout) - text));
}

std::string NumberText(double value, NumberLayout layout)
{
    std::string text;
    AppendNumber(text, value, layout);
    return text;
}

} // namespace Host
