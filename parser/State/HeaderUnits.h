#pragma once

#include "parser/State/StateBase.h"

#include <string>

namespace State
{

// UNITS inside HEADER: the units of angles, lengths, temperatures, pressures and dates.
class CHeaderUnits final : public CStateBase
{
public:
    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
    std::wstring_view Name() const override;

private:
    // Each handler acts only when the quantity is its own keyword; true when it read the unit.
    bool HandleAngle(const std::wstring& quantity, const std::wstring& unit);
    bool HandleLinear(const std::wstring& quantity, const std::wstring& unit);
    bool HandleTemperature(const std::wstring& quantity, const std::wstring& unit);
    bool HandlePressure(const std::wstring& quantity, const std::wstring& unit);
    bool HandleDate(const std::wstring& quantity, const std::wstring& unit);
};

} // namespace State
