#include "parser/State/Header.h"

#include "parser/SectionGrammar.h"
#include "parser/State/HeaderUnits.h"

namespace State
{

ParserStatePtr CHeader::BeginSection(const std::wstring& line)
{
    if (line == SectionNames::Units)
        return boost::make_shared<CHeaderUnits>();
    if (line == SkippedSectionNames::Offsets || line == SkippedSectionNames::Project)
        return CreateSkipSection(line);
    return ParserStatePtr();
}

bool CHeader::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Header);
}

void CHeader::HandleLine(const std::wstring&) {}

} // namespace State
