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

    // A content line is a row, cut here unless the head lacks a column the state needs.
    void HandleLine(const std::wstring& line) final;
    CFieldList* RowFields() final;

protected:
    // True when the head lists the columns without which no row can be read.
    virtual bool ReadsRows() const = 0;
    // A content line of a section that cannot read its rows.
    virtual void HandleUnreadRow() {}

    // Position of the first column with exactly this name, or -1 when the head lists none. A
    // column found is one the rows' fields are kept for.
    std::int32_t FindColumn(const std::wstring& name);

    CFieldList m_fields;

private:
    const CColumnNames m_columns;
};

} // namespace State
