// The host's unit converters: each turns a text in one unit into the value the receiver keeps
// (radians, metres, degrees Celsius, hectopascals). Only plain decimal numbers are read: the
// whole text must be one number in C-locale notation ("-12.5", "1e3"), with no blanks, no sign
// "+", no thousands separators and nothing after it; infinities, NaN and values out of the range
// of a double fail, and so does a value whose conversion would leave that range. A text that
// fails leaves the value unwritten and is told to the factory's events.
#pragma once

#include "host/kit/Quantity.h"
#include "plugin/HostInterfaces.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

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

// What the converters of a factory do, told on the thread that uses them, so that the receiver
// of the file being read can say where it happened.
class IConverterEvents
{
public:
    // The plug-in asked for a converter of unitCode and got one.
    virtual void ConverterMade(Quantity quantity, std::int32_t unitCode) = 0;
    // A converter of unitCode could not read text, which is not null.
    virtual void ValueRefused(Quantity quantity, std::int32_t unitCode, const wchar_t* text) = 0;

protected:
    ~IConverterEvents() = default;
};

// Reads the whole text as one decimal number.
bool ReadDecimal(const wchar_t* text, double& value);

// Reads degrees, minutes and seconds written "D.MM.SS" or "D.MM.SS.f": the degrees one or more
// digits, optionally after a "-" that makes the whole angle negative; minutes and seconds two
// digits each, below 60; f one or more digits of the fraction of the seconds. The result is in
// degrees. The digits are positional, as in the packed notation they come from: a form whose
// trailing zeros were dropped reads as if they were there, "D.M" as D.M0.00, "D.MM" as
// D.MM.00, "D.MM.S" as D.MM.S0 ("90.3" is 90 degrees 30 minutes). Anything else fails: an empty
// or three-digit field, a one-digit field followed by more, minutes or seconds of 60 or more.
bool ReadDottedDms(const wchar_t* text, double& degrees);

// The packed text ("123.453015") that the plug-in rewrote into the dotted text handed to the
// degrees-minutes-seconds converter ("123.45.30.15"): the points after the first taken out.
std::wstring PackedDmsText(const wchar_t* dotted);

// Makes the converters by unit code; an unknown code gives null. The factory and each converter
// are counted: a new object holds one reference for its creator, Release destroys it at zero and
// returns true exactly then. Converters do not need the factory to stay alive.
class CUnitConverterFactory final : public IUnitConverterFactory
{
public:
    // A new factory holding one reference for the caller.
    static CUnitConverterFactory* Create();

    // Where the factory and its converters, also those made before, tell what they do from now
    // on; null tells nobody. Borrowed: it must stay valid until it is replaced.
    void SetEvents(IConverterEvents* events);

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
    std::int32_t LiveConverters() const;

    // What the factory shares with its converters, which may outlive it.
    struct CShared;

private:
    CUnitConverterFactory();
    ~CUnitConverterFactory() = default;

    std::atomic<std::int32_t> m_references{1};
    std::shared_ptr<CShared> m_shared;
};

// The unit of a factory code as people name it ("grads", "US survey feet"); "unknown" for a code
// the factory has no converter for.
const char* UnitCodeName(Quantity quantity, std::int32_t unitCode);

} // namespace Host
