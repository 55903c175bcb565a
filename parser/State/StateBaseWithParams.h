#pragma once

#include "parser/ColumnNames.h"
#include "parser/State/StateBase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace State
{

// A section whose head lists its columns: "POINTS(PointNo,PointID,North)".
class CStateBaseWithParams : public CStateBase
{
public:
    explicit CStateBaseWithParams(CColumnNames columns);

protected:
    // Position of the first column with exactly this name, or -1 when the head lists none.
    std::int32_t FindColumn(const std::wstring& name) const;

private:
    const CColumnNames m_columns;
};

} // namespace State
