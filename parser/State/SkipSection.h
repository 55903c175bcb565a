#pragma once

#include "parser/State/StateBase.h"

#include <string>

namespace State
{

// A section the parser does not read. It opens nothing, so the first "END <name>" closes it,
// however the lines inside are nested.
class CSkipSection final : public CStateBase
{
public:
    explicit CSkipSection(std::wstring name);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
    std::wstring_view Name() const override;

private:
    const std::wstring m_name;
};

} // namespace State
