#include "parser/State/Theodolite.h"

#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/TheodoliteConfigs.h"
#include "parser/State/TheodoliteInstruments.h"
#include "parser/State/TheodoliteSetup.h"
#include "parser/State/TheodoliteSlope.h"

namespace State
{

ParserStatePtr CTheodolite::BeginSection(const std::wstring& line)
{
    if (StartsWithKeyword(line, SectionNames::Instruments))
        return CreateStateWithParams<CTheodoliteInstruments>(line, Context()->GetSeparator());
    if (StartsWithKeyword(line, SectionNames::Configs))
        return CreateStateWithParams<CTheodoliteConfigs>(line, Context()->GetSeparator());
    if (StartsWithKeyword(line, SectionNames::Setup))
        return boost::make_shared<CTheodoliteSetup>();
    if (StartsWithKeyword(line, SectionNames::Slope))
        return CreateStateWithParams<CTheodoliteSlope>(line, Context()->GetSeparator());
    return ParserStatePtr();
}

bool CTheodolite::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Theodolite);
}

void CTheodolite::HandleLine(const std::wstring&) {}

std::wstring_view CTheodolite::Name() const
{
    return SectionNames::Theodolite;
}

} // namespace State
