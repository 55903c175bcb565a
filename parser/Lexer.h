// How content lines of the format are cut into fields.
#pragma once

#include "parser/LineCapacity.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

class IParserStateContext;

// One field of a row: characters held by its CFieldList, followed by a NUL, valid until the list
// is filled again.
class CFieldView
{
public:
    CFieldView(const wchar_t* data, std::size_t size) : m_data(data), m_size(size) {}

    const wchar_t* c_str() const { return m_data; }
    const wchar_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::wstring str() const { return std::wstring(m_data, m_size); }
    operator std::wstring_view() const { return std::wstring_view(m_data, m_size); }

    bool operator==(const wchar_t* text) const
    {
        return std::char_traits<wchar_t>::length(text) == m_size &&
               std::char_traits<wchar_t>::compare(m_data, text, m_size) == 0;
    }
    bool operator!=(const wchar_t* text) const { return !(*this == text); }

private:
    const wchar_t* m_data;
    std::size_t m_size;
};

// The fields of one line, their characters in one buffer that is kept from row to row, so that
// reading row after row allocates only when a row is longer than any before it. A list may keep
// only its first few fields: the rest of a row is still scanned, but costs no memory.
class CFieldList
{
public:
    // Keeps the first count fields of each row and no more.
    void KeepFirst(std::size_t count) { m_limit = count; }
    // Keeps fields up to this column position as well as those kept already (-1 stands for an
    // absent column and keeps nothing more).
    void KeepColumn(std::int32_t position)
    {
        if (position >= 0 && static_cast<std::size_t>(position) >= m_limit)
            m_limit = static_cast<std::size_t>(position) + 1;
    }

    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    CFieldView operator[](std::size_t index) const
    {
        return CFieldView(m_text.data() + m_spans[index].offset, m_spans[index].size);
    }

    // True when the row has a field at this column position (-1 stands for an absent column).
    bool Has(int position) const
    {
        return position >= 0 && static_cast<std::size_t>(position) < m_count;
    }

    // Empties the list; a buffer grown by an oversized row is given back.
    void clear()
    {
        m_count = 0;
        if (m_text.capacity() > kKeptLineCapacity)
            std::wstring().swap(m_text);
    }

private:
    // The scanner fills the list through a writer of its own.
    friend class CFieldWriter;

    // Room for the fields of a line of this many characters, made in place with a NUL after
    // each, and slack characters more, and where they go.
    wchar_t* Prepare(std::size_t lineSize, std::size_t slack);

    struct CSpan
    {
        std::size_t offset;
        std::size_t size;
    };

    std::wstring m_text;
    // Spans of the fields of the row at hand are the first m_count; the rest are kept for later
    // rows.
    std::vector<CSpan> m_spans;
    std::size_t m_count = 0;
    std::size_t m_limit = std::numeric_limits<std::size_t>::max();
};

// A data row of POINTS, INSTRUMENTS, CONFIGS, SLOPE or ELEMENTS: trailing terminators stripped,
// split at the context's separator, quoted with ' or ", escaped with \, each field trimmed of
// spaces and tabs. Clears fields first. Throws boost::escaped_list_error on a bad escape.
void SplitRow(const IParserStateContext& context, const std::wstring& line, CFieldList& fields);

// The same for a row read as bytes, every one of them below 0x80, which stand for the ASCII
// characters of their numbers: the fields are those SplitRow gives for the decoded row, without
// decoding it first.
void SplitAsciiRow(const IParserStateContext& context, const char* begin, const char* end,
                   CFieldList& fields);

// A SETUP line: trailing terminators stripped, split at every space or tab, quoted with ",
// escaped with \, fields not trimmed. Clears fields first. Throws boost::escaped_list_error.
void SplitWords(const IParserStateContext& context, const std::wstring& line, CFieldList& fields);

constexpr std::size_t kAllWords = std::numeric_limits<std::size_t>::max();

// A HEADER keyword line: split at every space or tab, quoted with ', no escape; never throws.
// Gives no more than maxWords words: a caller that needs to know whether there are exactly n asks
// for n + 1.
std::vector<std::wstring> SplitHeaderKeywords(const std::wstring& line,
                                              std::size_t maxWords = kAllWords);

// Words separated by runs of spaces and tabs; no quoting, no escaping. An empty line gives one
// empty word. Used for UNITS lines and END lines. Stops after maxWords words.
std::vector<std::wstring> SplitOnBlanks(const std::wstring& line, std::size_t maxWords = kAllWords);
