#include "convert/AngleDMSConverter.h"
#include "convert/DateConverter.h"
#include "tests/doubles/ParserHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using TestDoubles::CCountingConverterBase;
using TestDoubles::CParserHarness;
using TestDoubles::Quantity;
typedef std::vector<std::string> Calls;

// A parser inside an open UNITS subsection, with the factory calls of the constructor forgotten.
struct CUnitsHarness : CParserHarness
{
    CUnitsHarness()
    {
        Feed({L"HEADER", L"UNITS"});
        receiver.Clear();
        constructorCalls = factory.Calls().size();
    }

    Calls FactoryCallsSinceStart() const
    {
        return Calls(factory.Calls().begin() + constructorCalls, factory.Calls().end());
    }

    // Which converter the context now holds for a quantity, seen through what it logs.
    std::string ProbeAngle(const wchar_t* text = L"12.3015")
    {
        return Probe(*parser->GetAngleConverter().Get(), text);
    }
    std::string ProbeLinear() { return Probe(*parser->GetLinearConverter().Get(), L"1"); }
    std::string ProbeTemperature() { return Probe(*parser->GetTemperatureConverter().Get(), L"1"); }
    std::string ProbePressure() { return Probe(*parser->GetPressureConverter().Get(), L"1"); }

    template <class I> std::string Probe(I& converter, const wchar_t* text)
    {
        double value = 0.0;
        converter.Convert(text, &value);
        return factory.Conversions().empty() ? std::string() : factory.Conversions().back();
    }

    std::size_t constructorCalls = 0;
};

struct UnitLineCase
{
    const wchar_t* line;
    Calls factoryCalls;
    const char* angle;
    const char* linear;
    const char* temperature;
    const char* pressure;
};

const char kGrads[] = "angle#4(12.3015)";
const char kMetre[] = "linear#0(1)";
const char kCelsius[] = "temperature#0(1)";
const char kHpa[] = "pressure#1(1)";
const Calls kFetchOnly = {"AddRef", "Release"};

const UnitLineCase kUnitLines[] = {
    {L"ANGULAR GRADS",
     {"AddRef", "CreateAngleConverter(4)", "Release"},
     kGrads,
     kMetre,
     kCelsius,
     kHpa},
    {L"ANGULAR DMS",
     {"AddRef", "CreateAngleConverter(1)", "Release"},
     "angle#1(12.30.15)",
     kMetre,
     kCelsius,
     kHpa},
    {L"ANGULAR DEGS",
     {"AddRef", "CreateAngleConverter(3)", "Release"},
     "angle#3(12.3015)",
     kMetre,
     kCelsius,
     kHpa},
    {L"ANGULAR RADS",
     {"AddRef", "CreateAngleConverter(0)", "Release"},
     "angle#0(12.3015)",
     kMetre,
     kCelsius,
     kHpa},
    {L"ANGULAR\tDEGS",
     {"AddRef", "CreateAngleConverter(3)", "Release"},
     "angle#3(12.3015)",
     kMetre,
     kCelsius,
     kHpa},
    {L"ANGULAR   DEGS",
     {"AddRef", "CreateAngleConverter(3)", "Release"},
     "angle#3(12.3015)",
     kMetre,
     kCelsius,
     kHpa},
    {L"LINEAR METRE",
     {"AddRef", "CreateLinearConverter(0)", "Release"},
     kGrads,
     kMetre,
     kCelsius,
     kHpa},
    {L"LINEAR INT_FEET",
     {"AddRef", "CreateLinearConverter(1)", "Release"},
     kGrads,
     "linear#1(1)",
     kCelsius,
     kHpa},
    {L"LINEAR US_SURVEY_FEET",
     {"AddRef", "CreateLinearConverter(2)", "Release"},
     kGrads,
     "linear#2(1)",
     kCelsius,
     kHpa},
    {L"TEMP CELSIUS",
     {"AddRef", "CreateTemperatureConverter(0)", "Release"},
     kGrads,
     kMetre,
     kCelsius,
     kHpa},
    {L"TEMP FAHRENHEIT",
     {"AddRef", "CreateTemperatureConverter(1)", "Release"},
     kGrads,
     kMetre,
     "temperature#1(1)",
     kHpa},
    {L"PRESS HPA",
     {"AddRef", "CreatePressureConverter(1)", "Release"},
     kGrads,
     kMetre,
     kCelsius,
     kHpa},
    {L"PRESS MMHG",
     {"AddRef", "CreatePressureConverter(0)", "Release"},
     kGrads,
     kMetre,
     kCelsius,
     "pressure#0(1)"},
    {L"PRESS INHG",
     {"AddRef", "CreatePressureConverter(2)", "Release"},
     kGrads,
     kMetre,
     kCelsius,
     "pressure#2(1)"},
    // The factory is fetched before the unit is looked at, also when it matches nothing.
    {L"ANGULAR degs", kFetchOnly, kGrads, kMetre, kCelsius, kHpa},
    {L"ANGULAR DEG", kFetchOnly, kGrads, kMetre, kCelsius, kHpa},
    {L"LINEAR FOO", kFetchOnly, kGrads, kMetre, kCelsius, kHpa},
    {L"LINEAR metre", kFetchOnly, kGrads, kMetre, kCelsius, kHpa},
    {L"TEMP KELVIN", kFetchOnly, kGrads, kMetre, kCelsius, kHpa},
    {L"PRESS ATM", kFetchOnly, kGrads, kMetre, kCelsius, kHpa},
    // No quantity keyword, or not exactly two words: the factory is not asked.
    {L"angular DEGS", {}, kGrads, kMetre, kCelsius, kHpa},
    {L"ANGULAR DEGS X", {}, kGrads, kMetre, kCelsius, kHpa},
    {L"ANGULAR", {}, kGrads, kMetre, kCelsius, kHpa},
    {L"", {}, kGrads, kMetre, kCelsius, kHpa},
    {L"TIME FOO", {}, kGrads, kMetre, kCelsius, kHpa},
    {L"TIME DMY", {}, kGrads, kMetre, kCelsius, kHpa},
    {L"END HEADER", {}, kGrads, kMetre, kCelsius, kHpa},
    {L"SEPARATOR ;", {}, kGrads, kMetre, kCelsius, kHpa},
};

