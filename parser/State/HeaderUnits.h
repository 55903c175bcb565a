#pragma once

#include "parser/State/StateBase.h"

namespace State
{

// UNITS inside HEADER: the units of angles, lengths, temperatures, pressures and dates.
class CHeaderUnits final : public CStateBase
{
public:
    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
