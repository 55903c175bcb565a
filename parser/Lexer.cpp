#include "parser/Lexer.h"

#include "parser/ParserStateContext.h"
#include "platform/AsciiText.h"
#include "platform/ByteWords.h"
#include "platform/Simd.h"

#include <boost/token_functions.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

// Keeps the fields of one row in a CFieldList while the scanner cuts it. The count and the next
// span are the writer's own until the row is done: kept in the list, which the scanner reaches
// through a reference, they would be read again after every character and span stored, as the
// compiler cannot tell those stores from them.
class CFieldWriter
{
public:
    CFieldWriter(CFieldList& list, std::size_t lineSize, std::size_t slack)
        : m_list(list), m_text(list.Prepare(lineSize, slack))
    {
        Aim(0);
    }

    wchar_t* Text() const { return m_text; }

    // Keeps the field [begin, end) of the text, already followed by its NUL. False, with nothing
    // kept, past the fields the list keeps.
    bool Keep(const wchar_t* begin, const wchar_t* end)
    {
        if (m_next == m_room && !MakeRoom())
            return false;
        m_next->offset = static_cast<std::size_t>(begin - m_text);
        m_next->size = static_cast<std::size_t>(end - begin);
        ++m_next;
        return true;
    }

    // The row is done: the list holds the fields kept.
    void Finish() { m_list.m_count = Kept(); }

private:
    std::size_t Kept() const { return static_cast<std::size_t>(m_next - m_list.m_spans.data()); }

    // Points the writer at span count of the list's spans, its room up to those it keeps.
    void Aim(std::size_t count)
    {
        CFieldList::CSpan* const spans = m_list.m_spans.data();
        m_next = spans + count;
        m_room = spans + std::min(m_list.m_spans.size(), m_list.m_limit);
    }

    // More spans while the list keeps more fields; they stay for later rows.
    bool MakeRoom()
    {
        const std::size_t count = Kept();
        if (count >= m_list.m_limit)
            return false;
        m_list.m_spans.resize(std::min(m_list.m_limit, std::max<std::size_t>(8, count * 2)));
        Aim(count);
        return true;
    }

    CFieldList& m_list;
    wchar_t* const m_text;
    CFieldList::CSpan* m_next = nullptr;
    CFieldList::CSpan* m_room = nullptr;
};

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

    std::array<wchar_t, 4> Specials() const { return {separator, L'\'', L'"', L'\\'}; }

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
    static std::array<wchar_t, 4> Specials() { return {L' ', L'\t', L'"', L'\\'}; }
    static bool IsEscape(wchar_t c) { return c == L'\\'; }
    static bool IsSeparator(wchar_t c) { return c == L' ' || c == L'\t'; }
    static bool IsQuote(wchar_t c) { return c == L'"'; }
    static bool IsOrdinary(wchar_t c) { return !IsEscape(c) && !IsSeparator(c) && !IsQuote(c); }
};

struct HeaderKeywordRule
{
    static constexpr bool TrimsBlanks = false;
    static std::array<wchar_t, 4> Specials() { return {L' ', L'\t', L'\'', L'\''}; }
    static bool IsEscape(wchar_t) { return false; }
    static bool IsSeparator(wchar_t c) { return c == L' ' || c == L'\t'; }
    static bool IsQuote(wchar_t c) { return c == L'\''; }
    static bool IsOrdinary(wchar_t c) { return !IsSeparator(c) && !IsQuote(c); }
};

#if ORVA_SSE2

