#include "host/UnitConverters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

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

TEST_F(ConverterTest, DmsConverterRefusesOtherShapes)
{
    const wchar_t* const texts[] = {
        L"123",         L"123.45",       L"123.4",     L"123.45.3",     L"123.4.30",
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
