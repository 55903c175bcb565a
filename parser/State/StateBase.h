#pragma once

#include "parser/ParserState.h"

class IParserStateContext;

namespace State
{

// Holds the context that the parser hands every state before its first line.
class CStateBase : public IParserState
{
public:
    void SetContext(IParserStateContext* context) override;
    // Lines whole, unless a state reads rows.
    CFieldList* RowFields() override { return nullptr; }
    void HandleRow() override {}

protected:
    IParserStateContext* Context() const { return m_context; }

private:
    IParserStateContext* m_context = nullptr;
};

} // namespace State
