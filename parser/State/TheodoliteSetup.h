#pragma once

#include "parser/State/StateBase.h"

namespace State
{

// SETUP inside THEODOLITE: keyword lines of one station occupation.
class CTheodoliteSetup final : public CStateBase
{
public:
    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
