#pragma once

#include "parser/State/StateBaseWithParams.h"
#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <optional>

namespace State
{

// POINTS inside DATABASE: one control point per row.
class CDatabasePoints final : public CStateBaseWithParams
{
public:
    explicit CDatabasePoints(CColumnNames columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleRow() override;
    std::wstring_view Name() const override;

private:
    bool ReadsRows() const override;
    void HandleUnreadRow() override;

    // A coordinate through the linear converter, when its field holds text that converts.
    std::optional<double> Coordinate(ILinearConverter* converter, std::int32_t column) const;

    // Column positions in the head's list, -1 when the head does not list the column.
    const std::int32_t m_pointNoColumn;
    const std::int32_t m_pointIdColumn;
    const std::int32_t m_northColumn;
    const std::int32_t m_eastColumn;
    const std::int32_t m_elevationColumn;
    const std::int32_t m_codeColumn;
    const std::int32_t m_classColumn;
};

} // namespace State
