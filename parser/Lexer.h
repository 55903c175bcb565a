// How content lines of the format are cut into fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

class IParserStateContext;

// The fields of one line. Clearing keeps the strings' storage, so reading row after row
// allocates only when a field grows longer than any before it in the same place. A list may keep
// only its first few fields: the rest of a row is still scanned, but costs no memory.
class CFieldList
{
public:
    // Keeps no more fields than the reader can use: up to the last of these column positions
    // (-1 stands for an absent column and counts for nothing).
    void KeepColumns(std::initializer_list<std::int32_t> positions)
    {
        m_limit = 0;
        for (const std::int32_t position : positions)
            if (position >= 0 && static_cast<std::size_t>(position) + 1 > m_limit)
                m_limit = static_cast<std::size_t>(position) + 1;
    }
    void KeepFirst(std::size_t count) { m_limit = count; }

    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const std::wstring& operator[](std::size_t index) const { return m_fields[index]; }

    // True when the row has a field at this column position (-1 stands for an absent column).
    bool Has(int position) const
    {
        return position >= 0 && static_cast<std::size_t>(position) < m_count;
    }

    // Empties the list; storage grown by an oversized row is given back.
    void clear()
    {
        for (std::size_t i = 0; i < m_count; ++i)
            Shrink(m_fields[i]);
        Shrink(m_discarded);
        m_count = 0;
    }

    // A new empty field at the end of the list, or, past the fields kept, a scratch string whose
    // content is dropped.
    std::wstring& AppendField()
    {
        if (m_count == m_limit)
        {
            m_discarded.clear();
            return m_discarded;
        }
        if (m_count == m_fields.size())
            m_fields.emplace_back();
        std::wstring& field = m_fields[m_count++];
        field.clear();
        return field;
    }

private:
    // Larger than any field of a real row; a buffer grown past it goes back to the heap.
    static constexpr std::size_t kKeptCapacity = 64 * 1024;

    static void Shrink(std::wstring& field)
    {
        if (field.capacity() > kKeptCapacity)
            std::wstring().swap(field);
    }

    std::vector<std::wstring> m_fields;
    std::wstring m_discarded;
    std::size_t m_count = 0;
    std::size_t m_limit = std::numeric_limits<std::size_t>::max();
};

// A data row of POINTS, INSTRUMENTS, CONFIGS, SLOPE or ELEMENTS: trailing terminators stripped,
// split at the context's separator, quoted with ' or ", escaped with \, each field trimmed of
// spaces and tabs. Clears fields first. Throws boost::escaped_list_error on a bad escape.
void SplitRow(const IParserStateContext& context, const std::wstring& line, CFieldList& fields);

// A SETUP line: trailing terminators stripped, split at every space or tab, quoted with ",
// escaped with \, fields not trimmed. Clears fields first. Throws boost::escaped_list_error.
void SplitWords(const IParserStateContext& context, const std::wstring& line, CFieldList& fields);

constexpr std::size_t kAllWords = std::numeric_limits<std::size_t>::max();

// A HEADER keyword line: split at every space or tab, quoted with ', no escape; never throws.
// Stops after maxWords words: a caller that needs to know whether there are exactly n asks for
// n + 1.
std::vector<std::wstring> SplitHeaderKeywords(const std::wstring& line,
                                              std::size_t maxWords = kAllWords);

// Words separated by runs of spaces and tabs; no quoting, no escaping. An empty line gives one
// empty word. Used for UNITS lines and END lines. Stops after maxWords words.
std::vector<std::wstring> SplitOnBlanks(const std::wstring& line, std::size_t maxWords = kAllWords);
