#include "parser/State/SkipSection.h"

#include "parser/SectionGrammar.h"

namespace State
{

CSkipSection::CSkipSection(std::wstring name) : m_name(std::move(name)) {}

ParserStatePtr CSkipSection::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CSkipSection::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, m_name);
}

void CSkipSection::HandleLine(const std::wstring&) {}

std::wstring_view CSkipSection::Name() const
{
    return m_name;
}

} // namespace State
