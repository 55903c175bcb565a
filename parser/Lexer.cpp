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

    // Keeps the field of size characters at offset in the text, already followed by its NUL,
    // unless the list keeps no more fields.
    void Keep(std::size_t offset, std::size_t size)
    {
        if (m_next == m_room && !MakeRoom())
            return;
        *m_next++ = CFieldList::CSpan{offset, size};
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
// The walk asks first whether a special separates fields (Separates: a separator that is not the
// escape), as most specials do.

struct RowRule
{
    static constexpr bool TrimsBlanks = true;

    explicit RowRule(wchar_t separator_)
        : separator(separator_), separating(separator_ == L'\\' ? L'\0' : separator_),
          blanksNotSeparating(kBlanks & ~Bit(separator_))
    {
    }

    std::array<wchar_t, 4> Specials() const { return {separator, L'\'', L'"', L'\\'}; }

    static bool IsEscape(wchar_t c) { return c == L'\\'; }
    bool IsSeparator(wchar_t c) const { return c == separator; }
    bool Separates(wchar_t c) const { return c == separating; }
    static bool IsQuote(wchar_t c) { return c == L'\'' || c == L'"'; }
    // A blank before a field's first character, which the trim would drop. Outside quotes a blank
    // that separates fields is none. Blanks are at most a space, which turns away every printable
    // character, digits too, with one comparison; the rest need one test of a mask.
    bool IsLeadingBlank(wchar_t c, bool inQuotes) const
    {
        const auto code = static_cast<std::uint32_t>(c);
        return code <= L' ' && (((inQuotes ? kBlanks : blanksNotSeparating) >> code) & 1) != 0;
    }

    wchar_t separator;
    // The separator, or a NUL when the escape is the separator and wins: a NUL is no special then,
    // and so never a character the walk asks about.
    wchar_t separating;
    std::uint64_t blanksNotSeparating;

private:
    static std::uint64_t Bit(wchar_t c)
    {
        const auto code = static_cast<std::uint32_t>(c);
        return code < 64 ? std::uint64_t{1} << code : 0;
    }
    static constexpr std::uint64_t kBlanks =
        (std::uint64_t{1} << L' ') | (std::uint64_t{1} << L'\t');
};

struct WordsRule
{
    static constexpr bool TrimsBlanks = false;
    static std::array<wchar_t, 4> Specials() { return {L' ', L'\t', L'"', L'\\'}; }
    static bool IsEscape(wchar_t c) { return c == L'\\'; }
    static bool IsSeparator(wchar_t c) { return c == L' ' || c == L'\t'; }
    static bool Separates(wchar_t c) { return IsSeparator(c); }
    static bool IsQuote(wchar_t c) { return c == L'"'; }
};

struct HeaderKeywordRule
{
    static constexpr bool TrimsBlanks = false;
    static std::array<wchar_t, 4> Specials() { return {L' ', L'\t', L'\'', L'\''}; }
    static bool IsEscape(wchar_t) { return false; }
    static bool IsSeparator(wchar_t c) { return c == L' ' || c == L'\t'; }
    static bool Separates(wchar_t c) { return IsSeparator(c); }
    static bool IsQuote(wchar_t c) { return c == L'\''; }
};

// A row is taken Step characters at a time: each step stores its characters in the field list's
// buffer (ASCII bytes widened) and gives a mask with one bit a character that may be a special,
// so that the scanner goes from special to special and never looks at the ordinary characters
// between them, which are most of a row.
#if ORVA_SSE2

// Decoded characters go eight a step, as 16-bit lanes, and ASCII bytes sixteen. A Windows wchar_t
// is a 16-bit lane already and compares exactly. Linux's 32-bit characters are narrowed with
// signed saturation, which turns every character above 0x7FFF into 0x7FFF: there a special above
// 0x7FFF (a separator may be one) makes every such character a candidate, so no special is
// missed; the scanner looks at each candidate itself, and so a candidate that is ordinary only
// costs time. A special above ASCII can be no byte of an ASCII row and is looked for there as
// 0x80, which none is.
template <class Char> class CSpecialFinder
{
    static constexpr bool kBytes = sizeof(Char) == 1;

public:
    static constexpr std::size_t Step = kBytes ? 16 : 8;

    explicit CSpecialFinder(const std::array<wchar_t, 4>& specials)
        : m_first(Lanes(specials[0])), m_second(Lanes(specials[1])), m_third(Lanes(specials[2])),
          m_fourth(Lanes(specials[3]))
    {
    }

    // Stores the Step characters at p to out; bit k of the mask is set when the character k may
    // be a special.
    unsigned Take(const Char* p, wchar_t* out) const
    {
        const __m128i lanes = LoadAndStore(p, out);
        const __m128i found =
            _mm_or_si128(_mm_or_si128(Equal(lanes, m_first), Equal(lanes, m_second)),
                         _mm_or_si128(Equal(lanes, m_third), Equal(lanes, m_fourth)));
        if constexpr (kBytes)
            return static_cast<unsigned>(_mm_movemask_epi8(found));
        else
            return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(found, found))) & 0xFF;
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

// The portable step over characters compares each with the four specials.
template <> class CSpecialFinder<wchar_t>
{
public:
    static constexpr std::size_t Step = 8;

    explicit CSpecialFinder(const std::array<wchar_t, 4>& specials) : m_specials(specials) {}

    unsigned Take(const wchar_t* p, wchar_t* out) const
    {
        unsigned mask = 0;
        for (std::size_t k = 0; k < Step; ++k)
        {
            const wchar_t c = p[k];
            out[k] = c;
            const bool special = c == m_specials[0] || c == m_specials[1] || c == m_specials[2] ||
                                 c == m_specials[3];
            mask |= static_cast<unsigned>(special) << k;
        }
        return mask;
    }

private:
    std::array<wchar_t, 4> m_specials;
};

// The portable step over ASCII bytes takes eight in a word. The specials are found exactly
// (ZeroBytes marks no other byte).
template <> class CSpecialFinder<unsigned char>
{
public:
    static constexpr std::size_t Step = 8;

    explicit CSpecialFinder(const std::array<wchar_t, 4>& specials)
        : m_first(Word(specials[0])), m_second(Word(specials[1])), m_third(Word(specials[2])),
          m_fourth(Word(specials[3]))
    {
    }

    unsigned Take(const unsigned char* p, wchar_t* out) const
    {
        using namespace Platform::Words;
        const std::uint64_t word = Load(p);
        for (std::size_t k = 0; k < Step; ++k)
            out[k] = p[k];
        return MarkedBytes(ZeroBytes(word ^ m_first) | ZeroBytes(word ^ m_second) |
                           ZeroBytes(word ^ m_third) | ZeroBytes(word ^ m_fourth));
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

// A printable character, the last of nearly every field, is turned away by the first comparison.
bool IsBlank(wchar_t c)
{
    return static_cast<std::uint32_t>(c) <= L' ' && (c == L' ' || c == L'\t');
}

// The finder's step over a row shorter than a step: the row is taken from a copy padded with
// NULs, so that nothing past it is read, and a padding NUL is no special.
template <class Finder, class Char>
unsigned TakeShort(const Finder& finder, const Char* row, std::size_t size, wchar_t* out)
{
    Char padded[Finder::Step] = {};
    std::copy(row, row + size, padded);
    return finder.Take(padded, out) & ((1u << size) - 1);
}

// Cuts [begin, end) into the list's buffer, each field followed by a NUL and, with
// Rule::TrimsBlanks, trimmed of blanks at both ends. An empty input gives no field at all; a
// separator at the very end gives one more empty field. An unclosed quote runs to the end of the
// input. A field past those the list keeps is scanned all the same, so that a bad escape anywhere
// rejects the row.
//
// The row's characters are stored in the buffer where they stand in the row, and each field is
// made in place: a field without escapes or quotes inside it is where it stands already, its NUL
// on the separator after it, and only the characters after a quote or an escape that is dropped
// from a field are moved back. What is written never passes what is read, so the characters
// still to be read are intact.
template <class Rule, class Char>
void ScanIntoFields(const Char* begin, const Char* end, const Rule& rule, CFieldList& fields)
{
    if (begin == end)
        return;

    using Finder = CSpecialFinder<Char>;
    const Finder finder(rule.Specials());
    const auto size = static_cast<std::size_t>(end - begin);
    CFieldWriter writer(fields, size, Finder::Step);
    wchar_t* const text = writer.Text();

    std::size_t read = 0;       // the first character of the row not yet taken into a field
    std::size_t write = 0;      // where the field's next character goes
    std::size_t fieldStart = 0; // equal to write until the field has a character
    bool inQuotes = false;

    // The ordinary characters [read, to) join the field.
    auto takeRun = [&](std::size_t to)
    {
        if (write != read && to != read)
            std::memmove(text + write, text + read, (to - read) * sizeof(wchar_t));
        write += to - read;
        read = to;
    };
    // Reading goes on at next. A field with no character yet starts there, past the blanks that
    // would be trimmed from it, so that its characters need no moving.
    auto readFrom = [&](std::size_t next)
    {
        read = next;
        if (write != fieldStart)
            return;
        if constexpr (Rule::TrimsBlanks)
            while (read != size && rule.IsLeadingBlank(begin[read], inQuotes))
                ++read;
        fieldStart = write = read;
    };
    auto completeField = [&]()
    {
        std::size_t last = write;
        if constexpr (Rule::TrimsBlanks)
            while (last != fieldStart && IsBlank(text[last - 1]))
                --last;
        text[last] = L'\0';
        writer.Keep(fieldStart, last - fieldStart);
    };
    // The special at, its run before it taken.
    auto escape = [&](std::size_t at)
    {
        if (at + 1 == size)
            ThrowEscapeError("cannot end with escape");
        const wchar_t next = begin[at + 1];
        if (next == L'n')
            text[write++] = L'\n';
        else if (rule.IsQuote(next) || rule.IsSeparator(next) || rule.IsEscape(next))
        {
            // An escaped blank separator before the field's first character would be trimmed.
            if (!Rule::TrimsBlanks || write != fieldStart || !IsBlank(next))
                text[write++] = next;
        }
        else
            ThrowEscapeError("unknown escape sequence");
        readFrom(at + 2);
    };

    // The last step of a longer row is the step that ends with the row, taken first: its
    // characters are stored before any field is made, and again, the same, by the step before it,
    // so that no character still to be read is overwritten.
    const std::size_t lastStep = size - size % Finder::Step;
    unsigned lastCandidates = 0;
    if (size < Finder::Step)
        lastCandidates = TakeShort(finder, begin, size, text);
    else if (lastStep != size)
        lastCandidates = finder.Take(end - Finder::Step, text + size - Finder::Step) >>
                         (Finder::Step - (size - lastStep));

    // The steps of a window of the row are taken before its candidates are walked, so that the
    // walk runs once a window, not once a step: how many candidates a step has is anyone's guess,
    // and each walk ends with a branch that the processor cannot foresee.
    constexpr std::size_t kWindow = 64;
    static_assert(kWindow % Finder::Step == 0, "a window is whole steps");
    readFrom(0);
    for (std::size_t window = 0; window < size; window += kWindow)
    {
        std::uint64_t candidates = 0;
        const std::size_t windowEnd = std::min(size, window + kWindow);
        for (std::size_t base = window; base < windowEnd; base += Finder::Step)
        {
            const unsigned step =
                base == lastStep ? lastCandidates : finder.Take(begin + base, text + base);
            candidates |= std::uint64_t{step} << (base - window);
        }
        for (; candidates != 0; candidates &= candidates - 1)
        {
            const std::size_t at = window + static_cast<std::size_t>(__builtin_ctzll(candidates));
            // Taken already: escaped, or a blank skipped before a field.
            if (at < read)
                continue;
            const wchar_t c = begin[at];
            if (rule.Separates(c))
            {
                // Quoted, a separator is an ordinary character.
                if (inQuotes)
                    continue;
                takeRun(at);
                completeField();
                fieldStart = write = at + 1;
                readFrom(at + 1);
            }
            else if (rule.IsEscape(c))
            {
                takeRun(at);
                escape(at);
            }
            else if (rule.IsQuote(c))
            {
                takeRun(at);
                inQuotes = !inQuotes;
                readFrom(at + 1);
            }
            // Anything else is an ordinary character, and stays in the run.
        }
    }
    takeRun(size);
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
    // The fields are made in place, and a NUL may follow the last character.
    if (m_text.size() < lineSize + 1 + slack)
        m_text.resize(lineSize + 1 + slack);
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