// Copies the run of ordinary characters that a row is mostly made of, many a step: decoded
// characters eight at a time, as 16-bit lanes, and ASCII bytes sixteen at a time, each stored
// widened to a character. A Windows wchar_t is a 16-bit lane already and compares exactly.
// Linux's 32-bit characters are narrowed with signed saturation, which turns every character above
// 0x7FFF into 0x7FFF: there a special above 0x7FFF (a separator may be one) makes every such
// character a candidate, so no special is missed; the caller looks at a candidate again, one
// character at a time, and so a candidate that is ordinary only costs time. A special above ASCII
// can be no byte of an ASCII row and is looked for there as 0x80, which none is.
template <class Char> class CSpecialFinder
{
    static constexpr bool kBytes = sizeof(Char) == 1;

public:
    static constexpr std::ptrdiff_t Step = kBytes ? 16 : 8;

    explicit CSpecialFinder(const std::array<wchar_t, 4>& specials)
        : m_first(Lanes(specials[0])), m_second(Lanes(specials[1])), m_third(Lanes(specials[2])),
          m_fourth(Lanes(specials[3]))
    {
    }

    // Copies [p, candidate) to out and returns the first candidate, or where fewer than Step
    // characters are left. Each step stores all its characters before it knows how many are
    // ordinary, so out must have Step characters of room wherever the copy could reach.
    const Char* Copy(const Char* p, const Char* end, wchar_t*& out) const
    {
        while (end - p >= Step)
        {
            const __m128i lanes = LoadAndStore(p, out);
            const __m128i found =
                _mm_or_si128(_mm_or_si128(Equal(lanes, m_first), Equal(lanes, m_second)),
                             _mm_or_si128(Equal(lanes, m_third), Equal(lanes, m_fourth)));
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(found));
            if (mask != 0)
            {
                // One mask bit a byte lane, two a 16-bit one.
                const auto ordinary =
                    static_cast<std::ptrdiff_t>(__builtin_ctz(mask) / (kBytes ? 1 : 2));
                out += ordinary;
                return p + ordinary;
            }
            p += Step;
            out += Step;
        }
        return p;
    }

private:
    static __m128i Equal(__m128i lanes, __m128i special)
    {
        if constexpr (kBytes)
            return _mm_cmpeq_epi8(lanes, special);
        else
            return _mm_cmpeq_epi16(lanes, special);
    }

    // A special as the lanes show it.
    static __m128i Lanes(wchar_t c)
    {
        const auto code = static_cast<std::uint32_t>(c);
        if constexpr (kBytes)
            return _mm_set1_epi8(static_cast<char>(code < 0x80 ? code : 0x80));
        else if constexpr (sizeof(wchar_t) == 2)
            return _mm_set1_epi16(static_cast<short>(code));
        else
            return _mm_set1_epi16(static_cast<short>(code > 0x7FFF ? 0x7FFF : code));
    }

    static __m128i LoadAndStore(const Char* p, wchar_t* out)
    {
        const auto* in = reinterpret_cast<const __m128i*>(p);
        auto* to = reinterpret_cast<__m128i*>(out);
        if constexpr (kBytes)
        {
            const __m128i bytes = _mm_loadu_si128(in);
            Platform::StoreWidened(bytes, out);
            return bytes;
        }
        else if constexpr (sizeof(wchar_t) == 2)
        {
            const __m128i units = _mm_loadu_si128(in);
            _mm_storeu_si128(to, units);
            return units;
        }
        else
        {
            const __m128i low = _mm_loadu_si128(in);
            const __m128i high = _mm_loadu_si128(in + 1);
            _mm_storeu_si128(to, low);
            _mm_storeu_si128(to + 1, high);
            return _mm_packs_epi32(low, high);
        }
    }

    __m128i m_first, m_second, m_third, m_fourth;
};

#else

template <class Char> class CSpecialFinder;

// The portable scan of characters: the caller's loop over single characters does all the work.
template <> class CSpecialFinder<wchar_t>
{
public:
    static constexpr std::ptrdiff_t Step = 0;

    explicit CSpecialFinder(const std::array<wchar_t, 4>&) {}
    const wchar_t* Copy(const wchar_t* p, const wchar_t*, wchar_t*&) const { return p; }
};

// The portable scan of ASCII bytes goes eight a step in a word, each step storing its eight
// characters widened. The specials are found exactly (ZeroBytes marks no other byte), so the first
// mark is the first special.
template <> class CSpecialFinder<unsigned char>
{
public:
    static constexpr std::ptrdiff_t Step = 8;

    explicit CSpecialFinder(const std::array<wchar_t, 4>& specials)
        : m_first(Word(specials[0])), m_second(Word(specials[1])), m_third(Word(specials[2])),
          m_fourth(Word(specials[3]))
    {
    }

    const unsigned char* Copy(const unsigned char* p, const unsigned char* end, wchar_t*& out) const
    {
        using namespace Platform::Words;
        while (end - p >= Step)
        {
            const std::uint64_t word = Load(p);
            for (std::ptrdiff_t i = 0; i < Step; ++i)
                out[i] = p[i];
            const std::uint64_t marks = ZeroBytes(word ^ m_first) | ZeroBytes(word ^ m_second) |
                                        ZeroBytes(word ^ m_third) | ZeroBytes(word ^ m_fourth);
            if (marks != 0)
            {
                const auto ordinary = static_cast<std::ptrdiff_t>(FirstMarked(marks));
                out += ordinary;
                return p + ordinary;
            }
            p += Step;
            out += Step;
        }
        return p;
    }

private:
    static std::uint64_t Word(wchar_t c)
    {
        const auto code = static_cast<std::uint32_t>(c);
        return Platform::Words::Repeated(static_cast<unsigned char>(code < 0x80 ? code : 0x80));
    }

    std::uint64_t m_first, m_second, m_third, m_fourth;
};

