#include "parser/State/TheodoliteSlope.h"

#include "parser/SectionGrammar.h"

namespace State
{

CTheodoliteSlope::CTheodoliteSlope(std::vector<std::wstring> columns)
    : CStateBaseWithParams(std::move(columns))
{
}

ParserStatePtr CTheodoliteSlope::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CTheodoliteSlope::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Slope);
}

void CTheodoliteSlope::HandleLine(const std::wstring&) {}

} // namespace State
