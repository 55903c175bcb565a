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

// One counted converter for the interface I; the unit is its function.
template <class I> class CConverter final : public I
{
public:
    CConverter(ConvertFunction convert, std::shared_ptr<std::atomic<std::int32_t>> live)
        : m_convert(convert), m_live(std::move(live))
    {
        ++*m_live;
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
        if (!value)
            return false;
        try
        {
            double result = 0;
            if (!m_convert(text, result))
                return false;
            *value = result;
            return true;
        }
        catch (...)
        {
            return false;
        }
    }

private:
    ~CConverter() { --*m_live; }

    ConvertFunction m_convert;
    std::shared_ptr<std::atomic<std::int32_t>> m_live;
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
I* Make(ConvertFunction convert, const std::shared_ptr<std::atomic<std::int32_t>>& live)
{
    if (!convert)
        return nullptr;
    return new (std::nothrow) CConverter<I>(convert, live);
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
    // "MM.SS" after the degrees, then optionally "." and the fraction digits.
    std::size_t minutesAt = firstDot + 1;
    std::size_t secondsAt = minutesAt + 3;
    if (s.size() < secondsAt + 2 || s[minutesAt + 2] != '.' ||
        !AllDigits(s, minutesAt, minutesAt + 2) || !AllDigits(s, secondsAt, secondsAt + 2))
        return false;
    std::size_t end = secondsAt + 2;
    if (end != s.size() && (s[end] != '.' || !AllDigits(s, end + 1, s.size())))
        return false;
    int minutes = TwoDigits(s, minutesAt);
    double seconds = 0;
    double whole = 0;
    if (minutes >= 60 || TwoDigits(s, secondsAt) >= 60 ||
        !ReadNumber(s.data() + secondsAt, s.data() + s.size(), seconds) ||
        !ReadNumber(s.data() + start, s.data() + firstDot, whole))
        return false;
    double result = whole + minutes / 60.0 + seconds / 3600.0;
    degrees = negative ? -result : result;
    return true;
}

CUnitConverterFactory* CUnitConverterFactory::Create()
{
    return new CUnitConverterFactory();
}

CUnitConverterFactory::CUnitConverterFactory()
    : m_liveConverters(std::make_shared<std::atomic<std::int32_t>>(0))
{
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
    return Make<Plugin::IAngleConverter>(convert, m_liveConverters);
}

ILinearConverter* CUnitConverterFactory::CreateLinearConverter(std::int32_t unitCode)
{
    ConvertFunction convert = unitCode == LinearUnit::Metre ? Metres
                              : unitCode == LinearUnit::InternationalFoot
                                  ? InternationalFeetToMetres
                              : unitCode == LinearUnit::UsSurveyFoot ? UsSurveyFeetToMetres
                                                                     : nullptr;
    return Make<ILinearConverter>(convert, m_liveConverters);
}

IPressureConverter* CUnitConverterFactory::CreatePressureConverter(std::int32_t unitCode)
{
    ConvertFunction convert =
        unitCode == PressureUnit::MillimetreOfMercury ? MillimetresOfMercuryToHectopascals
        : unitCode == PressureUnit::Hectopascal       ? Hectopascals
        : unitCode == PressureUnit::InchOfMercury     ? InchesOfMercuryToHectopascals
                                                      : nullptr;
    return Make<IPressureConverter>(convert, m_liveConverters);
}

ITemperatureConverter* CUnitConverterFactory::CreateTemperatureConverter(std::int32_t unitCode)
{
    ConvertFunction convert = unitCode == TemperatureUnit::Celsius      ? Celsius
                              : unitCode == TemperatureUnit::Fahrenheit ? FahrenheitToCelsius
                                                                        : nullptr;
    return Make<ITemperatureConverter>(convert, m_liveConverters);
}

} // namespace Host
