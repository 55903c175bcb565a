#pragma once

#include "parser/State/StateBaseWithParams.h"

namespace State
{

// ELEMENTS inside METEO: the temperature and pressure read at each station.
class CMeteoElements final : public CStateBaseWithParams
{
public:
    explicit CMeteoElements(std::vector<std::wstring> columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
};

} // namespace State
