#include "parser/State/StateBaseWithParams.h"

#include <algorithm>

namespace State
{

CStateBaseWithParams::CStateBaseWithParams(std::vector<std::wstring> columns)
    : m_columns(std::move(columns))
{
}

std::int32_t CStateBaseWithParams::FindColumn(const std::wstring& name) const
{
    const auto found = std::find(m_columns.begin(), m_columns.end(), name);
    return found == m_columns.end() ? -1 : static_cast<std::int32_t>(found - m_columns.begin());
}

} // namespace State
