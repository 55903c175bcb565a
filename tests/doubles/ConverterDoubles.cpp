#include "tests/doubles/ConverterDoubles.h"

#include "tests/doubles/WideText.h"

#include <clocale>
#include <cmath>
#include <cwchar>

namespace TestDoubles
{

const char* QuantityName(Quantity quantity)
{
    switch (quantity)
    {
    case Quantity::Angle:
        return "angle";
    case Quantity::Linear:
        return "linear";
    case Quantity::Temperature:
        return "temperature";
    case Quantity::Pressure:
        return "pressure";
    }
    return "?";
}

CCountingConverterBase::CCountingConverterBase(Quantity quantity, std::int32_t code, double scale,
                                               std::vector<std::string>& log)
    : m_quantity(quantity), m_code(code), m_scale(scale), m_log(log)
{
}

bool CCountingConverterBase::CountDown()
{
    if (m_references <= 0)
    {
        m_overReleased = true;
        return false;
    }
    // The object stays alive for inspection; the count says whether it would have been freed.
    return --m_references == 0;
}

namespace
{

// Digits only, at least one; the number and the count of digits.
bool ReadDigits(const wchar_t*& text, double& number, int& digits)
{
    number = 0.0;
    digits = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text, ++digits)
        number = number * 10 + (*text - L'0');
    return digits > 0;
}

bool ReadDottedDmsText(const wchar_t* text, double& degrees)
{
    const bool negative = *text == L'-';
    if (negative)
        ++text;
    double d = 0, m = 0, s = 0, fraction = 0;
    int digits = 0;
    if (!ReadDigits(text, d, digits) || *text++ != L'.' || !ReadDigits(text, m, digits) ||
        *text++ != L'.' || !ReadDigits(text, s, digits))
        return false;
    if (*text == L'.')
    {
        ++text;
        if (!ReadDigits(text, fraction, digits))
            return false;
        s += fraction / std::pow(10.0, digits);
    }
    if (*text != L'\0')
        return false;
    degrees = d + m / 60.0 + s / 3600.0;
    if (negative)
        degrees = -degrees;
    return true;
}

} // namespace

bool CCountingConverterBase::ConvertText(const wchar_t* text, double* value)
{
    m_log.push_back(std::string(QuantityName(m_quantity)) + "#" + std::to_string(m_code) + "(" +
                    Utf8(text) + ")");
    if (!text || !*text)
        return false;
    if (m_dottedDms)
    {
        double degrees = 0.0;
        if (!ReadDottedDmsText(text, degrees))
            return false;
        *value = degrees * m_scale;
        return true;
    }
    wchar_t* end = nullptr;
    double number = std::wcstod(text, &end);
    if (end == text || *end != L'\0')
        return false;
    *value = number * m_scale;
    return true;
}

CCountingConverterFactory::CCountingConverterFactory() = default;
CCountingConverterFactory::~CCountingConverterFactory() = default;

void CCountingConverterFactory::AddRef()
{
    m_calls.push_back("AddRef");
    ++m_references;
}

bool CCountingConverterFactory::Release()
{
    m_calls.push_back("Release");
    if (m_references <= 0)
    {
        m_overReleased = true;
        return false;
    }
    return --m_references == 0;
}

void CCountingConverterFactory::SetMissing(Quantity quantity, std::int32_t code)
{
    m_missing.insert({quantity, code});
}

void CCountingConverterFactory::SetScale(Quantity quantity, std::int32_t code, double scale)
{
    m_scales.push_back({{quantity, code}, scale});
}

void CCountingConverterFactory::SetDottedDms(Quantity quantity, std::int32_t code)
{
    m_dottedDms.insert({quantity, code});
}

double CCountingConverterFactory::ScaleOf(Quantity quantity, std::int32_t code) const
{
    double scale = 1.0;
    for (const auto& entry : m_scales)
        if (entry.first == std::make_pair(quantity, code))
            scale = entry.second;
    return scale;
}

template <class I>
I* CCountingConverterFactory::Create(Quantity quantity, std::int32_t code, const char* call)
{
    m_calls.push_back(std::string(call) + "(" + std::to_string(code) + ")");
    if (m_missing.count({quantity, code}))
        return nullptr;
    auto converter = std::make_unique<CCountingConverter<I>>(
        quantity, code, ScaleOf(quantity, code), m_conversions);
    if (m_dottedDms.count({quantity, code}))
        converter->ReadDottedDms();
    I* result = converter.get();
    m_converters.push_back(std::move(converter));
    return result;
}

Plugin::IAngleConverter* CCountingConverterFactory::CreateAngleConverter(std::int32_t unitCode)
{
    return Create<Plugin::IAngleConverter>(Quantity::Angle, unitCode, "CreateAngleConverter");
}

ILinearConverter* CCountingConverterFactory::CreateLinearConverter(std::int32_t unitCode)
{
    return Create<ILinearConverter>(Quantity::Linear, unitCode, "CreateLinearConverter");
}

IPressureConverter* CCountingConverterFactory::CreatePressureConverter(std::int32_t unitCode)
{
    return Create<IPressureConverter>(Quantity::Pressure, unitCode, "CreatePressureConverter");
}

ITemperatureConverter* CCountingConverterFactory::CreateTemperatureConverter(std::int32_t unitCode)
{
    return Create<ITemperatureConverter>(Quantity::Temperature, unitCode,
                                         "CreateTemperatureConverter");
}

std::int32_t CCountingConverterFactory::OutstandingReferences() const
{
    std::int32_t outstanding = m_references - 1;
    for (const auto& converter : m_converters)
        outstanding += converter->References();
    return outstanding;
}

bool CCountingConverterFactory::OverReleased() const
{
    if (m_overReleased)
        return true;
    for (const auto& converter : m_converters)
        if (converter->OverReleased())
            return true;
    return false;
}

} // namespace TestDoubles
