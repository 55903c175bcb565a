#include "parser/State/TheodoliteSetup.h"

#include "parser/SectionGrammar.h"

namespace State
{

ParserStatePtr CTheodoliteSetup::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CTheodoliteSetup::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Setup);
}

void CTheodoliteSetup::HandleLine(const std::wstring&) {}

} // namespace State
