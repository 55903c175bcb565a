// The pieces every JSON output is written with. nlohmann-json, which the summary was once written
// with, is the independent reader and writer they are checked against.
#include "host/formats/json/JsonText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace
{

using Host::CJsonWriter;
using Json = nlohmann::ordered_json;

std::string Dumped(const std::string& text)
{
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

TEST(JsonTextTest, StringsAreEscapedAndInvalidUtf8IsReplaced)
{
    const std::string replacement = "\xEF\xBF\xBD";
    const struct
    {
        std::string text;
        std::string literal;
    } cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::string("\x00\x1f\x7f", 3), "\"\\u0000\\u001f\x7f\""},
        {"Пункт \xF0\x9F\x93\x8D \xEF\xBF\xBF", "\"Пункт \xF0\x9F\x93\x8D \xEF\xBF\xBF\""},
        // Each longest start of a sequence that cannot go on is one U+FFFD; the byte that ended it
        // is read again.
        {"caf\xE9", "\"caf" + replacement + "\""},
        {"\xE9t\xE9", "\"" + replacement + "t" + replacement + "\""},
        {"\xC3", "\"" + replacement + "\""},
        {"\xE2\x82", "\"" + replacement + "\""},
        {"\xE2\x82x", "\"" + replacement + "x\""},
        {"\xF0\x9F\x93", "\"" + replacement + "\""},
        {"\x80\xBF", "\"" + replacement + replacement + "\""},
        {"\xC0\xAF", "\"" + replacement + replacement + "\""},                   // overlong
        {"\xE0\x80\xAF", "\"" + replacement + replacement + replacement + "\""}, // overlong
        {"\xED\xA0\x80", "\"" + replacement + replacement + replacement + "\""}, // surrogate
        {"\xF4\x90\x80\x80", "\"" + replacement + replacement + replacement + replacement + "\""},
        {"\xF5\xFF", "\"" + replacement + replacement + "\""},
        {"\xE2\xC3\xA9", "\"" + replacement + "\xC3\xA9\""},
    };
    for (const auto& c : cases)
    {
        std::string out;
        Host::AppendJsonString(out, c.text);
        EXPECT_EQ(c.literal, out) << c.literal;
        EXPECT_EQ(Dumped(c.text), out) << c.literal;
    }
}

TEST(JsonTextTest, ObjectsAndArraysAreIndentedAsTheSummaryWasOrKeptOnOneLine)
{
    auto write = [](CJsonWriter& json)
    {
        json.BeginObject().Key("path").String("a\n").Key("empty").BeginArray().EndArray();
        json.Key("none").BeginObject().EndObject().Key("list").BeginArray();
        json.Integer(-7).Count(18446744073709551615u).Bool(true).Null().Number(0.5);
        json.BeginObject().Key("deep").BeginArray().Number(20).EndArray().EndObject();
        json.EndArray().Key("last").Literal("1e+300").EndObject();
    };
    const Json expected = Json::parse(R"({"path": "a\n", "empty": [], "none": {},
        "list": [-7, 18446744073709551615, true, null, 0.5, {"deep": [20.0]}], "last": 1e+300})");
    for (int indent : {0, 4})
    {
        std::string out;
        CJsonWriter json(out, indent);
        write(json);
        std::string shifted;
        for (char c : expected.dump(2))
            shifted += c == '\n' ? '\n' + std::string(static_cast<std::size_t>(indent), ' ')
                                 : std::string(1, c);
        EXPECT_EQ(shifted, out);
    }
    std::string out;
    CJsonWriter json(out);
    write(json);
    EXPECT_EQ(R"({"path": "a\n", "empty": [], "none": {}, "list": [-7, 18446744073709551615, )"
              R"(true, null, 0.5, {"deep": [20.0]}], "last": 1e+300})",
              out);
}

TEST(JsonTextTest, AnglesAreObjectsOfTheirParts)
{
    const struct
    {
        double degrees;
        const char* object;
    } cases[] = {
        {0.0, R"({"negative": false, "degrees": 0, "minutes": 0, "seconds": 0.0})"},
        {-0.0, R"({"negative": false, "degrees": 0, "minutes": 0, "seconds": 0.0})"},
        {12.5, R"({"negative": false, "degrees": 12, "minutes": 30, "seconds": 0.0})"},
        {-12.515625, R"({"negative": true, "degrees": 12, "minutes": 30, "seconds": 56.25})"},
        {1e18, R"({"negative": false, "degrees": 1000000000000000000, "minutes": 0, )"
               R"("seconds": 0.0})"},
    };
    for (const auto& c : cases)
    {
        std::string line;
        CJsonWriter oneLine(line);
        Host::WriteDmsObject(oneLine, c.degrees);
        EXPECT_EQ(c.object, line);
        std::string lines;
        CJsonWriter indented(lines, 0);
        Host::WriteDmsObject(indented, c.degrees);
        EXPECT_EQ(Json::parse(c.object).dump(2), lines) << c.object;
    }
}

} // namespace
