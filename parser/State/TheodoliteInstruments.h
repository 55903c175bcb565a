#pragma once

#include "parser/State/StateBaseWithParams.h"

#include <cstdint>

namespace State
{

// INSTRUMENTS inside THEODOLITE: the vertical-angle type of each instrument.
class CTheodoliteInstruments final : public CStateBaseWithParams
{
public:
    explicit CTheodoliteInstruments(CColumnNames columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleRow() override;
    std::wstring_view Name() const override;

private:
    bool ReadsRows() const override;

    const std::int32_t m_nameColumn;
    const std::int32_t m_typeColumn;
};

} // namespace State
