#include "parser/State/MeteoElements.h"

#include "parser/SectionGrammar.h"

namespace State
{

CMeteoElements::CMeteoElements(std::vector<std::wstring> columns)
    : CStateBaseWithParams(std::move(columns))
{
}

ParserStatePtr CMeteoElements::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CMeteoElements::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Elements);
}

void CMeteoElements::HandleLine(const std::wstring&) {}

} // namespace State
