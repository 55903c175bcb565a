#include "parser/Lexer.h"

#include "parser/ParserStateContext.h"

#include <boost/token_functions.hpp>

#include <algorithm>
#include <cstdint>

namespace
{

// The three quoting rules differ only in which characters separate, quote and escape. Each is a
// tiny class with inline tests, so the scanner is instantiated once per rule and its inner loop
// compares against constants (or the one separator read before the row) instead of searching sets.
// When a character belongs to several roles, escape wins over separator and separator over quote.

struct RowRule
{
    static constexpr bool TrimsBlanks = true;

    explicit RowRule(wchar_t separator_)
        : separator(separator_), lowSpecials(Bit(L'\'') | Bit(L'"') | Bit(separator_))
    {
    }

    static bool IsEscape(wchar_t c) { return c == L'\\'; }
    bool IsSeparator(wchar_t c) const { return c == separator; }
    static bool IsQuote(wchar_t c) { return c == L'\'' || c == L'"'; }
    // Neither escape, separator nor quote. Digits, points, blanks and signs, most of a row, are
    // below 64 and need one test of a mask; the escape is above.
    bool IsOrdinary(wchar_t c) const
    {
        const auto code = static_cast<std::uint32_t>(c);
        return code < 64 ? ((lowSpecials >> code) & 1) == 0 : c != L'\\' && c != separator;
    }

    wchar_t separator;
    std::uint64_t lowSpecials;

private:
    static std::uint64_t Bit(wchar_t c)
    {
        const auto code = static_cast<std::uint32_t>(c);
        return code < 64 ? std::uint64_t{1} << code : 0;
    }
};

struct WordsRule
{
    static constexpr bool TrimsBlanks = false;
    static bool IsEscape(wchar_t c) { return c == L'\\'; }
    static bool IsSeparator(wchar_t c) { return c == L' ' || c == L'\t'; }
    static bool IsQuote(wchar_t c) { return c == L'"'; }
    static bool IsOrdinary(wchar_t c) { return !IsEscape(c) && !IsSeparator(c) && !IsQuote(c); }
};

struct HeaderKeywordRule
{
    static constexpr bool TrimsBlanks = false;
    static bool IsEscape(wchar_t) { return false; }
    static bool IsSeparator(wchar_t c) { return c == L' ' || c == L'\t'; }
    static bool IsQuote(wchar_t c) { return c == L'\''; }
    static bool IsOrdinary(wchar_t c) { return !IsSeparator(c) && !IsQuote(c); }
};

[[noreturn]] void ThrowEscapeError(const char* text)
{
    throw boost::escaped_list_error(text);
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Cuts [begin, end) into the list's buffer, each field followed by a NUL and, with
// Rule::TrimsBlanks, trimmed of blanks at both ends. An empty input gives no field at all; a
// separator at the very end gives one more empty field. An unclosed quote runs to the end of the
// input. A field past those the
// list keeps is scanned all the same, so that a bad escape anywhere rejects the row, and its room
// is used again by the next.
template <class Rule>
void ScanIntoFields(const wchar_t* begin, const wchar_t* end, const Rule& rule, CFieldList& fields)
{
    if (begin == end)
        return;

    wchar_t* out = fields.Prepare(static_cast<std::size_t>(end - begin));
    wchar_t* fieldStart = out;
    bool full = fields.IsFull();
    auto completeField = [&]()
    {
        wchar_t* first = fieldStart;
        wchar_t* last = out;
        if (Rule::TrimsBlanks)
        {
            while (last != first && IsBlank(last[-1]))
                --last;
            while (first != last && IsBlank(*first))
                ++first;
        }
        *last = L'\0';
        if (!full)
        {
            fields.Keep(first, last);
            full = fields.IsFull();
            out = last + 1;
        }
        else
            out = fieldStart;
        fieldStart = out;
    };

    const wchar_t* p = begin;
    bool inQuotes = false;
    while (p != end)
    {
        // Blanks before a field's first character would be trimmed from it anyway.
        if (Rule::TrimsBlanks && out == fieldStart)
            while (p != end && IsBlank(*p) && (inQuotes || !rule.IsSeparator(*p)))
                ++p;
        while (p != end && rule.IsOrdinary(*p))
            *out++ = *p++;
        if (p == end)
            break;

        const wchar_t c = *p++;
        if (rule.IsEscape(c))
        {
            if (p == end)
                ThrowEscapeError("cannot end with escape");
            const wchar_t next = *p++;
            if (next == L'n')
                *out++ = L'\n';
            else if (rule.IsQuote(next) || rule.IsSeparator(next) || rule.IsEscape(next))
                *out++ = next;
            else
                ThrowEscapeError("unknown escape sequence");
        }
        else if (rule.IsSeparator(c))
        {
            if (inQuotes)
                *out++ = c;
            else
                completeField();
        }
        else
        {
            inQuotes = !inQuotes;
        }
    }
    completeField();
}

// The end of the line once every terminator at its very end is removed.
const wchar_t* StripTerminators(const std::wstring& line, wchar_t terminator)
{
    const wchar_t* begin = line.data();
    const wchar_t* end = begin + line.size();
    while (end != begin && end[-1] == terminator)
        --end;
    return end;
}

// A row abandoned on a bad escape delivers none of the fields scanned before the error.
template <class Rule>
void ScanIntoList(const std::wstring& line, wchar_t terminator, const Rule& rule,
                  CFieldList& fields)
{
    fields.clear();
    try
    {
        ScanIntoFields(line.data(), StripTerminators(line, terminator), rule, fields);
    }
    catch (const boost::escaped_list_error&)
    {
        fields.clear();
        throw;
    }
}

} // namespace

wchar_t* CFieldList::Prepare(std::size_t lineSize)
{
    // Every character comes from at least one of the line's, and each field kept adds a NUL; the
    // field being scanned needs one more.
    const std::size_t terminators = std::min(m_limit, lineSize + 1) + 1;
    if (m_text.size() < lineSize + terminators)
        m_text.resize(lineSize + terminators);
    return &m_text[0];
}

void SplitRow(const IParserStateContext& context, const std::wstring& line, CFieldList& fields)
{
    const RowRule rule{context.GetSeparator()};
    ScanIntoList(line, context.GetTerminator(), rule, fields);
}

void SplitWords(const IParserStateContext& context, const std::wstring& line, CFieldList& fields)
{
    const WordsRule rule;
    ScanIntoList(line, context.GetTerminator(), rule, fields);
}

std::vector<std::wstring> SplitHeaderKeywords(const std::wstring& line, std::size_t maxWords)
{
    // The rule has no escape, so nothing past the words wanted can fail the line.
    CFieldList fields;
    fields.KeepFirst(maxWords);
    ScanIntoFields(line.data(), line.data() + line.size(), HeaderKeywordRule(), fields);
    std::vector<std::wstring> words;
    words.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
        words.push_back(fields[i].str());
    return words;
}

// As boost::algorithm::split with token_compress_on over " \t": a blank at either end gives an
// empty word there.
std::vector<std::wstring> SplitOnBlanks(const std::wstring& line, std::size_t maxWords)
{
    static const wchar_t kBlanks[] = L" \t";
    std::vector<std::wstring> words;
    std::size_t begin = 0;
    while (words.size() < maxWords)
    {
        const std::size_t end = line.find_first_of(kBlanks, begin);
        words.emplace_back(line, begin,
                           end == std::wstring::npos ? std::wstring::npos : end - begin);
        if (end == std::wstring::npos)
            break;
        begin = line.find_first_not_of(kBlanks, end);
        if (begin == std::wstring::npos)
            begin = line.size();
    }
    return words;
}
