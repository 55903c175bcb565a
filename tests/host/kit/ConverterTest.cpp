#include "host/kit/UnitConverters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace
{

using Host::CUnitConverterFactory;

enum class Quantity
{
    Angle,
    Linear,
    Temperature,
    Pressure
};

const char* Name(Quantity quantity)
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

// Converts through a freshly made converter and releases it; false when the factory has none.
bool Convert(CUnitConverterFactory& factory, Quantity quantity, std::int32_t code,
             const wchar_t* text, double& value)
{
    switch (quantity)
    {
    case Quantity::Angle:
        if (auto* c = factory.CreateAngleConverter(code))
        {
            bool ok = c->Convert(text, &value);
            EXPECT_TRUE(c->Release());
            return ok;
        }
        break;
    case Quantity::Linear:
        if (auto* c = factory.CreateLinearConverter(code))
        {
            bool ok = c->Convert(text, &value);
            EXPECT_TRUE(c->Release());
            return ok;
        }
        break;
    case Quantity::Temperature:
        if (auto* c = factory.CreateTemperatureConverter(code))
        {
            bool ok = c->Convert(text, &value);
            EXPECT_TRUE(c->Release());
            return ok;
        }
        break;
    case Quantity::Pressure:
        if (auto* c = factory.CreatePressureConverter(code))
        {
            bool ok = c->Convert(text, &value);
            EXPECT_TRUE(c->Release());
            return ok;
        }
        break;
    }
    ADD_FAILURE() << "no " << Name(quantity) << " converter for code " << code;
    return false;
}

class ConverterTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        EXPECT_EQ(0, m_factory->LiveConverters());
        EXPECT_TRUE(m_factory->Release());
    }

    CUnitConverterFactory* m_factory = CUnitConverterFactory::Create();
};

struct Arithmetic
{
    Quantity quantity;
    std::int32_t code;
    const wchar_t* text;
    double expected;
};

// Expected values worked out by hand (degrees, minutes and seconds summed, then times pi/180).
const Arithmetic arithmetic[] = {
    {Quantity::Angle, 0, L"1.5", 1.5},
    {Quantity::Angle, 0, L"-0.25", -0.25},
    {Quantity::Angle, 1, L"123.45.30", 2.1599903934473157},
    {Quantity::Angle, 1, L"123.45.30.15", 2.1599911206678373},
    {Quantity::Angle, 1, L"-12.30.15", -0.2182388785514576},
    {Quantity::Angle, 1, L"0.00.01", 4.84813681109536e-06},
    {Quantity::Angle, 1, L"359.59.59.99", 6.283185258698219},
    {Quantity::Angle, 1, L"90.00.00", 1.5707963267948966},
    {Quantity::Angle, 3, L"180", 3.141592653589793},
    {Quantity::Angle, 3, L"-45", -0.7853981633974483},
    {Quantity::Angle, 3, L"1e1", 0.17453292519943295},
    {Quantity::Angle, 4, L"200", 3.141592653589793},
    {Quantity::Angle, 4, L"100.0000", 1.5707963267948966},
    {Quantity::Angle, 4, L"50", 0.7853981633974483},
    {Quantity::Linear, 0, L"12.345", 12.345},
    {Quantity::Linear, 1, L"100", 30.48},
    {Quantity::Linear, 1, L"1", 0.3048},
    {Quantity::Linear, 2, L"3937", 1200.0},
    {Quantity::Linear, 2, L"1", 0.3048006096012192},
    {Quantity::Temperature, 0, L"-3.5", -3.5},
    {Quantity::Temperature, 1, L"212", 100.0},
    {Quantity::Temperature, 1, L"32", 0.0},
    {Quantity::Temperature, 1, L"-40", -40.0},
    {Quantity::Temperature, 1, L"98.6", 37.0},
    {Quantity::Pressure, 0, L"760", 1013.250144354},
    {Quantity::Pressure, 0, L"1", 1.33322387415},
    {Quantity::Pressure, 1, L"1013.25", 1013.25},
    {Quantity::Pressure, 2, L"1", 33.86388640341},
    {Quantity::Pressure, 2, L"29.92", 1013.2074811900271},
};

