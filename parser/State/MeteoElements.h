#pragma once

#include "parser/State/StateBaseWithParams.h"

#include <cstdint>

namespace State
{

// ELEMENTS inside METEO: the temperature and pressure read at each station.
class CMeteoElements final : public CStateBaseWithParams
{
public:
    explicit CMeteoElements(CColumnNames columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleRow() override;
    std::wstring_view Name() const override;

private:
    bool ReadsRows() const override;

    const std::int32_t m_stationColumn;
    const std::int32_t m_temperatureColumn;
    const std::int32_t m_pressureColumn;
};

} // namespace State
