#include "parser/State/MeteoElements.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/ConvertField.h"

namespace State
{

CMeteoElements::CMeteoElements(CColumnNames columns)
    : CStateBaseWithParams(std::move(columns)), m_stationColumn(FindColumn(L"StnNo")),
      m_temperatureColumn(FindColumn(L"DryTemp")), m_pressureColumn(FindColumn(L"AtmPress"))
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

bool CMeteoElements::ReadsRows() const
{
    return m_stationColumn >= 0 && (m_temperatureColumn >= 0 || m_pressureColumn >= 0);
}

void CMeteoElements::HandleRow()
{
    if (!m_fields.Has(m_stationColumn))
        return;

    // An empty field goes to the converter like any other text; the host decides what it reads.
    MeteoReadings readings;
    if (m_fields.Has(m_temperatureColumn))
        readings.Temperature =
            ConvertField(Context()->GetTemperatureConverter(), m_fields[m_temperatureColumn]);
    if (m_fields.Has(m_pressureColumn))
        readings.Pressure =
            ConvertField(Context()->GetPressureConverter(), m_fields[m_pressureColumn]);

    // The first row for a station stands, even one whose readings both failed.
    Context()->GetMeteoTable().try_emplace(m_fields[m_stationColumn].str(), readings);
}

std::wstring_view CMeteoElements::Name() const
{
    return SectionNames::Elements;
}

} // namespace State
