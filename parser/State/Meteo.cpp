#include "parser/State/Meteo.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/MeteoElements.h"

namespace State
{

ParserStatePtr CMeteo::BeginSection(const std::wstring& line)
{
    if (StartsWithKeyword(line, SectionNames::Elements))
        return CreateStateWithParams<CMeteoElements>(line, Context()->GetSeparator());
    return ParserStatePtr();
}

bool CMeteo::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Meteo);
}

void CMeteo::HandleLine(const std::wstring&) {}

std::wstring_view CMeteo::Name() const
{
    return SectionNames::Meteo;
}

} // namespace State
