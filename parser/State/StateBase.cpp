#include "parser/State/StateBase.h"

namespace State
{

void CStateBase::SetContext(IParserStateContext* context)
{
    m_context = context;
}

} // namespace State
