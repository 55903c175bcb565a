#include "parser/State/TheodoliteConfigs.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"

namespace State
{

CTheodoliteConfigs::CTheodoliteConfigs(CColumnNames columns)
    : CStateBaseWithParams(std::move(columns)), m_configColumn(FindColumn(L"CfgNo")),
      m_instrumentColumn(FindColumn(L"InstrName"))
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

bool CTheodoliteConfigs::ReadsRows() const
{
    return m_configColumn >= 0 && m_instrumentColumn >= 0;
}

void CTheodoliteConfigs::HandleRow()
{
    if (!m_fields.Has(m_configColumn) || !m_fields.Has(m_instrumentColumn))
        return;
    // Only instruments listed on earlier lines are known; a configuration of any other is left
    // out for good, even if its instrument is listed later.
    const InstrumentTable& instruments = Context()->GetInstrumentTable();
    const auto instrument = instruments.find(m_fields[m_instrumentColumn].str());
    if (instrument == instruments.end())
        return;
    Context()->GetConfigTable().try_emplace(m_fields[m_configColumn].str(), instrument->second);
}

std::wstring_view CTheodoliteConfigs::Name() const
{
    return SectionNames::Configs;
}

} // namespace State
