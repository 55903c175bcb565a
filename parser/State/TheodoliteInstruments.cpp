#include "parser/State/TheodoliteInstruments.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"

namespace State
{
namespace
{

// The quarter turn written to thirteen decimals. It differs from the double nearest to pi/2 in
// the last bits, and this is the value the receiver is given.
const double kZenithOffset = 1.5707963267949;
const double kHorizonOffset = 0.0;
const double kNadirOffset = -1.5707963267949;

// Where the vertical angle of an instrument of this V_TYPE has its zero, in radians.
bool VerticalAngleOffset(const std::wstring& type, double& offset)
{
    if (type == L"ZENITH")
        offset = kZenithOffset;
    else if (type == L"HORIZON")
        offset = kHorizonOffset;
    else if (type == L"NADIR")
        offset = kNadirOffset;
    else
        return false;
    return true;
}

} // namespace

CTheodoliteInstruments::CTheodoliteInstruments(CColumnNames columns)
    : CStateBaseWithParams(std::move(columns)), m_nameColumn(FindColumn(L"Name")),
      m_typeColumn(FindColumn(L"V_TYPE"))
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

bool CTheodoliteInstruments::ReadsRows() const
{
    return m_nameColumn >= 0 && m_typeColumn >= 0;
}

void CTheodoliteInstruments::HandleRow()
{
    if (!m_fields.Has(m_nameColumn) || !m_fields.Has(m_typeColumn))
        return;
    double offset = 0.0;
    if (!VerticalAngleOffset(m_fields[m_typeColumn].str(), offset))
        return;
    // The first row for an instrument stands; later ones do not replace it.
    Context()->GetInstrumentTable().try_emplace(m_fields[m_nameColumn].str(), offset);
}

std::wstring_view CTheodoliteInstruments::Name() const
{
    return SectionNames::Instruments;
}

} // namespace State
