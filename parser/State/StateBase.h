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

protected:
    IParserStateContext* Context() const { return m_context; }

private:
    IParserStateContext* m_context = nullptr;
};

} // namespace State
