#pragma once

#include "parser/State/StateBase.h"

namespace State
{

// The top level of a file: opens HEADER, DATABASE, THEODOLITE and METEO and never ends.
class CInitial final : public CStateBase
{
public:
    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
    std::wstring_view Name() const override;
};

} // namespace State
