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

private:
    // Each handler acts only when the quantity is its own keyword.
    void HandleAngle(const std::wstring& quantity, const std::wstring& unit);
    void HandleLinear(const std::wstring& quantity, const std::wstring& unit);
    void HandleTemperature(const std::wstring& quantity, const std::wstring& unit);
    void HandlePressure(const std::wstring& quantity, const std::wstring& unit);
    void HandleDate(const std::wstring& quantity, const std::wstring& unit);
};

} // namespace State
