// How content lines of the format are cut into fields.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class IParserStateContext;

// The fields of one line. Clearing keeps the strings' storage, so reading row after row
// allocates only when a field grows longer than any before it in the same place.
class CFieldList
{
public:
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const std::wstring& operator[](std::size_t index) const { return m_fields[index]; }

    // True when the row has a field at this column position (-1 stands for an absent column).
    bool Has(int position) const
    {
        return position >= 0 && static_cast<std::size_t>(position) < m_count;
    }

    void clear() { m_count = 0; }

    // A new empty field at the end of the list.
    std::wstring& AppendField()
    {
        if (m_count == m_fields.size())
            m_fields.emplace_back();
        std::wstring& field = m_fields[m_count++];
        field.clear();
        return field;
    }

private:
    std::vector<std::wstring> m_fields;
    std::size_t m_count = 0;
};

// A data row of POINTS, INSTRUMENTS, CONFIGS, SLOPE or ELEMENTS: trailing terminators stripped,
// split at the context's separator, quoted with ' or ", escaped with \, each field trimmed of
// spaces and tabs. Clears fields first. Throws boost::escaped_list_error on a bad escape.
void SplitRow(const IParserStateContext& context, const std::wstring& line, CFieldList& fields);

// A SETUP line: trailing terminators stripped, split at every space or tab, quoted with ",
// escaped with \, fields not trimmed. Clears fields first. Throws boost::escaped_list_error.
void SplitWords(const IParserStateContext& context, const std::wstring& line, CFieldList& fields);

// A HEADER keyword line: split at every space or tab, quoted with ', no escape; never throws.
std::vector<std::wstring> SplitHeaderKeywords(const std::wstring& line);

// Words separated by runs of spaces and tabs; no quoting, no escaping. An empty line gives one
// empty word. Used for UNITS lines and END lines.
std::vector<std::wstring> SplitOnBlanks(const std::wstring& line);
