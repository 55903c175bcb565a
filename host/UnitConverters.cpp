#include "host/UnitConverters.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <new>
#include <string>

namespace Host
{
namespace
{

constexpr double Pi = 3.14159265358979323846;

// The millimetre of mercury is 133.322387415 Pa; the inch of mercury is 25.4 of them.
constexpr double HectopascalsPerMillimetreOfMercury = 1.33322387415;
constexpr double HectopascalsPerInchOfMercury = 25.4 * HectopascalsPerMillimetreOfMercury;

// Narrows a text made of ASCII characters only; any other character fails.
bool Narrow(const wchar_t* text, std::string& out)
{
    if (!text)
        return false;
    for (const wchar_t* p = text; *p; ++p)
    {
        if (static_cast<std::uint32_t>(*p) >= 0x80)
            return false;
        out += static_cast<char>(*p);
    }
    return true;
}

bool ReadNumber(const char* first, const char* last, double& value)
{
    double result = 0;
    auto [end, error] = std::from_chars(first, last, result, std::chars_format::general);
    if (error != std::errc() || end != last || first == last || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(const std::string& text, std::size_t first, std::size_t last)
{
    if (first >= last)
        return false;
    for (std::size_t i = first; i < last; ++i)
        if (!IsDigit(text[i]))
            return false;
    return true;
}

int TwoDigits(const std::string& text, std::size_t at)
{
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
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

// A field of one or two digits at s[at], ending at the end of s or at a point: its value with a
// single digit taken as the tens ("3" is 30), and the position after it. False for an empty
// field, three digits or more, or anything but digits.
bool PositionalField(const std::string& s, std::size_t at, int& value, std::size_t& next)
{
    std::size_t end = at;
    while (end < s.size() && IsDigit(s[end]))
        ++end;
    if (end == at || end - at > 2 || (end != s.size() && s[end] != '.'))
        return false;
    value = end - at == 2 ? TwoDigits(s, at) : (s[at] - '0') * 10;
    next = end;
    return true;
}

} // namespace

bool ReadDecimal(const wchar_t* text, double& value)
{
    std::string narrow;
    if (!Narrow(text, narrow))
        return false;
    return ReadNumber(narrow.data(), narrow.data() + narrow.size(), value);
}

bool ReadDottedDms(const wchar_t* text, double& degrees)
{
    std::string s;
    if (!Narrow(text, s))
        return false;
    bool negative = !s.empty() && s[0] == '-';
    std::size_t start = negative ? 1 : 0;
    std::size_t firstDot = s.find('.', start);
    if (firstDot == std::string::npos || !AllDigits(s, start, firstDot))
        return false;
    int minutes = 0;
    std::size_t minutesEnd = 0;
    if (!PositionalField(s, firstDot + 1, minutes, minutesEnd) || minutes >= 60)
        return false;
    double seconds = 0;
    if (minutesEnd != s.size())
    {
        // A shortened minutes field ends the text: "D.M.SS" would put its digits in doubt.
        if (minutesEnd - firstDot - 1 != 2)
            return false;
        std::size_t secondsAt = minutesEnd + 1;
        int wholeSeconds = 0;
        std::size_t secondsEnd = 0;
        if (!PositionalField(s, secondsAt, wholeSeconds, secondsEnd) || wholeSeconds >= 60)
            return false;
        seconds = wholeSeconds;
        if (secondsEnd != s.size())
        {
            if (secondsEnd - secondsAt != 2 || !AllDigits(s, secondsEnd + 1, s.size()) ||
                !ReadNumber(s.data() + secondsAt, s.data() + s.size(), seconds))
                return false;
        }
    }
    double whole = 0;
    if (!ReadNumber(s.data() + start, s.data() + firstDot, whole))
        return false;
    double result = whole + minutes / 60.0 + seconds / 3600.0;
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

} // namespace Host
