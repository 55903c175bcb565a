#include "convert/DateConverter.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

enum class Order
{
    DMY,
    MDY,
    YMD
};

std::unique_ptr<IDateConverter> MakeConverter(Order order)
{
    switch (order)
    {
    case Order::DMY:
        return std::make_unique<CDateDMYConverter>();
    case Order::MDY:
        return std::make_unique<CDateMDYConverter>();
    case Order::YMD:
        return std::make_unique<CDateYMDConverter>();
    }
    return nullptr;
}

struct DateCase
{
    Order order;
    const wchar_t* text;
    bool converts;
    const wchar_t* expected;
};

const DateCase kDateCases[] = {
    {Order::DMY, L"25/12/2019", true, L"20191225"},
    {Order::DMY, L"25-12-2019", true, L"20191225"},
    {Order::MDY, L"12/25/2019", true, L"20191225"},
    {Order::MDY, L"12-25-2019", true, L"20191225"},
    {Order::YMD, L"2019-12-25", true, L"20191225"},
    {Order::DMY, L"5/1/2019", true, L"201915"},
    {Order::DMY, L"25//12//2019", true, L"1225"},
    {Order::DMY, L"25/12/2019/7", true, L"20191225"},
    {Order::DMY, L"25/12/", true, L"1225"},
    {Order::DMY, L"25-12/2019", true, L"20191225"},
    {Order::DMY, L"2019/12/25", true, L"25122019"},
    {Order::DMY, L"25/12/2019 10:30", true, L"2019 10:301225"},
    {Order::DMY, L"25.12.2019", false, nullptr},
    {Order::DMY, L"", false, nullptr},
    {Order::DMY, L"25/12", false, nullptr},
    {Order::DMY, L"58849", false, nullptr},
    {Order::MDY, L"58849", false, nullptr},
    {Order::YMD, L"58849", false, nullptr},
};

TEST(DateConverter, ComposesYearMonthDayFromTheDeclaredOrder)
{
    for (const DateCase& c : kDateCases)
    {
        SCOPED_TRACE(testing::Message() << "order " << static_cast<int>(c.order) << " text '"
                                        << std::wstring(c.text).size() << " chars'");
        std::wstring out = L"untouched";
        bool converted = MakeConverter(c.order)->Convert(c.text, out);
        EXPECT_EQ(c.converts, converted);
        EXPECT_EQ(c.converts ? std::wstring(c.expected) : std::wstring(L"untouched"), out);
    }
}

} // namespace
