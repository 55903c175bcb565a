#include "parser/State/HeaderUnits.h"

#include "parser/SectionGrammar.h"

namespace State
{

ParserStatePtr CHeaderUnits::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CHeaderUnits::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Units);
}

void CHeaderUnits::HandleLine(const std::wstring&) {}

} // namespace State
