// The pieces of JSON text every JSON output is written with: strings, numbers, objects and arrays,
// and an angle's object of degrees, minutes and seconds. The document, the GeoJSON features and the
// summary write each of them the same way.
#pragma once

#include "host/kit/Numbers.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Host
{

// The most room WriteJsonString takes: the quotation marks, and six bytes a byte (\u00XX).
inline std::size_t JsonStringRoom(std::string_view text)
{
    return 6 * text.size() + 2;
}

// Writes text as a JSON string at out, which has JsonStringRoom(text) bytes, and returns the end.
// Quotation mark, backslash and control characters are escaped (\n, \u001f); bytes that are not
// UTF-8 become U+FFFD, one for each longest start of a sequence that cannot go on, so that the
// text is always valid JSON.
char* WriteJsonString(char* out, std::string_view text);
void AppendJsonString(std::string& out, std::string_view text);

// A number in the JSON layout of Numbers.h: "20.0", "1e-07", null for infinities and NaN.
inline char* WriteJsonNumber(char* out, double value)
{
    return WriteNumber(out, value, NumberLayout::Json);
}
inline void AppendJsonNumber(std::string& out, double value)
{
    AppendNumber(out, value, NumberLayout::Json);
}

// Objects and arrays written as they are filled, either indented (each member on a line of its
// own, two spaces deeper than its object, whose opening bracket the caller has placed at indent)
// or on one line with ", " between members. Empty ones are "{}" and "[]".
class CJsonWriter
{
public:
    static constexpr int OneLine = -1;

    explicit CJsonWriter(std::string& out, int indent = OneLine) : m_out(out), m_indent(indent) {}

    CJsonWriter& BeginObject() { return Open('{'); }
    CJsonWriter& EndObject() { return Close('}'); }
    CJsonWriter& BeginArray() { return Open('['); }
    CJsonWriter& EndArray() { return Close(']'); }
    CJsonWriter& Key(std::string_view key);

    CJsonWriter& String(std::string_view text);
    CJsonWriter& Number(double value);
    CJsonWriter& Integer(std::int64_t value);
    CJsonWriter& Count(std::uint64_t value);
    CJsonWriter& Bool(bool value) { return Literal(value ? "true" : "false"); }
    CJsonWriter& Null() { return Literal("null"); }
    // A value that is JSON text already.
    CJsonWriter& Literal(std::string_view json);

private:
    CJsonWriter& Open(char bracket);
    CJsonWriter& Close(char bracket);
    void NextMember();
    void BeforeValue();
    void NewLine(int depth);

    std::string& m_out;
    int m_indent;
    int m_depth = 0;
    // Bit n tells whether the open object or array at depth n has a member; 63 levels are enough
    // for every output.
    std::uint64_t m_filled = 0;
    bool m_afterKey = false;
};

// An angle in degrees as its parts: {"negative": false, "degrees": 12, "minutes": 30,
// "seconds": 15.5}, the whole degrees with all their digits.
void WriteDmsObject(CJsonWriter& json, double degrees);

} // namespace Host
