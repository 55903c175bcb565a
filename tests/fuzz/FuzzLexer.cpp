// Cuts each input as a row (from its characters, and its ASCII ones from their bytes), a SETUP
// line and a HEADER line and aborts when the lexer's fields or its error differ from Boost's
// escaped-list tokenizer's. The first byte chooses the separator; the rest is read two bytes a
// character, so that characters past 0x7FFF, which the vector scan cannot tell apart from one
// another, come as often as the few that matter. U+012C, a separator that no byte is, must not be
// taken for the comma of its low byte.
#include "parser/Lexer.h"
#include "tests/doubles/LexerContext.h"
#include "tests/doubles/TokenizerOracle.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Fields = std::vector<std::wstring>;

const wchar_t kSeparators[] = {L',',  L';',      L'|',      L' ',    L'\'',
                               L'\t', L'\xFF0C', L'\x7FFF', L'\x12C'};
// A character whose high byte is zero is one of these, so that most characters matter.
const wchar_t kAlphabet[] = L"ab ,;|'\"\\n\t\xFF0C\x7FFF\x8000";

std::wstring Characters(const std::uint8_t* data, std::size_t size)
{
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
    {
        const unsigned code = data[i] | unsigned{data[i + 1]} << 8;
        text.push_back(data[i + 1] == 0 ? kAlphabet[code % (sizeof kAlphabet / sizeof(wchar_t) - 1)]
                                        : static_cast<wchar_t>(code));
    }
    return text;
}

// The fields a split gives, or its error.
template <class Split> std::pair<Fields, std::string> Outcome(Split split)
{
    try
    {
        return {split(), "none"};
    }
    catch (const boost::escaped_list_error& error)
    {
        return {Fields(), error.what()};
    }
}

template <class Split> void Compare(const char* what, Split split, Fields (*expect)())
{
    const std::pair<Fields, std::string> expected = Outcome(expect);
    const std::pair<Fields, std::string> actual = Outcome(split);
    if (actual != expected)
    {
        std::fprintf(stderr, "%s: %zu fields (%s) where the tokenizer gives %zu (%s)\n", what,
                     actual.first.size(), actual.second.c_str(), expected.first.size(),
                     expected.second.c_str());
        std::abort();
    }
}

Fields ToVector(const CFieldList& list)
{
    Fields fields;
    for (std::size_t i = 0; i < list.size(); ++i)
        fields.push_back(list[i].str());
    return fields;
}

// The case at hand, for the comparisons' plain function pointers.
std::wstring g_line;
std::wstring g_asciiLine;
wchar_t g_separator;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 16384)
        return 0;
    g_separator = kSeparators[data[0] % (sizeof kSeparators / sizeof kSeparators[0])];
    g_line = Characters(data + 1, size - 1);
    const TestDoubles::CLexerContext context(g_separator, L';');
    CFieldList fields;
    Compare(
        "row",
        [&]
        {
            SplitRow(context, g_line, fields);
            return ToVector(fields);
        },
        []
        {
            return TestDoubles::TokenizerSplit(
                g_line, {L"\\", std::wstring(1, g_separator), L"'\"", true, true});
        });
    // The line's ASCII characters alone, cut from their bytes.
    g_asciiLine.clear();
    std::string bytes;
    for (const wchar_t c : g_line)
        if (static_cast<std::uint32_t>(c) < 0x80)
        {
            g_asciiLine.push_back(c);
            bytes.push_back(static_cast<char>(c));
        }
    Compare(
        "ASCII row",
        [&]
        {
            SplitAsciiRow(context, bytes.data(), bytes.data() + bytes.size(), fields);
            return ToVector(fields);
        },
        []
        {
            return TestDoubles::TokenizerSplit(
                g_asciiLine, {L"\\", std::wstring(1, g_separator), L"'\"", true, true});
        });
    Compare(
        "words",
        [&]
        {
            SplitWords(context, g_line, fields);
            return ToVector(fields);
        },
        [] {
            return TestDoubles::TokenizerSplit(g_line, {L"\\", L" \t", L"\"", true, false});
        });
    Compare(
        "keywords", [&] { return SplitHeaderKeywords(g_line); },
        [] {
            return TestDoubles::TokenizerSplit(g_line, {L"", L" \t", L"'", false, false});
        });
    return 0;
}
