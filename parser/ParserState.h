// One open section of a file. The parser offers every line to the current section: first as the
// head of a subsection, then as this section's END line, otherwise as content.
#pragma once

#include <boost/shared_ptr.hpp>

#include <string>
#include <string_view>

class IParserStateContext;

class IParserState
{
public:
    virtual ~IParserState() = default;

    // The state of the subsection that the trimmed line opens here, or null.
    virtual boost::shared_ptr<IParserState> BeginSection(const std::wstring& line) = 0;
    // True when the trimmed line closes this section.
    virtual bool IsSectionEnd(const std::wstring& line) = 0;
    // A content line of this section: a keyword line or a data row.
    virtual void HandleLine(const std::wstring& line) = 0;
    // The context outlives the state; it is set before the state sees any line.
    virtual void SetContext(IParserStateContext* context) = 0;
    // The section's name as its END line gives it; empty for the top level.
    virtual std::wstring_view Name() const = 0;
};

typedef boost::shared_ptr<IParserState> ParserStatePtr;