TEST(HeaderUnitLines, EachUnitLineAsksTheFactoryForItsCode)
{
    for (const UnitLineCase& c : kUnitLines)
    {
        CUnitsHarness harness;
        harness.Feed({c.line});
        EXPECT_EQ(c.factoryCalls, harness.FactoryCallsSinceStart()) << "line: " << c.line;
        EXPECT_EQ(c.angle, harness.ProbeAngle()) << "line: " << c.line;
        EXPECT_EQ(c.linear, harness.ProbeLinear()) << "line: " << c.line;
        EXPECT_EQ(c.temperature, harness.ProbeTemperature()) << "line: " << c.line;
        EXPECT_EQ(c.pressure, harness.ProbePressure()) << "line: " << c.line;
        EXPECT_EQ(L',', harness.parser->GetSeparator()) << "line: " << c.line;
        harness.Finish();
        EXPECT_EQ(0, harness.factory.OutstandingReferences()) << "line: " << c.line;
        EXPECT_FALSE(harness.factory.OverReleased()) << "line: " << c.line;
    }
}

struct DateLineCase
{
    const wchar_t* line;
    const wchar_t* text;     // a date as the file writes it
    const wchar_t* expected; // what the converter in force makes of it
};

const DateLineCase kDateLines[] = {
    {L"TIME DMY", L"25/12/2019", L"20191225"}, {L"TIME MDY", L"12-25-2019", L"20191225"},
    {L"TIME YMD", L"2019-12-25", L"20191225"}, {L"TIME MJD", L"58849", L"20200101"},
    {L"TIME\tMJD", L"58849.5", L"20200101"},   {L"TIME mdy", L"25/12/2019", L"20191225"},
    {L"time MDY", L"25/12/2019", L"20191225"}, {L"TIME FOO", L"25/12/2019", L"20191225"},
};

TEST(HeaderUnitLines, TimeSelectsTheDateOrder)
{
    for (const DateLineCase& c : kDateLines)
    {
        CUnitsHarness harness;
        harness.Feed({c.line});
        std::wstring out;
        ASSERT_TRUE(harness.parser->GetDateConverter()->Convert(c.text, out)) << c.line;
        EXPECT_EQ(c.expected, out) << "line: " << c.line;
        EXPECT_TRUE(harness.FactoryCallsSinceStart().empty()) << "line: " << c.line;
    }
}

TEST(HeaderUnitLines, TheLaterLineForAQuantityWins)
{
    CUnitsHarness harness;
    harness.Feed({L"LINEAR INT_FEET", L"TIME MDY", L"LINEAR US_SURVEY_FEET", L"TIME YMD"});
    EXPECT_EQ("linear#2(1)", harness.ProbeLinear());
    std::wstring out;
    ASSERT_TRUE(harness.parser->GetDateConverter()->Convert(L"2019/12/25", out));
    EXPECT_EQ(L"20191225", out);
    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
}

TEST(HeaderUnitLines, UnitsStaysOpenUntilEndUnits)
{
    CParserHarness harness;
    harness.Feed({L"HEADER", L"UNITS", L"END HEADER", L"SEPARATOR ;", L"LINEAR INT_FEET",
                  L"END UNITS", L"LINEAR US_SURVEY_FEET", L"SEPARATOR |", L"END HEADER"});
    // Inside UNITS the SEPARATOR line is an ignored unit line; after END UNITS the unit line is an
    // ignored HEADER line.
    EXPECT_EQ(L'|', harness.parser->GetSeparator());
    std::vector<std::string> created;
    for (const std::string& call : harness.factory.Calls())
        if (call.rfind("Create", 0) == 0)
            created.push_back(call);
    EXPECT_EQ((Calls{"CreateAngleConverter(4)", "CreateLinearConverter(0)",
                     "CreateTemperatureConverter(0)", "CreatePressureConverter(1)",
                     "CreateLinearConverter(1)"}),
              created);
    EXPECT_EQ(1u, harness.parser->StateDepth());
}