TEST_F(ConverterTest, ConvertsEachUnitToTheReceiversUnit)
{
    for (const Arithmetic& row : arithmetic)
    {
        double value = -999;
        bool ok = Convert(*m_factory, row.quantity, row.code, row.text, value);
        EXPECT_TRUE(ok) << Name(row.quantity) << " code " << row.code;
        EXPECT_NEAR(row.expected, value, 1e-12 * std::max(1.0, std::fabs(row.expected)))
            << Name(row.quantity) << " code " << row.code;
    }
}

// Texts that are not one plain decimal number; every decimal converter must refuse them.
const wchar_t* const notDecimal[] = {
    L"",    L" 1",    L"1 ",      L"\t1",    L"+1",     L"1,5", L"1.5x",  L"0x10",
    L"inf", L"-inf",  L"nan",     L"1e999",  L"1e",     L"-",   L".",     L"1..2",
    L"12;", L"1 000", L"1\u00A0", L"\u0661", L"\uFF11", L"e5",  L"1.2.3", L"--1",
};

TEST_F(ConverterTest, DecimalConvertersRefuseAnythingButAWholeNumber)
{
    const struct
    {
        Quantity quantity;
        std::int32_t code;
    } decimal[] = {{Quantity::Angle, 0},       {Quantity::Angle, 3},       {Quantity::Angle, 4},
                   {Quantity::Linear, 0},      {Quantity::Linear, 1},      {Quantity::Linear, 2},
                   {Quantity::Temperature, 0}, {Quantity::Temperature, 1}, {Quantity::Pressure, 0},
                   {Quantity::Pressure, 1},    {Quantity::Pressure, 2}};
    for (const auto& converter : decimal)
        for (std::size_t i = 0; i < std::size(notDecimal); ++i)
        {
            double value = 42;
            EXPECT_FALSE(
                Convert(*m_factory, converter.quantity, converter.code, notDecimal[i], value))
                << Name(converter.quantity) << " code " << converter.code << " text #" << i;
            EXPECT_EQ(42, value) << "a failed conversion must not write the value";
        }
}

// Decimal texts of every length around the limits of an exact reading (2^53, nineteen digits,
// 10^22), with leading zeros and signs, read bit for bit as the library's full conversion reads
// them.
TEST(ReadDecimalTest, ReadsEveryShapeAsTheFullConversionDoes)
{
    std::vector<std::string> texts = {
        "0",
        "-0",
        "0.0",
        "-0.000",
        "1.",
        ".5",
        "9007199254740992",
        "9007199254740993",
        "9007199254740991.5",
        "0.9007199254740993",
        "1234567890123456789",
        "12345678901234567890",
        "0.0000000000000000000001",
        "0.00000000000000000000001",
        "00000000000000000001.5",
        "412345.1234",
        "5432100.5678",
        "102.3456",
        "345.6789",
        "1.500",
        "-0.1",
        "0.3",
    };
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 200000; ++i)
    {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int whole = 1 + static_cast<int>(random() % 17);
        const int decimals = static_cast<int>(random() % 25);
        for (int d = 0; d < whole; ++d)
            text += static_cast<char>('0' + random() % 10);
        if (decimals)
            text += '.';
        for (int d = 0; d < decimals; ++d)
            text += static_cast<char>('0' + random() % 10);
        texts.push_back(text);
    }
    for (const std::string& text : texts)
    {
        double expected = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
        const bool readable = error == std::errc() && end == text.data() + text.size();
        double value = 42;
        const std::wstring wide(text.begin(), text.end());
        ASSERT_EQ(readable, Host::ReadDecimal(wide.c_str(), value)) << text;
        if (readable)
        {
            ASSERT_EQ(0, std::memcmp(&expected, &value, sizeof value))
                << text << ": " << expected << " read as " << value;
        }
    }
}

