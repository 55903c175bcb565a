#pragma once

#include "parser/State/StateBaseWithParams.h"

namespace State
{

// INSTRUMENTS inside THEODOLITE: the vertical-angle type of each instrument.
class CTheodoliteInstruments final : public CStateBaseWithParams
{
public:
    explicit CTheodoliteInstruments(std::vector<std::wstring> columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
