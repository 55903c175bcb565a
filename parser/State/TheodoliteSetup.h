#pragma once

#include "parser/Lexer.h"
#include "parser/ParserStateContext.h"
#include "parser/State/StateBase.h"

namespace State
{

// SETUP inside THEODOLITE: keyword lines of one station occupation.
class CTheodoliteSetup final : public CStateBase
{
public:
    // A line of more than two words is not read: a third says so.
    CTheodoliteSetup() { m_fields.KeepFirst(3); }

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
    std::wstring_view Name() const override;

private:
    // Readings of the station named by the last STN_NO line that the meteo table knew; both
    // absent until then. STN_ID lines hand them to each station they open.
    MeteoReadings m_readings;
    CFieldList m_fields;
};

} // namespace State
