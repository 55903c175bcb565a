#pragma once

#include "parser/State/StateBaseWithParams.h"

namespace State
{

// CONFIGS inside THEODOLITE: the instrument of each configuration.
class CTheodoliteConfigs final : public CStateBaseWithParams
{
public:
    explicit CTheodoliteConfigs(std::vector<std::wstring> columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
