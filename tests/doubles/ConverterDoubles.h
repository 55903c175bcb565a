// A converter factory and converters that count their references and log what they convert, so a
// test can check which converter read a value and that every reference was given back.
#pragma once

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace TestDoubles
{

enum class Quantity
{
    Angle,
    Linear,
    Temperature,
    Pressure
};

const char* QuantityName(Quantity quantity);

// Reads the whole text as a C-locale decimal number and multiplies it by the scale; any other
// text fails. Every call is logged as "<quantity>#<code>(<text>)".
class CCountingConverterBase
{
public:
    CCountingConverterBase(Quantity quantity, std::int32_t code, double scale,
                           std::vector<std::string>& log);
    // The factory owns its converters through this base.
    virtual ~CCountingConverterBase() = default;

    Quantity GetQuantity() const { return m_quantity; }
    std::int32_t Code() const { return m_code; }
    std::int32_t References() const { return m_references; }
    bool OverReleased() const { return m_overReleased; }
    // From now on the text is read as dotted degrees, minutes and seconds (see the factory).
    void ReadDottedDms() { m_dottedDms = true; }

protected:
    void CountUp() { ++m_references; }
    bool CountDown();
    bool ConvertText(const wchar_t* text, double* value);

private:
    Quantity m_quantity;
    std::int32_t m_code;
    double m_scale;
    std::vector<std::string>& m_log;
    std::int32_t m_references = 1; // handed out holding the caller's reference
    bool m_overReleased = false;
    bool m_dottedDms = false;
};

template <class I> class CCountingConverter final : public I, public CCountingConverterBase
{
public:
    using CCountingConverterBase::CCountingConverterBase;
    void AddRef() override { CountUp(); }
    bool Release() override { return CountDown(); }
    bool Convert(const wchar_t* text, double* value) override { return ConvertText(text, value); }
};

class CCountingConverterFactory final : public IUnitConverterFactory
{
public:
    CCountingConverterFactory();
    ~CCountingConverterFactory();

    void AddRef() override;
    bool Release() override;
    Plugin::IAngleConverter* CreateAngleConverter(std::int32_t unitCode) override;
    ILinearConverter* CreateLinearConverter(std::int32_t unitCode) override;
    IPressureConverter* CreatePressureConverter(std::int32_t unitCode) override;
    ITemperatureConverter* CreateTemperatureConverter(std::int32_t unitCode) override;

    // The factory returns null for this quantity and code.
    void SetMissing(Quantity quantity, std::int32_t code);
    // Converters made later for this quantity and code multiply what they read by scale.
    void SetScale(Quantity quantity, std::int32_t code, double scale);
    // Converters made later for this quantity and code read dotted degrees-minutes-seconds texts,
    // "123.45.30" or "123.45.30.15" (an optional "-" first), as d + m / 60.0 + s / 3600.0 times
    // the scale, s being the seconds with their fraction; any other text fails.
    void SetDottedDms(Quantity quantity, std::int32_t code);

    // Calls made on the factory, in order: "CreateLinearConverter(0)", "AddRef", "Release".
    const std::vector<std::string>& Calls() const { return m_calls; }
    // Every Convert call on the converters made here, in order: "linear#0(12.5)".
    const std::vector<std::string>& Conversions() const { return m_conversions; }
    // References held by others: on the factory beyond the test's own, and on every converter.
    std::int32_t OutstandingReferences() const;
    // True when anything was released more often than it was referenced.
    bool OverReleased() const;
    std::int32_t FactoryReferences() const { return m_references; }
    // Converters made so far, in order of creation.
    const std::vector<std::unique_ptr<CCountingConverterBase>>& Converters() const
    {
        return m_converters;
    }

private:
    template <class I> I* Create(Quantity quantity, std::int32_t code, const char* call);
    double ScaleOf(Quantity quantity, std::int32_t code) const;

    std::int32_t m_references = 1; // the test's own reference
    bool m_overReleased = false;
    std::set<std::pair<Quantity, std::int32_t>> m_missing;
    std::vector<std::pair<std::pair<Quantity, std::int32_t>, double>> m_scales;
    std::set<std::pair<Quantity, std::int32_t>> m_dottedDms;
    std::vector<std::string> m_calls;
    std::vector<std::string> m_conversions;
    std::vector<std::unique_ptr<CCountingConverterBase>> m_converters;
};

} // namespace TestDoubles
