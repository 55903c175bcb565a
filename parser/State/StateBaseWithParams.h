#pragma once

#include "parser/ColumnNames.h"
#include "parser/Lexer.h"
#include "parser/State/StateBase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace State
{

// A section whose head lists its columns: "POINTS(PointNo,PointID,North)". Its rows are split
// into m_fields, which keeps the fields of the columns looked up and none after the last of them.
class CStateBaseWithParams : public CStateBase
{
public:
    explicit CStateBaseWithParams(CColumnNames columns);

protected:
    // Position of the first column with exactly this name, or -1 when the head lists none. A
    // column found is one the rows' fields are kept for.
    std::int32_t FindColumn(const std::wstring& name);

    CFieldList m_fields;

private:
    const CColumnNames m_columns;
};

} // namespace State