const CCountingConverterBase* LastConverter(const TestDoubles::CCountingConverterFactory& factory,
                                            Quantity quantity, int code)
{
    const CCountingConverterBase* found = nullptr;
    for (const auto& converter : factory.Converters())
        if (converter->GetQuantity() == quantity && converter->Code() == code)
            found = converter.get();
    return found;
}

TEST(HeaderUnitLines, TheContextHoldsTheOnlyReferenceToTheDmsConverter)
{
    CUnitsHarness harness;
    const CCountingConverterBase* grads = LastConverter(harness.factory, Quantity::Angle, 4);
    ASSERT_NE(nullptr, grads);
    harness.Feed({L"ANGULAR DMS"});
    EXPECT_EQ(0, grads->References()); // the replaced default is given back

    const CCountingConverterBase* dotted = LastConverter(harness.factory, Quantity::Angle, 1);
    ASSERT_NE(nullptr, dotted);
    EXPECT_EQ(1, dotted->References()); // held by the DMS converter alone
    {
        Plugin::CRefPtr<Plugin::IAngleConverter> held = harness.parser->GetAngleConverter();
        const CAngleDMSConverter* dms = dynamic_cast<const CAngleDMSConverter*>(held.Get());
        ASSERT_NE(nullptr, dms);
        EXPECT_EQ(2, dms->ReferenceCount()); // the context's and this test's
    }

    // A unit that matches nothing leaves it in place.
    harness.Feed({L"ANGULAR FOO"});
    EXPECT_EQ("angle#1(1.23.45)", harness.ProbeAngle(L"1.2345"));
    EXPECT_EQ(1, dotted->References());

    // A recognised unit replaces it; as nothing else holds it, it goes and gives back the inner
    // converter.
    harness.Feed({L"ANGULAR DEGS"});
    EXPECT_EQ(0, dotted->References());
    EXPECT_EQ("angle#3(1.2345)", harness.ProbeAngle(L"1.2345"));

    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
    EXPECT_FALSE(harness.factory.OverReleased());
}

TEST(HeaderUnitLines, ADmsConverterLivesUntilTheParserGoes)
{
    CUnitsHarness harness;
    harness.Feed({L"ANGULAR DMS", L"END UNITS", L"END HEADER"});
    const CCountingConverterBase* dotted = LastConverter(harness.factory, Quantity::Angle, 1);
    ASSERT_NE(nullptr, dotted);
    EXPECT_EQ(1, dotted->References());
    harness.Finish();
    EXPECT_EQ(0, dotted->References());
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
}

TEST(HeaderUnitLines, AConverterTheHostCannotMakeLeavesTheQuantityUnconverted)
{
    CUnitsHarness harness;
    harness.factory.SetMissing(Quantity::Linear, 1);
    harness.factory.SetMissing(Quantity::Angle, 1);
    harness.Feed({L"LINEAR INT_FEET", L"ANGULAR DMS", L"END UNITS", L"END HEADER", L"DATABASE",
                  L"POINTS(PointNo,PointID,North,East)", L"1,P1,10,20", L"END POINTS"});
    // Feet read as metres would be wrong data: the coordinates are left out instead.
    EXPECT_FALSE(harness.parser->GetLinearConverter());
    EXPECT_EQ((Calls{"GetConverterFactory", "GetConverterFactory", "BeginPoint(P1)"}),
              harness.receiver.Records());

    // The DMS converter has no inner converter and converts nothing.
    Plugin::CRefPtr<Plugin::IAngleConverter> angle = harness.parser->GetAngleConverter();
    ASSERT_TRUE(angle);
    double value = -1.0;
    EXPECT_FALSE(angle->Convert(L"12.3015", &value));
    EXPECT_EQ(-1.0, value);
    angle.Reset();

    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
    EXPECT_FALSE(harness.factory.OverReleased());
}

TEST(HeaderUnitLines, WithoutAFactoryNothingBreaks)
{
    TestDoubles::CRecordingReceiver receiver(nullptr);
    CParser parser(&receiver);
    std::size_t index = 0;
    for (std::wstring line :
         {L"HEADER", L"UNITS", L"ANGULAR DMS", L"ANGULAR GRADS", L"LINEAR INT_FEET",
          L"TEMP FAHRENHEIT", L"PRESS MMHG", L"TIME MJD", L"END UNITS", L"END HEADER", L"DATABASE",
          L"POINTS(PointNo,PointID,North)", L"1,P1,10", L"END POINTS"})
        parser.ProcessLine(line, index++);
    EXPECT_FALSE(parser.GetLinearConverter());
    EXPECT_FALSE(parser.GetAngleConverter());
    Calls expected = {"GetConverterFactory"}; // the parser's own
    expected.insert(expected.end(), 5, "GetConverterFactory");
    expected.push_back("BeginPoint(P1)");
    EXPECT_EQ(expected, receiver.Calls());
}

} // namespace
