#include "parser/State/StateBaseWithParams.h"

namespace State
{

CStateBaseWithParams::CStateBaseWithParams(CColumnNames columns) : m_columns(std::move(columns)) {}

std::int32_t CStateBaseWithParams::FindColumn(const std::wstring& name) const
{
    return m_columns.Find(name);
}

} // namespace State
