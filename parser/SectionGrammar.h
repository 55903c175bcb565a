// Section heads and END lines of the format.
#pragma once

#include "parser/ColumnNames.h"
#include "parser/ParserState.h"

#include <boost/make_shared.hpp>

#include <string>
#include <string_view>
#include <vector>

// The sections the parser reads; each name both opens its section and closes it ("END POINTS").
namespace SectionNames
{
extern const wchar_t Header[];
extern const wchar_t Units[];
extern const wchar_t Database[];
extern const wchar_t Points[];
extern const wchar_t Theodolite[];
extern const wchar_t Instruments[];
extern const wchar_t Configs[];
extern const wchar_t Setup[];
extern const wchar_t Slope[];
extern const wchar_t Meteo[];
extern const wchar_t Elements[];
} // namespace SectionNames

// Sections that are recognised and passed over whole.
namespace SkippedSectionNames
{
extern const wchar_t Offsets[];
extern const wchar_t Project[];
extern const wchar_t Jobs[];
extern const wchar_t Lines[];
extern const wchar_t Polygons[];
extern const wchar_t Text[];
extern const wchar_t ThemInfo[];
extern const wchar_t ExtraInfo[];
extern const wchar_t PointAccuracy[];
extern const wchar_t Annotations[];
} // namespace SkippedSectionNames

extern const wchar_t EndKeyword[];

// True when the line is exactly "END", blanks, and the name.
bool MatchSectionEnd(const std::wstring& line, std::wstring_view name);

// True when the line begins with the keyword; whatever follows it does not matter. Inline, as
// most lines are data rows that every state asks about every keyword it knows, and their first
// character already differs from every keyword's.
inline bool StartsWithKeyword(const std::wstring& line, const wchar_t* keyword)
{
    if (*keyword != L'\0' && (line.empty() || line[0] != *keyword))
        return false;
    const std::size_t size = std::char_traits<wchar_t>::length(keyword);
    return line.size() >= size && std::char_traits<wchar_t>::compare(line.data(), keyword, size) == 0;
}

// A section passed over up to "END <name>", the name being the head's text before "(", trimmed;
// null when that text is empty.
ParserStatePtr CreateSkipSection(const std::wstring& head);

// The names between the head's first "(" and its last ")", split at the separator and trimmed of
// blanks; false when the head has no such list.
bool ParseColumnList(const std::wstring& head, wchar_t separator, CColumnNames& columns);

// A state that reads its columns from the head's list, or a skipped section when the head has no
// usable list.
template <class TState>
ParserStatePtr CreateStateWithParams(const std::wstring& head, wchar_t separator)
{
    CColumnNames columns;
    if (!ParseColumnList(head, separator, columns))
        return CreateSkipSection(head);
    return boost::make_shared<TState>(std::move(columns));
}
