#pragma once

#include "parser/State/StateBaseWithParams.h"

namespace State
{

// SLOPE inside THEODOLITE: one slope observation per row.
class CTheodoliteSlope final : public CStateBaseWithParams
{
public:
    explicit CTheodoliteSlope(std::vector<std::wstring> columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
