#include "parser/State/Database.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/DatabasePoints.h"

namespace State
{

ParserStatePtr CDatabase::BeginSection(const std::wstring& line)
{
    if (StartsWithKeyword(line, SectionNames::Points))
        return CreateStateWithParams<CDatabasePoints>(line, Context()->GetSeparator());
    for (const wchar_t* skipped : {SkippedSectionNames::Jobs, SkippedSectionNames::Lines,
                                   SkippedSectionNames::Polygons, SkippedSectionNames::Text})
        if (StartsWithKeyword(line, skipped))
            return CreateSkipSection(line);
    return ParserStatePtr();
}

bool CDatabase::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Database);
}

void CDatabase::HandleLine(const std::wstring&) {}

std::wstring_view CDatabase::Name() const
{
    return SectionNames::Database;
}

} // namespace State
