#pragma once

#include "parser/State/StateBase.h"

namespace State
{

// DATABASE: opens POINTS and passes over JOBS, LINES, POLYGONS and TEXT.
class CDatabase final : public CStateBase
{
public:
    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
    std::wstring_view Name() const override;
};

} // namespace State
