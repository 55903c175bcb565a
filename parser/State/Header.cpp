#include "parser/State/Header.h"

#include "parser/Lexer.h"
#include "parser/ParserStateContext.h"
#include "parser/SectionGrammar.h"
#include "parser/State/HeaderUnits.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/bind/bind.hpp>
#include <boost/lexical_cast.hpp>

#include <locale>

namespace State
{

ParserStatePtr CHeader::BeginSection(const std::wstring& line)
{
    if (line == SectionNames::Units)
        return boost::make_shared<CHeaderUnits>();
    if (line == SkippedSectionNames::Offsets || line == SkippedSectionNames::Project)
        return CreateSkipSection(line);
    return ParserStatePtr();
}

bool CHeader::IsSectionEnd(const std::wstring& line)
{
    return MatchSectionEnd(line, SectionNames::Header);
}

void CHeader::HandleLine(const std::wstring& line)
{
    using boost::placeholders::_1;
    IParserStateContext* context = Context();
    // A line starts with one keyword at most, so the second is not tried after the first failed.
    if (!ApplyCharSetting(line, L"SEPARATOR",
                          boost::bind(&IParserStateContext::SetSeparator, context, _1)) ||
        !ApplyCharSetting(line, L"TERMINATOR",
                          boost::bind(&IParserStateContext::SetTerminator, context, _1)))
        context->NoteIgnoredLine(IReadObserver::IgnoredLine::HeaderSetting, line);
}

bool CHeader::ApplyCharSetting(const std::wstring& line, const wchar_t* keyword,
                               const CharSetter& setter)
{
    const std::locale locale;
    if (!boost::algorithm::istarts_with(line, keyword, locale))
        return true;

    const std::vector<std::wstring> fields = SplitHeaderKeywords(line, 3);
    if (fields.size() != 2)
        return false;

    const std::wstring& value = fields[1];
    wchar_t character = L'\0';
    if (!value.empty() && std::isdigit(value[0], locale))
    {
        // A character code; only its low 16 bits count ("65580" is ",").
        int code = 0;
        try
        {
            code = boost::lexical_cast<int>(value);
        }
        catch (const boost::bad_lexical_cast&)
        {
            return false;
        }
        character = static_cast<wchar_t>(static_cast<unsigned int>(code) & 0xFFFFu);
    }
    else if (!value.empty())
    {
        character = value[0];
    }
    setter(character);
    return true;
}

std::wstring_view CHeader::Name() const
{
    return SectionNames::Header;
}

} // namespace State
