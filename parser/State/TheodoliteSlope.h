#pragma once

#include "parser/State/StateBaseWithParams.h"

#include <cstdint>
#include <string>

class IGroundDataReceiver;

namespace State
{

// SLOPE inside THEODOLITE: one slope observation per row.
class CTheodoliteSlope final : public CStateBaseWithParams
{
public:
    explicit CTheodoliteSlope(CColumnNames columns);

    ParserStatePtr BeginSection(const std::wstring& line) override;
    bool IsSectionEnd(const std::wstring& line) override;
    void HandleRow() override;
    std::wstring_view Name() const override;

private:
    bool ReadsRows() const override;

    void SendDate(IGroundDataReceiver& receiver);
    void SendVerticalAngleOffset(IGroundDataReceiver& receiver);

    const std::int32_t m_targetNoColumn;
    const std::int32_t m_targetIdColumn;
    const std::int32_t m_configColumn;
    const std::int32_t m_horizontalColumn;
    const std::int32_t m_verticalColumn;
    const std::int32_t m_distanceColumn;
    const std::int32_t m_reflectorColumn;
    const std::int32_t m_dateColumn;
    // The date and the offset go to the receiver once per section, on the first row that has a
    // usable one.
    bool m_dateSent = false;
    bool m_offsetSent = false;
    std::wstring m_date;
};

} // namespace State
