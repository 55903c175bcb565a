#include "parser/SectionGrammar.h"

#include "parser/Lexer.h"
#include "parser/State/SkipSection.h"


#include <algorithm>

namespace SectionNames
{
const wchar_t Header[] = L"HEADER";
const wchar_t Units[] = L"UNITS";
const wchar_t Database[] = L"DATABASE";
const wchar_t Points[] = L"POINTS";
const wchar_t Theodolite[] = L"THEODOLITE";
const wchar_t Instruments[] = L"INSTRUMENTS";
const wchar_t Configs[] = L"CONFIGS";
const wchar_t Setup[] = L"SETUP";
const wchar_t Slope[] = L"SLOPE";
const wchar_t Meteo[] = L"METEO";
const wchar_t Elements[] = L"ELEMENTS";
} // namespace SectionNames

namespace SkippedSectionNames
{
const wchar_t Offsets[] = L"OFFSETS";
const wchar_t Project[] = L"PROJECT";
const wchar_t Jobs[] = L"JOBS";
const wchar_t Lines[] = L"LINES";
const wchar_t Polygons[] = L"POLYGONS";
const wchar_t Text[] = L"TEXT";
const wchar_t ThemInfo[] = L"THEMINFO";
const wchar_t ExtraInfo[] = L"EXTRAINFO";
const wchar_t PointAccuracy[] = L"PNT_ACCURACY";
const wchar_t Annotations[] = L"ANNOTATIONS";
} // namespace SkippedSectionNames

const wchar_t EndKeyword[] = L"END";

namespace
{
bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Narrows [first, last) to its text without blanks at either end; nothing is copied.
void TrimRange(const wchar_t*& first, const wchar_t*& last)
{
    while (first != last && IsBlank(*first))
        ++first;
    while (last != first && IsBlank(last[-1]))
        --last;
}
} // namespace

bool MatchSectionEnd(const std::wstring& line, std::wstring_view name)
{
    if (!StartsWithKeyword(line, EndKeyword))
        return false;
    // Two words and a third are enough to tell; the rest of a long line is not cut.
    const std::vector<std::wstring> words = SplitOnBlanks(line, 3);
    return words.size() == 2 && words[0] == EndKeyword && words[1] == name;
}

ParserStatePtr CreateSkipSection(const std::wstring& head)
{
    const wchar_t* first = head.data();
    const wchar_t* last = first + std::min(head.find(L'('), head.size());
    TrimRange(first, last);
    if (first == last)
        return ParserStatePtr();
    return boost::make_shared<State::CSkipSection>(std::wstring(first, last));
}

bool ParseColumnList(const std::wstring& head, wchar_t separator, CColumnNames& columns)
{
    const std::size_t open = head.find(L'(');
    if (open == std::wstring::npos)
        return false;
    const std::size_t close = head.rfind(L')');
    if (close == std::wstring::npos || close < open + 2)
        return false;

    columns.clear();
    // The list and one terminator a name: never more than the head between its parentheses.
    columns.reserve(close - open);
    std::size_t begin = open + 1;
    for (;;)
    {
        std::size_t end = head.find(separator, begin);
        if (end == std::wstring::npos || end > close)
            end = close;
        // A name is copied once, into the list.
        const wchar_t* first = head.data() + begin;
        const wchar_t* last = head.data() + end;
        TrimRange(first, last);
        columns.Append(first, last);
        if (end == close)
            return true;
        begin = end + 1;
    }
}
