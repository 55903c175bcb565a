#include "parser/Lexer.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

std::vector<std::wstring> SplitOnBlanks(const std::wstring& line)
{
    std::vector<std::wstring> words;
    boost::algorithm::split(words, line, boost::algorithm::is_any_of(L" \t"),
                            boost::algorithm::token_compress_on);
    return words;
}
