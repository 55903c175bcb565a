#include "parser/State/HeaderUnits.h"

#include "convert/AngleDMSConverter.h"
#include "convert/DateConverter.h"
#include "parser/Lexer.h"
#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"

#include <boost/make_shared.hpp>

#include <cstdint>

namespace State
{

namespace
{

struct UnitCode
{
    const wchar_t* unit;
    std::int32_t code;
};

// The host's unit codes. Angle code 1 is the dotted degrees-minutes-seconds converter, asked for
// only to sit inside the packed one; code 2 is never asked for.
constexpr std::int32_t kDottedDmsCode = 1;
const UnitCode kAngleUnits[] = {
    {L"GRADS", 4}, {L"DMS", kDottedDmsCode}, {L"DEGS", 3}, {L"RADS", 0}};
const UnitCode kLinearUnits[] = {{L"METRE", 0}, {L"INT_FEET", 1}, {L"US_SURVEY_FEET", 2}};
const UnitCode kTemperatureUnits[] = {{L"CELSIUS", 0}, {L"FAHRENHEIT", 1}};
const UnitCode kPressureUnits[] = {{L"HPA", 1}, {L"MMHG", 0}, {L"INHG", 2}};

template <std::size_t N>
const UnitCode* FindUnit(const UnitCode (&units)[N], const std::wstring& unit)
{
    for (const UnitCode& entry : units)
        if (unit == entry.unit)
            return &entry;
    return nullptr;
}

struct DateUnit
{
    const wchar_t* unit;
    IReadObserver::DateOrder order;
};
const DateUnit kDateUnits[] = {{L"DMY", IReadObserver::DateOrder::DayMonthYear},
                               {L"MDY", IReadObserver::DateOrder::MonthDayYear},
                               {L"YMD", IReadObserver::DateOrder::YearMonthDay},
                               {L"MJD", IReadObserver::DateOrder::ModifiedJulianDay}};

boost::shared_ptr<IDateConverter> MakeDateConverter(IReadObserver::DateOrder order)
{
    switch (order)
    {
    case IReadObserver::DateOrder::MonthDayYear:
        return boost::make_shared<CDateMDYConverter>();
    case IReadObserver::DateOrder::YearMonthDay:
        return boost::make_shared<CDateYMDConverter>();
    case IReadObserver::DateOrder::ModifiedJulianDay:
        return boost::make_shared<CDateMJDConverter>();
    case IReadObserver::DateOrder::DayMonthYear:
        break;
    }
    return boost::make_shared<CDateDMYConverter>();
}

// The receiver's factory, with the reference it hands out; empty when there is none.
Plugin::CRefPtr<IUnitConverterFactory> FetchFactory(IParserStateContext& context)
{
    IGroundDataReceiver* receiver = context.GetReceiver();
    return Plugin::CRefPtr<IUnitConverterFactory>::Adopt(receiver ? receiver->GetConverterFactory()
                                                                  : nullptr);
}

// The factory is fetched (and given back) even when the unit matches nothing. A recognised unit
// that the host cannot convert leaves the quantity without a converter rather than reading the
// values in the previous unit. False when the unit is not one of units.
template <class TConverter, std::size_t N>
bool InstallConverter(IParserStateContext& context, const std::wstring& unit,
                      const UnitCode (&units)[N],
                      TConverter* (IUnitConverterFactory::*create)(std::int32_t),
                      void (IParserStateContext::*install)(TConverter*))
{
    const Plugin::CRefPtr<IUnitConverterFactory> factory = FetchFactory(context);
    const UnitCode* entry = FindUnit(units, unit);
    if (!entry)
        return false;
    const Plugin::CRefPtr<TConverter> converter = Plugin::CRefPtr<TConverter>::Adopt(
        factory ? (factory.Get()->*create)(entry->code) : nullptr);
    (context.*install)(converter.Get());
    return true;
}

} // namespace

ParserStatePtr CHeaderUnits::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CHeaderUnits::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Units);
}

void CHeaderUnits::HandleLine(const std::wstring& line)
{
    const std::vector<std::wstring> words = SplitOnBlanks(line, 3);
    // A quantity is one handler's only, so none after the one that read it would act.
    if (words.size() != 2 ||
        !(HandleAngle(words[0], words[1]) || HandleLinear(words[0], words[1]) ||
          HandleTemperature(words[0], words[1]) || HandlePressure(words[0], words[1]) ||
          HandleDate(words[0], words[1])))
        Context()->NoteIgnoredLine(IReadObserver::IgnoredLine::UnitLine, line);
}

bool CHeaderUnits::HandleAngle(const std::wstring& quantity, const std::wstring& unit)
{
    if (quantity != L"ANGULAR")
        return false;
    IParserStateContext& context = *Context();
    const Plugin::CRefPtr<IUnitConverterFactory> factory = FetchFactory(context);
    const UnitCode* entry = FindUnit(kAngleUnits, unit);
    if (!entry)
        return false;
    const Plugin::CRefPtr<Plugin::IAngleConverter> host =
        Plugin::CRefPtr<Plugin::IAngleConverter>::Adopt(
            factory ? factory->CreateAngleConverter(entry->code) : nullptr);
    if (entry->code != kDottedDmsCode)
    {
        context.SetAngleConverter(host.Get());
        return true;
    }
    // The packed converter takes its own reference to the host's; once the handler's references
    // go, the context holds the only one to the packed converter.
    const Plugin::CRefPtr<Plugin::IAngleConverter> packed =
        Plugin::CRefPtr<Plugin::IAngleConverter>::Share(new CAngleDMSConverter(host.Get()));
    context.SetAngleConverter(packed.Get());
    return true;
}

bool CHeaderUnits::HandleLinear(const std::wstring& quantity, const std::wstring& unit)
{
    return quantity == L"LINEAR" && InstallConverter(*Context(), unit, kLinearUnits,
                                                     &IUnitConverterFactory::CreateLinearConverter,
                                                     &IParserStateContext::SetLinearConverter);
}

bool CHeaderUnits::HandleTemperature(const std::wstring& quantity, const std::wstring& unit)
{
    return quantity == L"TEMP" &&
           InstallConverter(*Context(), unit, kTemperatureUnits,
                            &IUnitConverterFactory::CreateTemperatureConverter,
                            &IParserStateContext::SetTemperatureConverter);
}

bool CHeaderUnits::HandlePressure(const std::wstring& quantity, const std::wstring& unit)
{
    return quantity == L"PRESS" && InstallConverter(*Context(), unit, kPressureUnits,
                                                    &IUnitConverterFactory::CreatePressureConverter,
                                                    &IParserStateContext::SetPressureConverter);
}

bool CHeaderUnits::HandleDate(const std::wstring& quantity, const std::wstring& unit)
{
    if (quantity != L"TIME")
        return false;
    for (const DateUnit& entry : kDateUnits)
        if (unit == entry.unit)
        {
            Context()->SetDateConverter(MakeDateConverter(entry.order), entry.order);
            return true;
        }
    return false;
}

std::wstring_view CHeaderUnits::Name() const
{
    return SectionNames::Units;
}

} // namespace State
