#include "parser/State/StateBaseWithParams.h"

namespace State
{

CStateBaseWithParams::CStateBaseWithParams(CColumnNames columns) : m_columns(std::move(columns))
{
    // Until a column is looked up, no field of a row is of use.
    m_fields.KeepFirst(0);
}

void CStateBaseWithParams::HandleLine(const std::wstring& line)
{
    if (!ReadsRows())
    {
        HandleUnreadRow();
        return;
    }
    SplitRow(*Context(), line, m_fields);
    HandleRow();
}

CFieldList* CStateBaseWithParams::RowFields()
{
    return ReadsRows() ? &m_fields : nullptr;
}

std::int32_t CStateBaseWithParams::FindColumn(const std::wstring& name)
{
    const std::int32_t position = m_columns.Find(name);
    m_fields.KeepColumn(position);
    return position;
}

} // namespace State
