#pragma once

#include "parser/State/StateBaseWithParams.h"

#include <cstdint>

namespace State
{

// CONFIGS inside THEODOLITE: the instrument, and so the vertical-angle offset, of each
// configuration.
class CTheodoliteConfigs final : public CStateBaseWithParams
{
public:
    explicit CTheodoliteConfigs(CColumnNames columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleRow() override;
    std::wstring_view Name() const override;

private:
    bool ReadsRows() const override;

    const std::int32_t m_configColumn;
    const std::int32_t m_instrumentColumn;
};

} // namespace State