// The full dotted form with degrees and fractions of every length: the degrees, minutes and
// seconds read as decimals and summed, bit for bit, however long the fields are.
TEST(ReadDottedDmsTest, ReadsTheFullFormAsItsPartsSummed)
{
    auto read = [](const std::string& text)
    {
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    };
    std::mt19937_64 random(1209);
    for (int i = 0; i < 100000; ++i)
    {
        const bool negative = random() % 3 == 0;
        std::string degrees;
        for (int d = 1 + static_cast<int>(random() % 18); d > 0; --d)
            degrees += static_cast<char>('0' + random() % 10);
        const int minutes = static_cast<int>(random() % 60);
        const int wholeSeconds = static_cast<int>(random() % 60);
        std::string seconds = std::to_string(wholeSeconds / 10) + std::to_string(wholeSeconds % 10);
        const int decimals = static_cast<int>(random() % 21);
        if (decimals)
            seconds += '.';
        for (int d = 0; d < decimals; ++d)
            seconds += static_cast<char>('0' + random() % 10);
        const std::string text = (negative ? "-" : "") + degrees + "." +
                                 std::to_string(minutes / 10) + std::to_string(minutes % 10) + "." +
                                 seconds;
        const double sum = read(degrees) + minutes / 60.0 + read(seconds) / 3600.0;
        const double expected = negative ? -sum : sum;
        double value = 42;
        const std::wstring wide(text.begin(), text.end());
        ASSERT_TRUE(Host::ReadDottedDms(wide.c_str(), value)) << text;
        ASSERT_EQ(0, std::memcmp(&expected, &value, sizeof value))
            << text << ": " << expected << " read as " << value;
    }
}

TEST_F(ConverterTest, DmsConverterRefusesOtherShapes)
{
    const wchar_t* const texts[] = {
        L"123",         L"123.",         L"123.45.",   L"123.4.3",      L"123.4.30",
        L"123.453.0",   L"123.60.00",    L"123.45.60", L".30.15",       L"-.30.15",
        L"123.45.30.",  L"123.45.30.1x", L"+12.30.15", L"12.30.15.1.2", L"1e2.30.15",
        L" 12.30.15",   L"12.30.15 ",    L"12.3a.15",  L"12,30,15",     L"",
        L"12.30.15.-1", L"--12.30.15",   L"12.-3.15",  L"\u0661.30.15", L"12.30.15e1",
    };
    for (std::size_t i = 0; i < std::size(texts); ++i)
    {
        double value = 42;
        EXPECT_FALSE(Convert(*m_factory, Quantity::Angle, 1, texts[i], value)) << "text #" << i;
        EXPECT_EQ(42, value);
    }
}

// The packed notation loses its trailing zeros in a spreadsheet ("90.30" becomes "90.3"), and the
// plug-in hands the rest on with its points inserted: the digits keep their places.
TEST_F(ConverterTest, DmsConverterReadsShortenedFormsByPosition)
{
    const struct
    {
        const wchar_t* text;
        double degrees;
    } cases[] = {
        {L"90.3", 90.5},
        {L"90.45", 90.75},
        {L"123.45", 123.75},
        {L"123.4", 123 + 40 / 60.0},
        {L"90.45.3", 90 + 45 / 60.0 + 30 / 3600.0},
        {L"123.45.3", 123 + 45 / 60.0 + 30 / 3600.0},
        {L"0.0", 0.0},
        {L"7.05", 7 + 5 / 60.0},
        {L"-0.3", -0.5},
        {L"-12.30.1", -(12 + 30 / 60.0 + 10 / 3600.0)},
        {L"359.59.5", 359 + 59 / 60.0 + 50 / 3600.0},
    };
    for (const auto& c : cases)
    {
        double value = 42;
        ASSERT_TRUE(Convert(*m_factory, Quantity::Angle, 1, c.text, value)) << c.text;
        EXPECT_NEAR(c.degrees * 3.141592653589793 / 180, value, 1e-15) << c.text;
    }
}

TEST_F(ConverterTest, DmsConverterRefusesShortenedFormsThatAreOutOfRangeOrAmbiguous)
{
    const wchar_t* const texts[] = {
        L"90.6",      // 60 minutes
        L"90.7",      // 70 minutes
        L"90.45.6",   // 60 seconds
        L"90.45.9",   // 90 seconds
        L"90.456",    // three digits of minutes
        L"90.45.301", // three digits of seconds
        L"90.4.5",    // a shortened minutes field followed by seconds
        L"90.45.3.1", // a shortened seconds field followed by a fraction
        L"90..3",     L".3", L"-.3", L"90.3.", L"90.-3", L"90.3e", L"90. 3",
    };
    for (const wchar_t* text : texts)
    {
        double value = 42;
        EXPECT_FALSE(Convert(*m_factory, Quantity::Angle, 1, text, value)) << text;
        EXPECT_EQ(42, value) << text;
    }
}

