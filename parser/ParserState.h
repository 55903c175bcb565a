// One open section of a file. The parser offers every line to the current section: first as the
// head of a subsection, then as this section's END line, otherwise as content.
#pragma once

#include <boost/shared_ptr.hpp>

#include <string>
#include <string_view>

class CFieldList;
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
    // For a parser that cuts rows before it decodes them: the list the next data row goes into,
    // cut as SplitRow cuts it, or null when the state wants its lines whole. A state that gives
    // a list opens and closes sections only on lines that begin with a capital ASCII letter, as
    // every keyword does, and reads any other line as a row: such a line may skip BeginSection,
    // IsSectionEnd and HandleLine, and come cut, to HandleRow. Asked once, when the state comes
    // on top: the answer holds for the state's life.
    virtual CFieldList* RowFields() = 0;
    // The data row just cut into RowFields().
    virtual void HandleRow() = 0;
    // The context outlives the state; it is set before the state sees any line.
    virtual void SetContext(IParserStateContext* context) = 0;
    // The section's name as its END line gives it; empty for the top level.
    virtual std::wstring_view Name() const = 0;
};

typedef boost::shared_ptr<IParserState> ParserStatePtr;