#endif

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
// input. A field past those the list keeps is scanned all the same, so that a bad escape anywhere
// rejects the row, and its room is used again by the next.
template <class Rule, class Char>
void ScanIntoFields(const Char* begin, const Char* end, const Rule& rule, CFieldList& fields)
{
    if (begin == end)
        return;

    using Finder = CSpecialFinder<Char>;
    const Finder finder(rule.Specials());
    CFieldWriter writer(fields, static_cast<std::size_t>(end - begin), Finder::Step);
    wchar_t* out = writer.Text();
    wchar_t* fieldStart = out;
    auto completeField = [&]()
    {
        // Blanks before the first character are never stored (see below), so only the end needs
        // trimming.
        wchar_t* last = out;
        if (Rule::TrimsBlanks)
            while (last != fieldStart && IsBlank(last[-1]))
                --last;
        *last = L'\0';
        out = writer.Keep(fieldStart, last) ? last + 1 : fieldStart;
        fieldStart = out;
    };

    const Char* p = begin;
    bool inQuotes = false;
    while (p != end)
    {
        // Blanks before a field's first character would be trimmed from it anyway.
        if (Rule::TrimsBlanks && out == fieldStart)
            while (p != end && IsBlank(*p) && (inQuotes || !rule.IsSeparator(*p)))
                ++p;
        // A special right away, as a quote or a separator after a field often is, skips the
        // vector setup.
        if (p != end && rule.IsOrdinary(*p))
        {
            p = finder.Copy(p, end, out);
            while (p != end && rule.IsOrdinary(*p))
                *out++ = *p++;
        }
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
            {
                // An escaped blank separator before the field's first character would be
                // trimmed from it.
                if (!Rule::TrimsBlanks || out != fieldStart || !IsBlank(next))
                    *out++ = next;
            }
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
    writer.Finish();
}

// The end of [begin, end) once every terminator at its very end is removed.
template <class Char>
const Char* StripTerminators(const Char* begin, const Char* end, wchar_t terminator)
{
    while (end != begin && static_cast<wchar_t>(end[-1]) == terminator)
        --end;
    return end;
}

// A row abandoned on a bad escape delivers none of the fields scanned before the error.
template <class Rule, class Char>
void ScanIntoList(const Char* begin, const Char* end, wchar_t terminator, const Rule& rule,
                  CFieldList& fields)
{
    fields.clear();
    try
    {
        ScanIntoFields(begin, StripTerminators(begin, end, terminator), rule, fields);
    }
    catch (const boost::escaped_list_error&)
    {
        fields.clear();
        throw;
    }
}

} // namespace

wchar_t* CFieldList::Prepare(std::size_t lineSize, std::size_t slack)
{
    // Every character comes from at least one of the line's, and each field kept adds a NUL; the
    // field being scanned needs one more.
    const std::size_t terminators = std::min(m_limit, lineSize + 1) + 1;
    if (m_text.size() < lineSize + terminators + slack)
        m_text.resize(lineSize + terminators + slack);
    return &m_text[0];
}

void SplitRow(const IParserStateContext& context, const std::wstring& line, CFieldList& fields)
{
    const RowRule rule{context.GetSeparator()};
    ScanIntoList(line.data(), line.data() + line.size(), context.GetTerminator(), rule, fields);
}

void SplitAsciiRow(const IParserStateContext& context, const char* begin, const char* end,
                   CFieldList& fields)
{
    const RowRule rule{context.GetSeparator()};
    const auto* bytes = reinterpret_cast<const unsigned char*>(begin);
    ScanIntoList(bytes, bytes + (end - begin), context.GetTerminator(), rule, fields);
}

void SplitWords(const IParserStateContext& context, const std::wstring& line, CFieldList& fields)
{
    const WordsRule rule;
    ScanIntoList(line.data(), line.data() + line.size(), context.GetTerminator(), rule, fields);
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
