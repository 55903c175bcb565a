#include "host/kit/UnitConverters.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <string>
#include <string_view>

namespace Host
{
namespace
{

constexpr double Pi = 3.14159265358979323846;

// The millimetre of mercury is 133.322387415 Pa; the inch of mercury is 25.4 of them.
constexpr double HectopascalsPerMillimetreOfMercury = 1.33322387415;
constexpr double HectopascalsPerInchOfMercury = 25.4 * HectopascalsPerMillimetreOfMercury;

// A text made of ASCII characters only, narrowed for the library's full conversion. The fields
// of a file are short: the buffer is on the stack, and only a longer text goes to the heap.
class CNarrowText
{
public:
    // False for any character beyond ASCII.
    bool Assign(std::wstring_view text)
    {
        char* out = m_short;
        if (text.size() > sizeof m_short)
        {
            m_long.resize(text.size());
            out = m_long.data();
        }
        for (std::size_t i = 0; i < text.size(); ++i)
        {
            if (static_cast<std::uint32_t>(text[i]) >= 0x80)
                return false;
            out[i] = static_cast<char>(text[i]);
        }
        m_text = std::string_view(out, text.size());
        return true;
    }

    std::string_view View() const { return m_text; }

private:
    char m_short[64];
    std::string m_long;
    std::string_view m_text;
};

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// The powers of ten that a double holds exactly.
constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Where a text ends: at last, or for a Terminated text at its null, which no loop below reads
// past, as a null is neither a digit, a sign nor a point.
template <bool Terminated> struct CTextEnd
{
    const wchar_t* last;
    bool Before(const wchar_t* p) const { return Terminated || p != last; }
    bool At(const wchar_t* p) const { return Terminated ? *p == L'\0' : p == last; }
};

// Adds the digits from p on to digits; returns the first character that is not one. A character
// below '0' wraps around to a large value, so one comparison tells a digit.
template <bool Terminated>
const wchar_t* AddDigits(const wchar_t* p, CTextEnd<Terminated> end, std::uint64_t& digits)
{
    for (; end.Before(p); ++p)
    {
        const std::uint32_t digit = static_cast<std::uint32_t>(*p) - L'0';
        if (digit > 9)
            break;
        digits = digits * 10 + digit;
    }
    return p;
}

// The usual field: digits, an optional minus before them and an optional point between them.
// When its digits make an integer of at most 2^53 and it has at most 22 decimals, the integer and
// the power of ten are both exact, so one division rounds the value as a full conversion does.
// False for any other text, which is left to the full conversion.
template <bool Terminated>
bool ReadPlainDecimal(const wchar_t* p, CTextEnd<Terminated> end, double& value)
{
    const bool negative = end.Before(p) && *p == L'-';
    if (negative)
        ++p;
    std::uint64_t digits = 0;
    const wchar_t* wholeStart = p;
    p = AddDigits(p, end, digits);
    const std::size_t wholeDigits = static_cast<std::size_t>(p - wholeStart);
    std::size_t decimals = 0;
    if (end.Before(p) && *p == L'.')
    {
        const wchar_t* decimalStart = ++p;
        p = AddDigits(p, end, digits);
        decimals = static_cast<std::size_t>(p - decimalStart);
        if (decimals == 0)
            return false;
    }
    // Up to nineteen digits, the integer cannot have overflowed.
    constexpr std::uint64_t ExactLimit = std::uint64_t(1) << 53;
    if (!end.At(p) || wholeDigits == 0 || wholeDigits + decimals > 19 || digits > ExactLimit ||
        decimals >= std::size(ExactPowersOfTen))
        return false;
    const double magnitude = static_cast<double>(digits) / ExactPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

bool IsExponentMark(char c)
{
    return c == 'e' || c == 'E';
}

bool IsNonZeroDigit(char c)
{
    return c >= '1' && c <= '9';
}

// The whole text as one number by the library's conversion, which reads every form it has.
bool ReadFully(std::wstring_view text, double& value)
{
    CNarrowText narrow;
    if (!narrow.Assign(text))
        return false;
    const char* first = narrow.View().data();
    const char* last = first + narrow.View().size();
    double result = 0;
    // fast_float, as not every host's library converts a double (libc++ 13 of the browser
    // build does not).
    auto [end, error] =
        fast_float::from_chars(first, last, result, fast_float::chars_format::general);
    if (error != std::errc() || end != last || first == last || !std::isfinite(result))
        return false;
    // A value too small for a double comes back as zero, where the standard conversion calls it
    // out of range: it is refused as it always was.
    const char* exponent = std::find_if(first, last, IsExponentMark);
    if (result == 0 && std::find_if(first, exponent, IsNonZeroDigit) != exponent)
        return false;
    value = result;
    return true;
}

bool ReadNumber(std::wstring_view text, double& value)
{
    return ReadPlainDecimal(text.data(), CTextEnd<false>{text.data() + text.size()}, value) ||
           ReadFully(text, value);
}

typedef bool (*ConvertFunction)(const wchar_t* text, double& value);

} // namespace

struct CUnitConverterFactory::CShared
{
    std::atomic<std::int32_t> liveConverters{0};
    std::atomic<IConverterEvents*> events{nullptr};
};

namespace
{

using CShared = CUnitConverterFactory::CShared;

// One counted converter for the interface I; the unit is its function.
template <class I> class CConverter final : public I
{
public:
    CConverter(Quantity quantity, std::int32_t unitCode, ConvertFunction convert,
               std::shared_ptr<CShared> shared)
        : m_quantity(quantity), m_unitCode(unitCode), m_convert(convert),
          m_shared(std::move(shared))
    {
        ++m_shared->liveConverters;
    }

    void AddRef() override { ++m_references; }

    bool Release() override
    {
        if (--m_references != 0)
            return false;
        delete this;
        return true;
    }

    bool Convert(const wchar_t* text, double* value) override
    {
        if (!value || !text)
            return false;
        double result = 0;
        if (Read(text, result))
        {
            *value = result;
            return true;
        }
        if (IConverterEvents* events = m_shared->events)
        {
            try
            {
                events->ValueRefused(m_quantity, m_unitCode, text);
            }
            catch (...)
            {
            }
        }
        return false;
    }

private:
    ~CConverter() { --m_shared->liveConverters; }

    // A finite text never becomes an infinite value: the receiver could not tell it from a
    // value the file did not give.
    bool Read(const wchar_t* text, double& result) const
    {
        try
        {
            return m_convert(text, result) && std::isfinite(result);
        }
        catch (...)
        {
            return false;
        }
    }

    Quantity m_quantity;
    std::int32_t m_unitCode;
    ConvertFunction m_convert;
    std::shared_ptr<CShared> m_shared;
    std::atomic<std::int32_t> m_references{1};
};

bool Radians(const wchar_t* text, double& value)
{
    return ReadDecimal(text, value);
}

bool DmsToRadians(const wchar_t* text, double& value)
{
    double degrees = 0;
    if (!ReadDottedDms(text, degrees))
        return false;
    value = degrees * (Pi / 180.0);
    return true;
}

bool DegreesToRadians(const wchar_t* text, double& value)
{
    double degrees = 0;
    if (!ReadDecimal(text, degrees))
        return false;
    value = degrees * (Pi / 180.0);
    return true;
}

bool GradsToRadians(const wchar_t* text, double& value)
{
    double grads = 0;
    if (!ReadDecimal(text, grads))
        return false;
    value = grads * (Pi / 200.0);
    return true;
}

bool Metres(const wchar_t* text, double& value)
{
    return ReadDecimal(text, value);
}

bool InternationalFeetToMetres(const wchar_t* text, double& value)
{
    double feet = 0;
    if (!ReadDecimal(text, feet))
        return false;
    value = feet * 0.3048;
    return true;
}

bool UsSurveyFeetToMetres(const wchar_t* text, double& value)
{
    double feet = 0;
    if (!ReadDecimal(text, feet))
        return false;
    value = feet * 1200.0 / 3937.0;
    // The product overflows before the quotient brings it back into range.
    if (!std::isfinite(value))
        value = feet / 3937.0 * 1200.0;
    return true;
}

bool Celsius(const wchar_t* text, double& value)
{
    return ReadDecimal(text, value);
}

bool FahrenheitToCelsius(const wchar_t* text, double& value)
{
    double fahrenheit = 0;
    if (!ReadDecimal(text, fahrenheit))
        return false;
    value = (fahrenheit - 32.0) * 5.0 / 9.0;
    if (!std::isfinite(value))
        value = (fahrenheit - 32.0) / 9.0 * 5.0;
    return true;
}

bool MillimetresOfMercuryToHectopascals(const wchar_t* text, double& value)
{
    double millimetres = 0;
    if (!ReadDecimal(text, millimetres))
        return false;
    value = millimetres * HectopascalsPerMillimetreOfMercury;
    return true;
}

bool Hectopascals(const wchar_t* text, double& value)
{
    return ReadDecimal(text, value);
}

bool InchesOfMercuryToHectopascals(const wchar_t* text, double& value)
{
    double inches = 0;
    if (!ReadDecimal(text, inches))
        return false;
    value = inches * HectopascalsPerInchOfMercury;
    return true;
}

template <class I>
I* Make(Quantity quantity, std::int32_t unitCode, ConvertFunction convert,
        const std::shared_ptr<CShared>& shared)
{
    if (!convert)
        return nullptr;
    I* converter = new (std::nothrow) CConverter<I>(quantity, unitCode, convert, shared);
    if (!converter)
        return nullptr;
    if (IConverterEvents* events = shared->events)
    {
        try
        {
            events->ConverterMade(quantity, unitCode);
        }
        catch (...)
        {
        }
    }
    return converter;
}

// A field of one or two digits at p, ending at the end of the text or at a point: its value with
// a single digit taken as the tens ("3" is 30), and p moved past it. False for an empty field,
// three digits or more, or anything but digits.
bool PositionalField(const wchar_t*& p, int& value)
{
    const wchar_t* start = p;
    while (IsDigit(*p))
        ++p;
    const std::ptrdiff_t digits = p - start;
    if (digits == 0 || digits > 2 || (*p != L'\0' && *p != L'.'))
        return false;
    value = static_cast<int>(start[0] - L'0') * 10 +
            (digits == 2 ? static_cast<int>(start[1] - L'0') : 0);
    return true;
}

} // namespace

bool ReadDecimal(const wchar_t* text, double& value)
{
    if (!text)
        return false;
    return ReadPlainDecimal(text, CTextEnd<true>{nullptr}, value) || ReadFully(text, value);
}

bool ReadDottedDms(const wchar_t* text, double& degrees)
{
    if (!text)
        return false;
    const wchar_t* p = text;
    const bool negative = *p == L'-';
    if (negative)
        ++p;
    const wchar_t* wholeStart = p;
    std::uint64_t wholeValue = 0;
    p = AddDigits(p, CTextEnd<true>{nullptr}, wholeValue);
    const std::wstring_view whole(wholeStart, static_cast<std::size_t>(p - wholeStart));
    if (whole.empty() || *p != L'.')
        return false;
    const wchar_t* minutesAt = ++p;
    int minutes = 0;
    if (!PositionalField(p, minutes) || minutes >= 60)
        return false;
    double seconds = 0;
    if (*p == L'.')
    {
        // A shortened minutes field ends the text: "D.M.SS" would put its digits in doubt.
        if (p - minutesAt != 2)
            return false;
        const wchar_t* secondsAt = ++p;
        int wholeSeconds = 0;
        if (!PositionalField(p, wholeSeconds) || wholeSeconds >= 60)
            return false;
        seconds = wholeSeconds;
        if (*p == L'.')
        {
            const wchar_t* fraction = ++p;
            while (IsDigit(*p))
                ++p;
            if (fraction - secondsAt != 3 || p == fraction || *p != L'\0' ||
                !ReadNumber(std::wstring_view(secondsAt, static_cast<std::size_t>(p - secondsAt)),
                            seconds))
                return false;
        }
    }
    // Up to fifteen digits make an integer that a double holds exactly; more are left to the
    // full conversion, which rounds them.
    double wholeDegrees = static_cast<double>(wholeValue);
    if (whole.size() > 15 && !ReadNumber(whole, wholeDegrees))
        return false;
    const double result = wholeDegrees + minutes / 60.0 + seconds / 3600.0;
    degrees = negative ? -result : result;
    return true;
}

std::wstring PackedDmsText(const wchar_t* dotted)
{
    std::wstring packed;
    if (!dotted)
        return packed;
    bool pointSeen = false;
    for (const wchar_t* p = dotted; *p; ++p)
    {
        if (*p == L'.')
        {
            if (pointSeen)
                continue;
            pointSeen = true;
        }
        packed += *p;
    }
    return packed;
}

CUnitConverterFactory* CUnitConverterFactory::Create()
{
    return new CUnitConverterFactory();
}

CUnitConverterFactory::CUnitConverterFactory() : m_shared(std::make_shared<CShared>()) {}

void CUnitConverterFactory::SetEvents(IConverterEvents* events)
{
    m_shared->events = events;
}

std::int32_t CUnitConverterFactory::LiveConverters() const
{
    return m_shared->liveConverters;
}

void CUnitConverterFactory::AddRef()
{
    ++m_references;
}

bool CUnitConverterFactory::Release()
{
    if (--m_references != 0)
        return false;
    delete this;
    return true;
}

Plugin::IAngleConverter* CUnitConverterFactory::CreateAngleConverter(std::int32_t unitCode)
{
    ConvertFunction convert = unitCode == AngleUnit::Radians     ? Radians
                              : unitCode == AngleUnit::DottedDms ? DmsToRadians
                              : unitCode == AngleUnit::Degrees   ? DegreesToRadians
                              : unitCode == AngleUnit::Grads     ? GradsToRadians
                                                                 : nullptr;
    return Make<Plugin::IAngleConverter>(Quantity::Angle, unitCode, convert, m_shared);
}

ILinearConverter* CUnitConverterFactory::CreateLinearConverter(std::int32_t unitCode)
{
    ConvertFunction convert = unitCode == LinearUnit::Metre ? Metres
                              : unitCode == LinearUnit::InternationalFoot
                                  ? InternationalFeetToMetres
                              : unitCode == LinearUnit::UsSurveyFoot ? UsSurveyFeetToMetres
                                                                     : nullptr;
    return Make<ILinearConverter>(Quantity::Length, unitCode, convert, m_shared);
}

IPressureConverter* CUnitConverterFactory::CreatePressureConverter(std::int32_t unitCode)
{
    ConvertFunction convert =
        unitCode == PressureUnit::MillimetreOfMercury ? MillimetresOfMercuryToHectopascals
        : unitCode == PressureUnit::Hectopascal       ? Hectopascals
        : unitCode == PressureUnit::InchOfMercury     ? InchesOfMercuryToHectopascals
                                                      : nullptr;
    return Make<IPressureConverter>(Quantity::Pressure, unitCode, convert, m_shared);
}

ITemperatureConverter* CUnitConverterFactory::CreateTemperatureConverter(std::int32_t unitCode)
{
    ConvertFunction convert = unitCode == TemperatureUnit::Celsius      ? Celsius
                              : unitCode == TemperatureUnit::Fahrenheit ? FahrenheitToCelsius
                                                                        : nullptr;
    return Make<ITemperatureConverter>(Quantity::Temperature, unitCode, convert, m_shared);
}

const char* UnitCodeName(Quantity quantity, std::int32_t unitCode)
{
    switch (quantity)
    {
    case Quantity::Angle:
        return unitCode == AngleUnit::Radians     ? "radians"
               : unitCode == AngleUnit::DottedDms ? "degrees, minutes and seconds"
               : unitCode == AngleUnit::Degrees   ? "degrees"
               : unitCode == AngleUnit::Grads     ? "grads"
                                                  : "unknown";
    case Quantity::Length:
        return unitCode == LinearUnit::Metre               ? "metres"
               : unitCode == LinearUnit::InternationalFoot ? "international feet"
               : unitCode == LinearUnit::UsSurveyFoot      ? "US survey feet"
                                                           : "unknown";
    case Quantity::Temperature:
        return unitCode == TemperatureUnit::Celsius      ? "degrees Celsius"
               : unitCode == TemperatureUnit::Fahrenheit ? "degrees Fahrenheit"
                                                         : "unknown";
    case Quantity::Pressure:
        return unitCode == PressureUnit::MillimetreOfMercury ? "millimetres of mercury"
               : unitCode == PressureUnit::Hectopascal       ? "hectopascals"
               : unitCode == PressureUnit::InchOfMercury     ? "inches of mercury"
                                                             : "unknown";
    }
    return "unknown";
}

} // namespace Host
