#include "parser/State/Initial.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/Database.h"
#include "parser/State/Header.h"
#include "parser/State/Meteo.h"
#include "parser/State/Theodolite.h"

namespace State
{
namespace
{
template <class TState> ParserStatePtr OpenTopLevel(IParserStateContext* context)
{
    context->MarkFormatRecognised();
    return boost::make_shared<TState>();
}
} // namespace

ParserStatePtr CInitial::BeginSection(const std::wstring& line)
{
    if (line == SectionNames::Header)
        return OpenTopLevel<CHeader>(Context());
    if (line == SectionNames::Database)
        return OpenTopLevel<CDatabase>(Context());
    if (line == SectionNames::Theodolite)
        return OpenTopLevel<CTheodolite>(Context());
    if (line == SectionNames::Meteo)
        return OpenTopLevel<CMeteo>(Context());
    return ParserStatePtr();
}

bool CInitial::IsSectionEnd(const std::wstring&)
{
    return false;
}

void CInitial::HandleLine(const std::wstring&) {}

std::wstring_view CInitial::Name() const
{
    return {};
}

} // namespace State