// A finite text must never come out infinite: the receiver would pass on a value that no output
// can show. Where the exact result is a double, the converter finds it; where it is not, it fails.
TEST_F(ConverterTest, ConversionsNearTheLimitsOfADoubleStayFiniteOrFail)
{
    constexpr double Max = 1.7976931348623157e308;
    constexpr double Pi = 3.141592653589793;
    const std::wstring hugeDegrees = std::wstring(L"1") + std::wstring(308, L'0');
    const std::wstring tooManyDegrees = std::wstring(L"1") + std::wstring(309, L'0');
    const struct
    {
        Quantity quantity;
        std::int32_t code;
        std::wstring text;
        bool converts;
        double expected; // relative to the value, when it converts
    } cases[] = {
        {Quantity::Angle, 0, L"1.7976931348623157e308", true, Max},
        {Quantity::Angle, 3, L"1.7976931348623157e308", true, Max / 180 * Pi},
        {Quantity::Angle, 4, L"-1.7976931348623157e308", true, -Max / 200 * Pi},
        {Quantity::Angle, 1, hugeDegrees + L".30.00", true, 1e308 / 180 * Pi},
        {Quantity::Angle, 1, tooManyDegrees + L".30.00", false, 0},
        {Quantity::Linear, 1, L"1.7976931348623157e308", true, Max * 0.3048},
        {Quantity::Linear, 2, L"1e308", true, 1e308 / 3937 * 1200},
        {Quantity::Linear, 2, L"-1.7976931348623157e308", true, -Max / 3937 * 1200},
        {Quantity::Temperature, 1, L"1.7976931348623157e308", true, Max / 9 * 5},
        {Quantity::Temperature, 1, L"-1.7976931348623157e308", true, -Max / 9 * 5},
        {Quantity::Pressure, 0, L"1.7976931348623157e308", false, 0},
        {Quantity::Pressure, 2, L"1e307", false, 0},
        {Quantity::Pressure, 2, L"5e306", true, 5e306 * 25.4 * 1.33322387415},
        {Quantity::Linear, 0, L"1e309", false, 0},
        // Too small for a double: refused rather than read as zero.
        {Quantity::Linear, 0, L"1e-400", false, 0},
        {Quantity::Linear, 0, L"-2e-324", false, 0},
        {Quantity::Linear, 0, L"4.9406564584124654e-324", true, 4.9406564584124654e-324},
    };
    for (const auto& c : cases)
    {
        double value = 42;
        const bool converted = Convert(*m_factory, c.quantity, c.code, c.text.c_str(), value);
        EXPECT_EQ(c.converts, converted) << Name(c.quantity) << " code " << c.code;
        if (!c.converts)
        {
            EXPECT_EQ(42, value);
        }
        else if (converted)
        {
            EXPECT_TRUE(std::isfinite(value));
            EXPECT_NEAR(1.0, value / c.expected, 1e-12) << Name(c.quantity) << " code " << c.code;
        }
    }
}

// Records what the converters tell.
class CEventLog final : public Host::IConverterEvents
{
public:
    void ConverterMade(Host::Quantity quantity, std::int32_t unitCode) override
    {
        log.push_back("made " + std::to_string(static_cast<int>(quantity)) + " " +
                      std::to_string(unitCode));
    }
    void ValueRefused(Host::Quantity quantity, std::int32_t unitCode, const wchar_t* text) override
    {
        log.push_back("refused " + std::to_string(static_cast<int>(quantity)) + " " +
                      std::to_string(unitCode) + " " + std::string(text, text + std::wcslen(text)));
    }

    std::vector<std::string> log;
};

