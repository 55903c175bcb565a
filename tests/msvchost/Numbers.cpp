// Exact arithmetic on big integers settles every rounding question, so the texts agree with those
// of a correct C library: the exact decimal expansion of a binary number gives its rounded
// digits, and a decimal number is compared exactly with the midpoints between neighbouring
// binary numbers to find the one it rounds to.
#include "Numbers.h"

#include <stdint.h>

namespace Numbers
{
namespace
{

// A non-negative integer of up to 4096 bits, least significant word first.
class Big
{
public:
    explicit Big(uint64_t value)
    {
        for (; value; value >>= 32)
            m_words[m_size++] = static_cast<uint32_t>(value);
    }

    bool IsZero() const { return m_size == 0; }

    void MulSmall(uint32_t factor)
    {
        uint64_t carry = 0;
        for (int i = 0; i < m_size; ++i)
        {
            const uint64_t product = static_cast<uint64_t>(m_words[i]) * factor + carry;
            m_words[i] = static_cast<uint32_t>(product);
            carry = product >> 32;
        }
        if (carry)
            Push(static_cast<uint32_t>(carry));
    }

    void AddSmall(uint32_t addend)
    {
        uint64_t carry = addend;
        for (int i = 0; i < m_size && carry; ++i)
        {
            const uint64_t sum = m_words[i] + carry;
            m_words[i] = static_cast<uint32_t>(sum);
            carry = sum >> 32;
        }
        if (carry)
            Push(static_cast<uint32_t>(carry));
    }

    void MulPow5(int exponent)
    {
        static const uint32_t powers[] = {1,       5,        25,        125,       625,
                                          3125,    15625,    78125,     390625,    1953125,
                                          9765625, 48828125, 244140625, 1220703125};
        for (; exponent >= 13; exponent -= 13)
            MulSmall(powers[13]);
        if (exponent > 0)
            MulSmall(powers[exponent]);
    }

    void ShiftLeft(int bits)
    {
        if (IsZero() || bits <= 0)
            return;
        const int words = bits / 32;
        const int rest = bits % 32;
        if (m_size + words + 1 > Capacity)
        {
            m_overflow = true;
            return;
        }
        uint32_t spill = 0;
        if (rest)
        {
            for (int i = 0; i < m_size; ++i)
            {
                const uint32_t word = m_words[i];
                m_words[i] = (word << rest) | spill;
                spill = word >> (32 - rest);
            }
        }
        for (int i = m_size - 1; i >= 0; --i)
            m_words[i + words] = m_words[i];
        for (int i = 0; i < words; ++i)
            m_words[i] = 0;
        m_size += words;
        if (spill)
            m_words[m_size++] = spill;
    }

    // Divides by divisor in place and returns the remainder.
    uint32_t DivSmall(uint32_t divisor)
    {
        uint64_t remainder = 0;
        for (int i = m_size - 1; i >= 0; --i)
        {
            const uint64_t current = (remainder << 32) | m_words[i];
            m_words[i] = static_cast<uint32_t>(current / divisor);
            remainder = current % divisor;
        }
        while (m_size > 0 && m_words[m_size - 1] == 0)
            --m_size;
        return static_cast<uint32_t>(remainder);
    }

    bool Overflowed() const { return m_overflow; }

    static int Compare(const Big& a, const Big& b)
    {
        if (a.m_size != b.m_size)
            return a.m_size < b.m_size ? -1 : 1;
        for (int i = a.m_size - 1; i >= 0; --i)
            if (a.m_words[i] != b.m_words[i])
                return a.m_words[i] < b.m_words[i] ? -1 : 1;
        return 0;
    }

private:
    static constexpr int Capacity = 128;

    void Push(uint32_t word)
    {
        if (m_size == Capacity)
            m_overflow = true;
        else
            m_words[m_size++] = word;
    }

