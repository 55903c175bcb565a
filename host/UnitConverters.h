// The host's unit converters: each turns a text in one unit into the value the receiver keeps
// (radians, metres, degrees Celsius, hectopascals). Only plain decimal numbers are read: the
// whole text must be one number in C-locale notation ("-12.5", "1e3"), with no blanks, no sign
// "+", no thousands separators and nothing after it; infinities, NaN and values out of the range
// of a double fail. A text that fails leaves the value unwritten.
#pragma once

#include "plugin/HostInterfaces.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Host
{

// Unit codes of the factory, by quantity.
namespace AngleUnit
{
constexpr std::int32_t Radians = 0;
constexpr std::int32_t DottedDms = 1;
constexpr std::int32_t Degrees = 3;
constexpr std::int32_t Grads = 4;
} // namespace AngleUnit

namespace LinearUnit
{
constexpr std::int32_t Metre = 0;
constexpr std::int32_t InternationalFoot = 1;
constexpr std::int32_t UsSurveyFoot = 2;
} // namespace LinearUnit

namespace TemperatureUnit
{
constexpr std::int32_t Celsius = 0;
constexpr std::int32_t Fahrenheit = 1;
} // namespace TemperatureUnit

namespace PressureUnit
{
constexpr std::int32_t MillimetreOfMercury = 0;
constexpr std::int32_t Hectopascal = 1;
constexpr std::int32_t InchOfMercury = 2;
} // namespace PressureUnit

// Reads the whole text as one decimal number.
bool ReadDecimal(const wchar_t* text, double& value);

// Reads degrees, minutes and seconds written "D.MM.SS" or "D.MM.SS.f": the degrees one or more
// digits, optionally after a "-" that makes the whole angle negative; minutes and seconds two
// digits each, below 60; f one or more digits of the fraction of the seconds. The result is in
// degrees. Anything else fails, also a shorter form such as "D.MM" or "D.MM.S", whose meaning
// would be a guess.
bool ReadDottedDms(const wchar_t* text, double& degrees);

// Makes the converters by unit code; an unknown code gives null. The factory and each converter
// are counted: a new object holds one reference for its creator, Release destroys it at zero and
// returns true exactly then. Converters do not need the factory to stay alive.
class CUnitConverterFactory final : public IUnitConverterFactory
{
public:
    // A new factory holding one reference for the caller.
    static CUnitConverterFactory* Create();

    void AddRef() override;
    bool Release() override;
    Plugin::IAngleConverter* CreateAngleConverter(std::int32_t unitCode) override;
    ILinearConverter* CreateLinearConverter(std::int32_t unitCode) override;
    IPressureConverter* CreatePressureConverter(std::int32_t unitCode) override;
    ITemperatureConverter* CreateTemperatureConverter(std::int32_t unitCode) override;

    // References held on the factory itself.
    std::int32_t References() const { return m_references; }
    // Converters made by this factory that have not been destroyed yet: after an import in which
    // the plug-in released everything it was given, 0.
    std::int32_t LiveConverters() const { return *m_liveConverters; }

private:
    CUnitConverterFactory();
    ~CUnitConverterFactory() = default;

    std::atomic<std::int32_t> m_references{1};
    std::shared_ptr<std::atomic<std::int32_t>> m_liveConverters;
};

} // namespace Host
