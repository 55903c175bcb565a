// Boost's escaped-list tokenizer, trimmed as rows are: the reference that the lexer's rules are
// checked against, by the lexer's tests and its fuzzer. Throws boost::escaped_list_error.
#pragma once

#include <boost/tokenizer.hpp>

#include <string>
#include <vector>

namespace TestDoubles
{

struct TokenizerRule
{
    std::wstring escape;
    std::wstring separators;
    std::wstring quotes;
    bool stripTerminator;
    bool trim;
};

inline std::vector<std::wstring> TokenizerSplit(const std::wstring& line, const TokenizerRule& rule)
{
    std::wstring input = line;
    while (rule.stripTerminator && !input.empty() && input.back() == L';')
        input.pop_back();
    typedef boost::escaped_list_separator<wchar_t> Separator;
    typedef boost::tokenizer<Separator, std::wstring::const_iterator, std::wstring> Tokenizer;
    Tokenizer tokens(input, Separator(rule.escape, rule.separators, rule.quotes));
    std::vector<std::wstring> fields;
    for (const std::wstring& token : tokens)
    {
        if (!rule.trim)
        {
            fields.push_back(token);
            continue;
        }
        std::size_t first = token.find_first_not_of(L" \t");
        std::size_t last = token.find_last_not_of(L" \t");
        fields.push_back(first == std::wstring::npos ? std::wstring()
                                                     : token.substr(first, last - first + 1));
    }
    return fields;
}

} // namespace TestDoubles
