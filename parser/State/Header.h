#pragma once

#include "parser/State/StateBase.h"

#include <boost/function.hpp>

namespace State
{

// HEADER: keyword lines that set the separator and terminator; opens UNITS.
class CHeader final : public CStateBase
{
public:
    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleLine(const std::wstring& line) override;
    std::wstring_view Name() const override;

private:
    typedef boost::function<void(wchar_t)> CharSetter;

    // A line "<keyword> <value>" (keyword matched case-insensitively, by its own length only)
    // hands the value's character to the setter; any other line has no effect. False for a line
    // of the keyword whose value cannot be read.
    static bool ApplyCharSetting(const std::wstring& line, const wchar_t* keyword,
                                 const CharSetter& setter);
};

} // namespace State
