#pragma once

#include "parser/State/StateBase.h"

namespace State
{

// HEADER: keyword lines that set the separator and terminator; opens UNITS.
class CHeader final : public CStateBase
{
public:
    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
