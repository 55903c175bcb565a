// The text of a double for every output: the shortest digits that read back as the same double,
// laid out as the output has always laid out its numbers. All outputs take their digits from here,
// so that a value reads the same in each of them.
#pragma once

#include <cstddef>
#include <string>

namespace Host
{

enum class NumberLayout
{
    // As std::to_chars without a format: fixed or scientific, whichever is shorter, fixed when
    // both are as long ("100", "1e+15", "123456789012345680", "1e-07"), whole numbers from 2^53
    // on with their exact digits ("757449717349091377152"); "inf", "-inf", "nan".
    Shortest,
    // As the JSON document has always written numbers: fixed while the decimal point lies from 3
    // zeros before the first digit to 15 digits after it, with ".0" on whole numbers ("20.0",
    // "-0.0", "0.0001", "123456789012345.0"), scientific with at least two exponent digits beyond
    // ("1e-05", "1e+15", "1.2345678901234568e+17"); null for infinities and NaN, which JSON cannot
    // hold.
    Json
};

// The most room WriteNumber takes: its longest text has 24 characters, and it may write up to 16
// more bytes past the end of the text, which are left undefined.
constexpr std::size_t NumberRoom = 48;

// Writes value at out, which has NumberRoom bytes, and returns the end of the text.
char* WriteNumber(char* out, double value, NumberLayout layout = NumberLayout::Shortest);

void AppendNumber(std::string& out, double value, NumberLayout layout = NumberLayout::Shortest);
std::string NumberText(double value, NumberLayout layout = NumberLayout::Shortest);

} // namespace Host
