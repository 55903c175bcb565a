#include "host/kit/Encodings.h"

#include <algorithm>
#include <cctype>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Host
{
namespace
{

struct CNamedPage
{
    const char* name;
    unsigned codePage;
};

const CNamedPage NamedPages[] = {
    {"utf-8", 65001},      {"utf8", 65001},        {"koi8-r", 20866},         {"koi8-u", 21866},
    {"iso-8859-1", 28591}, {"iso-8859-2", 28592},  {"iso-8859-3", 28593},     {"iso-8859-4", 28594},
    {"iso-8859-5", 28595}, {"iso-8859-6", 28596},  {"iso-8859-7", 28597},     {"iso-8859-8", 28598},
    {"iso-8859-9", 28599}, {"iso-8859-13", 28603}, {"iso-8859-15", 28605},    {"shift_jis", 932},
    {"gbk", 936},          {"big5", 950},          {"gb18030", 54936},        {"euc-jp", 51932},
    {"euc-kr", 51949},     {"macintosh", 10000},   {"x-mac-cyrillic", 10007},
};

// Prefixes that a page's number follows: "cp866", "windows-1251", "ibm437".
const char* const NumberPrefixes[] = {"cp", "windows-", "ibm"};

std::optional<unsigned> Number(const std::string& digits)
{
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
        return std::nullopt;
    unsigned value = static_cast<unsigned>(std::stoul(digits));
    if (value < 1 || value > 65535)
        return std::nullopt;
    return value;
}

std::string Lowercase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

std::optional<unsigned> CodePageByName(const std::string& text)
{
    if (std::optional<unsigned> number = Number(text))
        return number;
    const std::string name = Lowercase(text);
    for (const CNamedPage& page : NamedPages)
        if (name == page.name)
            return page.codePage;
    for (const std::string prefix : NumberPrefixes)
        if (name.compare(0, prefix.size(), prefix) == 0)
            return Number(name.substr(prefix.size()));
    return std::nullopt;
}

unsigned DefaultCodePage()
{
#if defined(_WIN32)
    return GetACP();
#else
    return 1252;
#endif
}

std::string EncodingHelp()
{
    std::string help = "Code page the files are written in: a number such as 1251, or a name: "
                       "windows-1251 or cp1251, utf-8, koi8-r, iso-8859-5, ... (default: ";
#if defined(_WIN32)
    help += "the system's ANSI code page, here " + std::to_string(DefaultCodePage()) +
            "). Windows decodes only the ANSI code pages of its locales: 874, 932, 936, 949, "
            "950 and 1250 to 1258; utf-8, koi8-r, iso-8859-* and the OEM pages such as 866 "
            "cannot be chosen here";
#else
    help += std::to_string(DefaultCodePage()) +
            ", Windows-1252). Any page the plug-in decodes can be chosen, utf-8 and koi8-r among "
            "them; the Windows build takes only 874, 932, 936, 949, 950 and 1250 to 1258";
#endif
    return help;
}

} // namespace Host