    uint32_t m_words[Capacity];
    int m_size = 0;
    bool m_overflow = false;
};

// The sign of digits * 10^decimalExponent - multiple * 2^binaryExponent.
__attribute__((noinline)) int CompareScaled(const Big& digits, int decimalExponent,
                                            uint64_t multiple, int binaryExponent)
{
    const int twos = decimalExponent < binaryExponent ? decimalExponent : binaryExponent;
    const int fives = decimalExponent < 0 ? decimalExponent : 0;
    Big left = digits;
    left.MulPow5(decimalExponent - fives);
    left.ShiftLeft(decimalExponent - twos);
    Big right(multiple);
    right.MulPow5(-fives);
    right.ShiftLeft(binaryExponent - twos);
    return Big::Compare(left, right);
}

// A positive binary number: mantissa * 2^exponent, as a double or a float holds it.
struct Binary
{
    uint64_t mantissa;
    int exponent;
    bool narrowBelow; // the gap to the next smaller number is half the gap above
};

struct Format
{
    int mantissaBits; // without the hidden bit
    int exponentBits;
};

constexpr Format DoubleFormat = {52, 11};
constexpr Format FloatFormat = {23, 8};

Binary Decompose(uint64_t bits, Format format)
{
    const uint64_t fraction = bits & ((uint64_t{1} << format.mantissaBits) - 1);
    const int biased = static_cast<int>(bits >> format.mantissaBits);
    const int bias = (1 << (format.exponentBits - 1)) - 1 + format.mantissaBits;
    if (biased == 0)
        return {fraction, 1 - bias, false};
    return {fraction | (uint64_t{1} << format.mantissaBits), biased - bias,
            fraction == 0 && biased > 1};
}

// Whether digits * 10^exponent reads as the binary number: it lies between the midpoints to
// both neighbours, or on one of them when the number's mantissa is even.
bool ReadsAs(const Big& digits, int exponent, const Binary& number)
{
    const bool even = (number.mantissa & 1) == 0;
    const int above = CompareScaled(digits, exponent, 2 * number.mantissa + 1, number.exponent - 1);
    if (above > 0 || (above == 0 && !even))
        return false;
    if (number.mantissa == 0)
        return true;
    const int below =
        number.narrowBelow
            ? CompareScaled(digits, exponent, 4 * number.mantissa - 1, number.exponent - 2)
            : CompareScaled(digits, exponent, 2 * number.mantissa - 1, number.exponent - 1);
    return below > 0 || (below == 0 && even);
}

Big FromDigits(const char* digits, int count)
{
    Big value(0);
    for (int i = 0; i < count; ++i)
    {
        value.MulSmall(10);
        value.AddSmall(static_cast<uint32_t>(digits[i] - '0'));
    }
    return value;
}

// The largest bit pattern of a finite positive number of the format.
uint64_t LargestFinite(Format format)
{
    return ((((uint64_t{1} << format.exponentBits) - 1) << format.mantissaBits)) - 1;
}

// The bit pattern of the number that digits * 10^exponent rounds to, to nearest with ties to
// even; past the largest finite number, that of infinity. The patterns of positive numbers
// ascend with their values, so a binary search over them finds the first whose upper midpoint
// is not below the decimal.
uint64_t RoundToBinary(const Big& digits, int exponent, Format format)
{
    uint64_t low = 0;
    uint64_t high = LargestFinite(format) + 1; // the infinity pattern
    while (low < high)
    {
        const uint64_t middle = low + (high - low) / 2;
        const Binary number = Decompose(middle, format);
        const int above =
            CompareScaled(digits, exponent, 2 * number.mantissa + 1, number.exponent - 1);
        const bool notAbove = above < 0 || (above == 0 && (number.mantissa & 1) == 0);
        if (notAbove)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

size_t CopyText(const char* text, char* out)
{
    size_t length = 0;
    for (; text[length]; ++length)
        out[length] = text[length];
    out[length] = '\0';
    return length;
}

size_t FormatInteger(int64_t value, char* out)
{
    char reversed[24];
    int count = 0;
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do
    {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    size_t length = 0;
    if (value < 0)
        out[length++] = '-';
    while (count)
        out[length++] = reversed[--count];
    out[length] = '\0';
    return length;
}

// The exact decimal expansion of a positive binary number: value = digits * 10^exponent.
struct Expansion
{
    char digits[800];
    int count;
    int exponent;
};

void Expand(const Binary& number, Expansion& out)
{
    Big value(number.mantissa);
    if (number.exponent >= 0)
    {
        value.ShiftLeft(number.exponent);
        out.exponent = 0;
    }
    else
    {
        value.MulPow5(-number.exponent);
        out.exponent = number.exponent;
    }
    char reversed[sizeof out.digits];
    int count = 0;
    while (!value.IsZero() && count + 9 <= static_cast<int>(sizeof reversed))
    {
        uint32_t chunk = value.DivSmall(1000000000u);
        for (int i = 0; i < 9; ++i, chunk /= 10)
            reversed[count++] = static_cast<char>('0' + chunk % 10);
    }
    while (count > 1 && reversed[count - 1] == '0')
        --count;
    out.count = count;
    for (int i = 0; i < count; ++i)
        out.digits[i] = reversed[count - 1 - i];
}

// "%.*g" of the number rounded to precision digits (ties to even): digits holds them, and the
// result's decimal exponent is returned.
int RoundDigits(const Expansion& exact, int precision, char* digits)
{
    int leading = exact.count - 1 + exact.exponent;
    for (int i = 0; i < precision; ++i)
        digits[i] = i < exact.count ? exact.digits[i] : '0';
    if (exact.count <= precision)
        return leading;
    bool up = false;
    const char next = exact.digits[precision];
    if (next > '5')
        up = true;
    else if (next == '5')
    {
        bool rest = false;
        for (int i = precision + 1; i < exact.count && !rest; ++i)
            rest = exact.digits[i] != '0';
        up = rest || ((digits[precision - 1] - '0') & 1) != 0;
    }
    if (up)
    {
        int i = precision - 1;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i >= 0)
            ++digits[i];
        else
        {
            digits[0] = '1';
            ++leading;
        }
    }
    return leading;
}

size_t WriteG(bool negative, const char* digits, int precision, int leading, char* out)
{
    int used = precision;
    size_t length = 0;
    if (negative)
        out[length++] = '-';
    if (leading < -4 || leading >= precision)
    {
        while (used > 1 && digits[used - 1] == '0')
            --used;
        out[length++] = digits[0];
        if (used > 1)
        {
            out[length++] = '.';
            for (int i = 1; i < used; ++i)
                out[length++] = digits[i];
        }
        out[length++] = 'e';
        out[length++] = leading < 0 ? '-' : '+';
        const int magnitude = leading < 0 ? -leading : leading;
        if (magnitude >= 100)
            out[length++] = static_cast<char>('0' + magnitude / 100);
        out[length++] = static_cast<char>('0' + magnitude / 10 % 10);
        out[length++] = static_cast<char>('0' + magnitude % 10);
    }
    else
    {
        // Fixed notation keeps every digit up to the units, then the fraction without trailing
        // zeros.
        const int whole = leading >= 0 ? leading + 1 : 0;
        while (used > whole && digits[used - 1] == '0')
            --used;
        if (leading < 0)
        {
            out[length++] = '0';
            if (used > 0)
            {
                out[length++] = '.';
                for (int i = 0; i < -leading - 1; ++i)
                    out[length++] = '0';
            }
            for (int i = 0; i < used; ++i)
                out[length++] = digits[i];
        }
        else
        {
            for (int i = 0; i < whole; ++i)
                out[length++] = digits[i];
            if (used > whole)
            {
                out[length++] = '.';
                for (int i = whole; i < used; ++i)
                    out[length++] = digits[i];
            }
        }
    }
    out[length] = '\0';
    return length;
}

// The shortest "%.*g" text of a positive binary number that reads back as the same number.
size_t FormatShortest(bool negative, const Binary& number, int maxPrecision, char* out)
{
    static Expansion exact;
    Expand(number, exact);
    char digits[20];
    for (int precision = 1;; ++precision)
    {
        const int leading = RoundDigits(exact, precision, digits);
        if (precision == maxPrecision ||
            ReadsAs(FromDigits(digits, precision), leading - precision + 1, number))
            return WriteG(negative, digits, precision, leading, out);
    }
}

bool IsSpace(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

} // namespace

bool ParseDouble(const wchar_t* text, double* value)
{
    const wchar_t* p = text;
    while (IsSpace(*p))
        ++p;
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+')
        ++p;

    // The significant digits, without leading zeros; value = digits * 10^exponent.
    static char digits[401];
    int count = 0;
    int exponent = 0;
    bool anyDigit = false;
    bool tooLong = false;
    for (bool fraction = false;; ++p)
    {
        if (*p == L'.' && !fraction)
        {
            fraction = true;
            continue;
        }
        if (*p < L'0' || *p > L'9')
            break;
        anyDigit = true;
        if (fraction)
            --exponent;
        if (count == 0 && *p == L'0')
            continue;
        if (count == static_cast<int>(sizeof digits))
            tooLong = true;
        else
            digits[count++] = static_cast<char>(*p);
    }
    if (!anyDigit || tooLong)
        return false;
    if (*p == L'e' || *p == L'E')
    {
        const wchar_t* q = p + 1;
        const bool negativeExponent = *q == L'-';
        if (*q == L'-' || *q == L'+')
            ++q;
        if (*q >= L'0' && *q <= L'9')
        {
            int written = 0;
            for (; *q >= L'0' && *q <= L'9'; ++q)
                if (written < 100000)
                    written = written * 10 + (*q - L'0');
            exponent += negativeExponent ? -written : written;
            p = q;
        }
    }
    if (*p != L'\0')
        return false;

    while (count > 0 && digits[count - 1] == '0')
    {
        --count;
        ++exponent;
    }
    uint64_t bits = 0;
    const int leading = count - 1 + exponent;
    if (count == 0 || leading < -400)
        bits = 0;
    else if (leading > 400)
        bits = LargestFinite(DoubleFormat) + 1;
    else
        bits = RoundToBinary(FromDigits(digits, count), exponent, DoubleFormat);
    if (negative)
        bits |= uint64_t{1} << 63;
    __builtin_memcpy(value, &bits, sizeof bits);
    return true;
}

size_t FormatDouble(double value, char* out)
{
    if (value > -1e15 && value < 1e15 && value == static_cast<double>(static_cast<int64_t>(value)))
        return FormatInteger(static_cast<int64_t>(value), out);
    uint64_t bits;
    __builtin_memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    bits &= ~(uint64_t{1} << 63);
    if (bits > LargestFinite(DoubleFormat))
        return CopyText(
            bits == LargestFinite(DoubleFormat) + 1 ? (negative ? "-inf" : "inf") : "nan", out);
    return FormatShortest(negative, Decompose(bits, DoubleFormat), 17, out);
}

size_t FormatFloat(float value, char* out)
{
    if (value > -1e9f && value < 1e9f && value == static_cast<float>(static_cast<int64_t>(value)))
        return FormatInteger(static_cast<int64_t>(value), out);
    uint32_t bits32;
    __builtin_memcpy(&bits32, &value, sizeof bits32);
    uint64_t bits = bits32;
    const bool negative = (bits >> 31) != 0;
    bits &= ~(uint64_t{1} << 31);
    if (bits > LargestFinite(FloatFormat))
        return CopyText(
            bits == LargestFinite(FloatFormat) + 1 ? (negative ? "-inf" : "inf") : "nan", out);
    return FormatShortest(negative, Decompose(bits, FloatFormat), 9, out);
}

} // namespace Numbers
