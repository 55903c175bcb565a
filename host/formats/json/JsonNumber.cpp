#include "host/formats/json/JsonNumber.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace Host
{
namespace
{

constexpr std::uint64_t PowersOfFive[] = {
    1,         5,          25,         125,         625,          3125,
    15625,     78125,      390625,     1953125,     9765625,      48828125,
    244140625, 1220703125, 6103515625, 30517578125, 152587890625, 762939453125};
constexpr int MostDecimals = 17;

constexpr double PowersOfTen[] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                  1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

// How far the decimal with d decimals nearest to value = mantissa * 2^-(shift + d) lies from it,
// in units where an ulp of value is 5^d; its digits are the integer nearest to value * 10^d. With
// value * 10^d = mantissa * 5^d * 2^-shift, the distance is mantissa * 5^d - digits * 2^shift.
// Both products overflow, but the distance is below 2^62, so their difference modulo 2^64 is it.
struct CNearest
{
    std::uint64_t digits;
    std::uint64_t dist;
};

CNearest Nearest(double value, std::uint64_t mantissa, int shift, int d)
{
    const double scaled = value * PowersOfTen[d];
    // The product is rounded: its nearest integer may be one off, which only makes dist larger.
    const std::uint64_t digits = static_cast<std::uint64_t>(scaled + 0.5);
    const auto difference =
        static_cast<std::int64_t>(mantissa * PowersOfFive[d] - (digits << shift));
    return {digits, static_cast<std::uint64_t>(difference < 0 ? -difference : difference)};
}

// The digits of the decimal with the fewest decimals that lies inside the interval of reals
// rounding to value (positive, normal), when it is clear that Grisu2 finds that decimal too.
//
// Up to the decimals where 10^-d is still twice an ulp of value, the interval (an ulp wide) holds
// at most one decimal with d decimals, and the nearest is the one. Grisu2 shrinks the interval by a
// few parts in a thousand of an ulp, so a decimal nearer than 0.484 ulp to value is inside what it
// searches, and one between that and half an ulp is left to it. A decimal with d decimals is one
// with more too, so the fewest decimals are found by halving the range. The interval of a power
// of two is narrower below it; those are left to Grisu2.
bool ShortestDecimal(double value, std::uint64_t& digits, int& decimals)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int exponentField = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
    const std::uint64_t mantissa = fraction | std::uint64_t(1) << 52;
    // value = mantissa * 2^-bitsAfterPoint; more than 60 leave no room for the distance.
    const int bitsAfterPoint = 1075 - exponentField;
    if (exponentField == 0 || fraction == 0 || bitsAfterPoint <= 0 || bitsAfterPoint > 60)
        return false;
    auto unique = [&](int d)
    { return 2 * PowersOfFive[d] <= std::uint64_t(1) << (bitsAfterPoint - d); };
    // log10(2) estimates the most decimals; the checks settle it.
    int most = std::min(MostDecimals, static_cast<int>((bitsAfterPoint - 1) * 0.30103));
    while (most >= 0 && !unique(most))
        --most;
    while (most >= 0 && most < MostDecimals && unique(most + 1))
        ++most;
    // Values that need all their digits, such as angles converted to radians, are left to Grisu2
    // at once: only decimals with two places fewer than the most are looked for.
    most -= 2;
    if (most < 0)
        return false;
    auto nearest = [&](int d) { return Nearest(value, mantissa, bitsAfterPoint - d, d); };
    auto inside = [](const CNearest& n, int d)
    {
        const std::uint64_t ulp = PowersOfFive[d];
        return n.dist < ulp && 64 * n.dist < 31 * ulp;
    };
    CNearest found = nearest(most);
    if (!inside(found, most))
        return false;
    int low = 0;
    int high = most;
    while (low < high)
    {
        const int middle = (low + high) / 2;
        const CNearest n = nearest(middle);
        if (inside(n, middle))
        {
            found = n;
            high = middle;
        }
        else
            low = middle + 1;
    }
    if (high > 0)
    {
        // Nothing with fewer decimals may lie within half an ulp, where Grisu2 could find it.
        const CNearest before = nearest(high - 1);
        if (2 * before.dist < PowersOfFive[high - 1])
            return false;
    }
    digits = found.digits;
    decimals = high;
    return true;
}

constexpr std::uint64_t IntegerPowersOfTen[] = {1,
                                                10,
                                                100,
                                                1000,
                                                10000,
                                                100000,
                                                1000000,
                                                10000000,
                                                100000000,
                                                1000000000,
                                                10000000000,
                                                100000000000,
                                                1000000000000,
                                                10000000000000,
                                                100000000000000,
                                                1000000000000000,
                                                10000000000000000,
                                                100000000000000000,
                                                1000000000000000000};

int DigitCount(std::uint64_t n)
{
    int count = 1;
    while (count < 19 && n >= IntegerPowersOfTen[count])
        ++count;
    return count;
}

// Writes n with exactly width digits, zeros in front, two digits at a time.
char* WriteDigits(char* out, std::uint64_t n, int width)
{
    static const char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233"
        "34353637383940414243444546474849505152535455565758596061626364656667"
        "6869707172737475767778798081828384858687888990919293949596979899";
    char* at = out + width;
    while (at - out >= 2)
    {
        const std::size_t pair = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        at -= 2;
        at[0] = pairs[pair];
        at[1] = pairs[pair + 1];
    }
    if (at != out)
        *--at = static_cast<char>('0' + n % 10);
    return out + width;
}

// value (positive) in %g's fixed layout, which the serializer uses while the decimal point lies
// within 15 digits after the first digit and no more than 3 zeros before it.
bool WriteFixed(char* out, double value, char*& end)
{
    std::uint64_t digits = 0;
    int decimals = 0;
    if (!ShortestDecimal(value, digits, decimals))
        return false;
    // No whole number lies between value and its decimal, which are less than an ulp apart
    // while decimals with this many places are two apart, so both have the same whole part.
    const std::uint64_t whole = decimals ? static_cast<std::uint64_t>(value) : digits;
    const int wholeDigits = DigitCount(whole);
    const int point = whole ? wholeDigits : DigitCount(digits) - decimals;
    if (point > 15 || point <= -4)
        return false;
    out = WriteDigits(out, whole, wholeDigits);
    *out++ = '.';
    if (decimals == 0)
        *out++ = '0';
    else
        out = WriteDigits(out, digits - whole * IntegerPowersOfTen[decimals], decimals);
    end = out;
    return true;
}

} // namespace

char* WriteJsonNumber(char* out, double value)
{
    if (!std::isfinite(value))
    {
        std::memcpy(out, "null", 4);
        return out + 4;
    }
    char* start = out;
    if (std::signbit(value))
        *out++ = '-';
    char* end = nullptr;
    if (WriteFixed(out, std::fabs(value), end))
        return end;
    return nlohmann::detail::to_chars(start, start + JsonNumberRoom, value);
}

} // namespace Host
