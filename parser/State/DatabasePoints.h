#pragma once

#include "parser/State/StateBaseWithParams.h"

namespace State
{

// POINTS inside DATABASE: one control point per row.
class CDatabasePoints final : public CStateBaseWithParams
{
public:
    explicit CDatabasePoints(std::vector<std::wstring> columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
