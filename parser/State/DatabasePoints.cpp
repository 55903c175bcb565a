#include "parser/State/DatabasePoints.h"

#include "parser/SectionGrammar.h"

namespace State
{

CDatabasePoints::CDatabasePoints(std::vector<std::wstring> columns)
    : CStateBaseWithParams(std::move(columns))
{
}

ParserStatePtr CDatabasePoints::BeginSection(const std::wstring& line)
{
    for (const wchar_t* skipped :
         {SkippedSectionNames::ThemInfo, SkippedSectionNames::ExtraInfo,
          SkippedSectionNames::PointAccuracy, SkippedSectionNames::Annotations})
        if (StartsWithKeyword(line, skipped))
            return CreateSkipSection(line);
    return ParserStatePtr();
}

bool CDatabasePoints::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Points);
}

void CDatabasePoints::HandleLine(const std::wstring&) {}

} // namespace State
