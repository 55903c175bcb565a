#include "parser/State/TheodoliteConfigs.h"

#include "parser/SectionGrammar.h"

namespace State
{

CTheodoliteConfigs::CTheodoliteConfigs(std::vector<std::wstring> columns)
    : CStateBaseWithParams(std::move(columns))
{
}

ParserStatePtr CTheodoliteConfigs::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CTheodoliteConfigs::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Configs);
}

void CTheodoliteConfigs::HandleLine(const std::wstring&) {}

} // namespace State