TEST_F(ConverterTest, EventsTellEachConverterMadeAndEachTextRefused)
{
    CEventLog events;
    Plugin::IAngleConverter* early = m_factory->CreateAngleConverter(1);
    m_factory->SetEvents(&events);
    ILinearConverter* linear = m_factory->CreateLinearConverter(2);
    IPressureConverter* pressure = m_factory->CreatePressureConverter(0);
    EXPECT_EQ(nullptr, m_factory->CreateTemperatureConverter(7)) << "no converter, no event";
    double value = 0;
    EXPECT_TRUE(linear->Convert(L"1", &value));
    EXPECT_FALSE(linear->Convert(L"N/A", &value));
    EXPECT_FALSE(pressure->Convert(L"", &value));
    EXPECT_FALSE(early->Convert(L"90.7", &value)) << "a converter made before tells too";
    EXPECT_FALSE(linear->Convert(nullptr, &value));
    m_factory->SetEvents(nullptr);
    EXPECT_FALSE(linear->Convert(L"x", &value));
    const std::vector<std::string> expected = {"made 1 2", "made 3 0", "refused 1 2 N/A",
                                               "refused 3 0 ", "refused 0 1 90.7"};
    EXPECT_EQ(expected, events.log);
    early->Release();
    linear->Release();
    pressure->Release();
}

TEST(PackedDmsTextTest, TakesOutThePointsThePlugInInserted)
{
    const struct
    {
        const wchar_t* dotted;
        const wchar_t* packed;
    } cases[] = {
        {L"123.45.30.15", L"123.453015"}, {L"123.45.3", L"123.453"}, {L"90.3", L"90.3"},
        {L"-12.30.15", L"-12.3015"},      {L"123", L"123"},          {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(c.packed), Host::PackedDmsText(c.dotted));
    EXPECT_EQ(std::wstring(), Host::PackedDmsText(nullptr));
}

TEST_F(ConverterTest, MinutesAndSecondsJustBelowSixtyAreAccepted)
{
    double value = 0;
    ASSERT_TRUE(Convert(*m_factory, Quantity::Angle, 1, L"0.59.59", value));
    EXPECT_NEAR((59 / 60.0 + 59 / 3600.0) * 3.141592653589793 / 180, value, 1e-15);
    ASSERT_TRUE(Convert(*m_factory, Quantity::Angle, 1, L"-0.30.00", value));
    EXPECT_NEAR(-0.5 * 3.141592653589793 / 180, value, 1e-15) << "the sign covers the whole angle";
}

TEST_F(ConverterTest, UnknownCodesGiveNoConverter)
{
    EXPECT_EQ(nullptr, m_factory->CreateAngleConverter(2));
    EXPECT_EQ(nullptr, m_factory->CreateAngleConverter(5));
    EXPECT_EQ(nullptr, m_factory->CreateAngleConverter(-1));
    EXPECT_EQ(nullptr, m_factory->CreateLinearConverter(3));
    EXPECT_EQ(nullptr, m_factory->CreateLinearConverter(-1));
    EXPECT_EQ(nullptr, m_factory->CreateTemperatureConverter(2));
    EXPECT_EQ(nullptr, m_factory->CreatePressureConverter(3));
    EXPECT_EQ(0, m_factory->LiveConverters());
}

TEST_F(ConverterTest, NullArgumentsFail)
{
    ILinearConverter* converter = m_factory->CreateLinearConverter(0);
    ASSERT_NE(nullptr, converter);
    double value = 7;
    EXPECT_FALSE(converter->Convert(nullptr, &value));
    EXPECT_EQ(7, value);
    EXPECT_FALSE(converter->Convert(L"1", nullptr));
    converter->Release();
}

TEST_F(ConverterTest, ConvertersAreCountedFromOneReference)
{
    Plugin::IAngleConverter* converter = m_factory->CreateAngleConverter(4);
    ASSERT_NE(nullptr, converter);
    EXPECT_EQ(1, m_factory->LiveConverters());
    converter->AddRef();
    EXPECT_FALSE(converter->Release());
    EXPECT_EQ(1, m_factory->LiveConverters());
    EXPECT_TRUE(converter->Release());
    EXPECT_EQ(0, m_factory->LiveConverters());
}

TEST_F(ConverterTest, ConvertersOutliveTheirFactory)
{
    CUnitConverterFactory* factory = CUnitConverterFactory::Create();
    ITemperatureConverter* converter = factory->CreateTemperatureConverter(1);
    ASSERT_NE(nullptr, converter);
    EXPECT_EQ(1, factory->References());
    factory->AddRef();
    EXPECT_FALSE(factory->Release());
    EXPECT_TRUE(factory->Release());
    double value = 0;
    EXPECT_TRUE(converter->Convert(L"50", &value));
    EXPECT_DOUBLE_EQ(10.0, value);
    EXPECT_TRUE(converter->Release());
}

} // namespace
