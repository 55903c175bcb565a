#include "parser/State/TheodoliteSetup.h"

#include "parser/SectionGrammar.h"
#include "parser/State/ConvertField.h"

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

void CTheodoliteSetup::HandleLine(const std::wstring& line)
{
    SplitWords(*Context(), line, m_fields);
    if (m_fields.size() != 2)
        return;
    const CFieldView keyword = m_fields[0];
    const std::wstring value = m_fields[1].str();

    if (keyword == L"STN_NO")
    {
        // A station the table does not know leaves the readings of an earlier STN_NO in force.
        const MeteoTable& meteo = Context()->GetMeteoTable();
        const auto station = meteo.find(value);
        if (station != meteo.end())
            m_readings = station->second;
    }
    else if (keyword == L"STN_ID")
    {
        IGroundDataReceiver* receiver = Context()->GetReceiver();
        receiver->BeginStation(value.c_str());
        Context()->NoteRecordOpened();
        if (m_readings.Temperature)
            receiver->SetTemperature(*m_readings.Temperature);
        if (m_readings.Pressure)
            receiver->SetPressure(*m_readings.Pressure);
    }
    else if (keyword == L"INST_HT")
    {
        // Applies to whatever record the receiver opened last; before the file's first record
        // it is neither converted nor sent.
        if (!Context()->IsRecordOpen())
            return;
        if (const auto height = ConvertField(Context()->GetLinearConverter(), value))
            Context()->GetReceiver()->SetInstrumentHeight(*height);
    }
}

std::wstring_view CTheodoliteSetup::Name() const
{
    return SectionNames::Setup;
}

} // namespace State
