#include "parser/State/TheodoliteInstruments.h"

#include "parser/SectionGrammar.h"

namespace State
{

CTheodoliteInstruments::CTheodoliteInstruments(std::vector<std::wstring> columns)
    : CStateBaseWithParams(std::move(columns))
{
}

ParserStatePtr CTheodoliteInstruments::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CTheodoliteInstruments::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Instruments);
}

void CTheodoliteInstruments::HandleLine(const std::wstring&) {}

} // namespace State
