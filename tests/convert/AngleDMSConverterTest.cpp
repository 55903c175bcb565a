#include "convert/AngleDMSConverter.h"

#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/WideText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// The host's dotted converter as far as this test needs it: remembers what it was asked and
// answers with a fixed result.
class CInnerConverter final : public Plugin::IAngleConverter
{
public:
    void AddRef() override { ++references; }
    bool Release() override { return --references == 0; }
    bool Convert(const wchar_t* text, double* value) override
    {
        texts.push_back(text);
        if (succeed)
            *value = 0.5;
        return succeed;
    }

    int references = 1;
    bool succeed = true;
    std::vector<std::wstring> texts;
};

// Creates a converter held by the test with one reference; Release at the end destroys it.
CAngleDMSConverter* MakeHeld(Plugin::IAngleConverter* inner)
{
    CAngleDMSConverter* converter = new CAngleDMSConverter(inner);
    converter->AddRef();
    return converter;
}

struct RewriteCase
{
    const wchar_t* text;
    const wchar_t* dotted; // null: the inner converter is not called
};

const RewriteCase kRewrites[] = {
    {L"123.4530", L"123.45.30"},
    {L"123.453015", L"123.45.30.15"},
    {L"123.45301", L"123.45.30.1"},
    {L"123.453", L"123.45.3"},
    {L"123.45", L"123.45"},
    {L"123.4", L"123.4"},
    {L"123.", L"123."},
    {L"-12.3015", L"-12.30.15"},
    {L".3015", L".30.15"},
    {L"1.2.3456", L"1.2..34.56"},
    {L"ab.cdefgh", L"ab.cd.ef.gh"},
    {L"123", nullptr},
    {L"", nullptr},
};

TEST(AngleDMSConverter, RewritesThePackedNotationForTheDottedConverter)
{
    for (const RewriteCase& c : kRewrites)
    {
        CInnerConverter inner;
        CAngleDMSConverter* converter = MakeHeld(&inner);
        double value = -1.0;
        const bool converted = converter->Convert(c.text, &value);
        if (c.dotted)
        {
            ASSERT_EQ(1u, inner.texts.size()) << "text: " << c.text;
            EXPECT_EQ(c.dotted, inner.texts[0]) << "text: " << c.text;
            EXPECT_TRUE(converted);
            EXPECT_EQ(0.5, value);
        }
        else
        {
            EXPECT_TRUE(inner.texts.empty()) << "text: " << c.text;
            EXPECT_FALSE(converted);
            EXPECT_EQ(-1.0, value);
        }
        EXPECT_TRUE(converter->Release());
        EXPECT_EQ(1, inner.references);
    }
}

// Around the length that the rewrite still does without an allocation.
TEST(AngleDMSConverter, RewritesFieldsOfAnyLength)
{
    for (const std::size_t fraction : {54u, 55u, 56u, 57u, 500u})
    {
        const std::wstring digits(fraction, L'7');
        CInnerConverter inner;
        CAngleDMSConverter* converter = MakeHeld(&inner);
        double value = -1.0;
        EXPECT_TRUE(converter->Convert((L"1.2345" + digits).c_str(), &value));
        ASSERT_EQ(1u, inner.texts.size());
        EXPECT_EQ(L"1.23.45." + digits, inner.texts[0]) << "fraction digits: " << fraction;
        EXPECT_TRUE(converter->Release());
    }
}

TEST(AngleDMSConverter, PassesTheInnerConvertersFailureOn)
{
    CInnerConverter inner;
    inner.succeed = false;
    CAngleDMSConverter* converter = MakeHeld(&inner);
    double value = -1.0;
    EXPECT_FALSE(converter->Convert(L"123.4530", &value));
    EXPECT_EQ(-1.0, value);
    EXPECT_EQ(1u, inner.texts.size());
    converter->Release();
}

TEST(AngleDMSConverter, WithoutAnInnerConverterNothingConverts)
{
    CAngleDMSConverter* converter = MakeHeld(nullptr);
    double value = -1.0;
    EXPECT_FALSE(converter->Convert(L"123.4530", &value));
    EXPECT_FALSE(converter->Convert(nullptr, &value));
    EXPECT_EQ(-1.0, value);
    EXPECT_TRUE(converter->Release());
}

TEST(AngleDMSConverter, HoldsItsOwnReferenceToTheInnerConverter)
{
    TestDoubles::CCountingConverterFactory factory;
    Plugin::IAngleConverter* inner = factory.CreateAngleConverter(1);
    ASSERT_NE(nullptr, inner);
    const TestDoubles::CCountingConverterBase& counted = *factory.Converters().back();
    EXPECT_EQ(1, counted.References());

    CAngleDMSConverter* converter = new CAngleDMSConverter(inner);
    EXPECT_EQ(0, converter->ReferenceCount());
    EXPECT_EQ(2, counted.References());

    converter->AddRef();
    converter->AddRef();
    EXPECT_EQ(2, converter->ReferenceCount());
    EXPECT_FALSE(converter->Release());
    EXPECT_EQ(2, counted.References());

    // The factory's reference can go first: the converter keeps the inner one alive.
    inner->Release();
    EXPECT_EQ(1, counted.References());
    double value = 0.0;
    converter->Convert(L"12.3015", &value);
    EXPECT_EQ((std::vector<std::string>{"angle#1(12.30.15)"}), factory.Conversions());

    EXPECT_TRUE(converter->Release());
    EXPECT_EQ(0, counted.References());
    EXPECT_EQ(0, factory.OutstandingReferences());
    EXPECT_FALSE(factory.OverReleased());
}

} // namespace
