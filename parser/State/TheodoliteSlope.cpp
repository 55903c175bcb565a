#include "parser/State/TheodoliteSlope.h"

#include "convert/DateConverter.h"
#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/ConvertField.h"

namespace State
{

CTheodoliteSlope::CTheodoliteSlope(CColumnNames columns)
    : CStateBaseWithParams(std::move(columns)), m_targetNoColumn(FindColumn(L"TgtNo")),
      m_targetIdColumn(FindColumn(L"TgtID")), m_configColumn(FindColumn(L"CfgNo")),
      m_horizontalColumn(FindColumn(L"Hz")), m_verticalColumn(FindColumn(L"Vz")),
      m_distanceColumn(FindColumn(L"SDist")), m_reflectorColumn(FindColumn(L"RefHt")),
      m_dateColumn(FindColumn(L"Date"))
{
}

ParserStatePtr CTheodoliteSlope::BeginSection(const std::wstring&)
{
    return ParserStatePtr();
}

bool CTheodoliteSlope::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Slope);
}

bool CTheodoliteSlope::ReadsRows() const
{
    return m_targetNoColumn >= 0 && m_targetIdColumn >= 0;
}

void CTheodoliteSlope::HandleRow()
{
    if (!m_fields.Has(m_targetIdColumn))
        return;

    IGroundDataReceiver& receiver = *Context()->GetReceiver();
    receiver.BeginTarget(m_fields[m_targetIdColumn].c_str());
    Context()->NoteRecordOpened();

    if (m_fields.Has(m_targetNoColumn))
    {
        // Only points of POINTS sections read before this row are known.
        const PointTable& points = Context()->GetPointTable();
        const std::wstring* code = points.FindCode(m_fields[m_targetNoColumn]);
        if (code && !code->empty())
            receiver.SetCode(code->c_str());
    }

    // Empty fields are handed to the converters too; the host decides what they read.
    Plugin::IAngleConverter* const angles = Context()->BorrowAngleConverter();
    ILinearConverter* const lengths = Context()->BorrowLinearConverter();
    if (m_fields.Has(m_horizontalColumn))
        if (const auto angle = ConvertField(angles, m_fields[m_horizontalColumn]))
            receiver.SetHorizontalAngle(*angle);
    if (m_fields.Has(m_verticalColumn))
        if (const auto angle = ConvertField(angles, m_fields[m_verticalColumn]))
            receiver.SetVerticalAngle(*angle);
    if (m_fields.Has(m_distanceColumn))
        if (const auto distance = ConvertField(lengths, m_fields[m_distanceColumn]))
            receiver.SetSlopeDistance(*distance);
    if (m_fields.Has(m_reflectorColumn))
        if (const auto height = ConvertField(lengths, m_fields[m_reflectorColumn]))
            receiver.SetReflectorHeight(*height);

    if (!m_dateSent && m_fields.Has(m_dateColumn))
        SendDate(receiver);
    if (!m_offsetSent && m_fields.Has(m_configColumn))
        SendVerticalAngleOffset(receiver);
}

void CTheodoliteSlope::SendDate(IGroundDataReceiver& receiver)
{
    const boost::shared_ptr<IDateConverter> converter = Context()->GetDateConverter();
    m_date.clear();
    if (converter && converter->Convert(m_fields[m_dateColumn].str(), m_date))
    {
        receiver.SetDate(m_date.c_str());
        m_dateSent = true;
    }
}

void CTheodoliteSlope::SendVerticalAngleOffset(IGroundDataReceiver& receiver)
{
    const ConfigTable& configs = Context()->GetConfigTable();
    const auto config = configs.find(std::wstring_view(m_fields[m_configColumn]));
    if (config != configs.end())
    {
        receiver.SetVerticalAngleOffset(config->second);
        m_offsetSent = true;
    }
}

std::wstring_view CTheodoliteSlope::Name() const
{
    return SectionNames::Slope;
}

} // namespace State
