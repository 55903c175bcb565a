#include "host/cli/FileList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Host
{
namespace
{

namespace fs = std::filesystem;

constexpr const char* ImportMask = "*.idx";

bool IsSeparator(char c)
{
#if defined(_WIN32)
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

char FoldCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), FoldCase);
    return text;
}

// The UTF-8 characters of text, each as its bytes.
std::vector<std::string> Characters(const std::string& text, bool ignoreCase)
{
    std::vector<std::string> characters;
    for (char c : text)
    {
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (continuation && !characters.empty())
            characters.back() += c;
        else
            characters.emplace_back(1, ignoreCase ? FoldCase(c) : c);
    }
    return characters;
}

// One spelling for every way of writing the same path, so that a folder or pattern does not add
// a file named before.
std::string Key(const std::string& path, bool ignoreCase)
{
    std::string key = fs::u8path(path).lexically_normal().generic_u8string();
    return ignoreCase ? Folded(key) : key;
}

std::vector<std::string> Parts(const std::string& relative)
{
    std::vector<std::string> parts(1);
    for (char c : relative)
        if (c == '/')
            parts.emplace_back();
        else
            parts.back() += c;
    return parts;
}

// Names part by part, so that a folder's files stay together after it; without regard to case
// first where names are, then byte by byte, so that the order is the same on every run.
void SortNames(std::vector<std::string>& names, bool ignoreCase)
{
    auto less = [ignoreCase](const std::string& a, const std::string& b)
    {
        std::vector<std::string> left = Parts(a);
        std::vector<std::string> right = Parts(b);
        if (ignoreCase)
        {
            std::vector<std::string> foldedLeft, foldedRight;
            for (const std::string& part : left)
                foldedLeft.push_back(Folded(part));
            for (const std::string& part : right)
                foldedRight.push_back(Folded(part));
            if (foldedLeft != foldedRight)
                return foldedLeft < foldedRight;
        }
        return left < right;
    };
    std::sort(names.begin(), names.end(), less);
}

void AddFile(const std::string& path, const CExpansionRules& rules, CExpandedFiles& expanded,
             bool named)
{
    bool added = expanded.known.insert(Key(path, rules.ignoreCase)).second;
    if (added || named)
        expanded.files.push_back(path);
}

bool IsDirectory(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(fs::u8path(path), error);
}

// The folder's *.idx files as paths relative to it, with "/" between the parts.
std::vector<std::string> FolderFiles(const fs::path& folder, const CExpansionRules& rules)
{
    std::vector<std::string> names;
    auto consider = [&](const fs::directory_entry& entry)
    {
        std::error_code error;
        if (!entry.is_regular_file(error) ||
            !MatchesWildcard(ImportMask, entry.path().filename().u8string(), rules.ignoreCase))
            return;
        names.push_back(entry.path().lexically_relative(folder).generic_u8string());
    };
    std::error_code error;
    const auto options = fs::directory_options::skip_permission_denied;
    if (rules.recursive)
    {
        for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end;
             it.increment(error))
            consider(*it);
    }
    else
    {
        for (fs::directory_iterator it(folder, options, error), end; !error && it != end;
             it.increment(error))
            consider(*it);
    }
    SortNames(names, rules.ignoreCase);
    return names;
}

void ExpandFolder(const std::string& folder, const CExpansionRules& rules, CExpandedFiles& expanded)
{
    std::vector<std::string> names = FolderFiles(fs::u8path(folder), rules);
    if (names.empty())
    {
        expanded.problems.push_back(folder + ": no " + ImportMask + " files" +
                                    (rules.recursive ? " in it or below" : ""));
        return;
    }
    const std::string prefix = IsSeparator(folder.back()) ? folder : folder + "/";
    for (const std::string& name : names)
        AddFile(prefix + name, rules, expanded, false);
}

// Names in the folder of pattern that its last part matches, sorted; none when the folder part
// has a wildcard of its own or cannot be read.
std::vector<std::string> PatternMatches(const std::string& pattern, const CExpansionRules& rules)
{
    std::size_t cut = pattern.size();
    while (cut > 0 && !IsSeparator(pattern[cut - 1]))
        --cut;
    const std::string prefix = pattern.substr(0, cut);
    const std::string last = pattern.substr(cut);
    std::vector<std::string> matches;
    if (HasWildcard(prefix) || last.empty())
        return matches;
    std::error_code error;
    for (fs::directory_iterator it(fs::u8path(prefix.empty() ? "." : prefix), error), end;
         !error && it != end; it.increment(error))
    {
        std::string name = it->path().filename().u8string();
        if (MatchesWildcard(last, name, rules.ignoreCase))
            matches.push_back(name);
    }
    SortNames(matches, rules.ignoreCase);
    for (std::string& match : matches)
        match = prefix + match;
    return matches;
}

} // namespace

bool CExpansionRules::DefaultWildcards()
{
#if defined(_WIN32)
    return true;
#else
    return false;
#endif
}

bool CExpansionRules::DefaultIgnoreCase()
{
    return DefaultWildcards();
}

bool HasWildcard(const std::string& text)
{
    return text.find_first_of("*?") != std::string::npos;
}

bool MatchesWildcard(const std::string& pattern, const std::string& name, bool ignoreCase)
{
    const std::vector<std::string> p = Characters(pattern, ignoreCase);
    const std::vector<std::string> n = Characters(name, ignoreCase);
    // The last "*" seen and where in the name it began to match, to go back to when a
    // character differs.
    std::size_t pi = 0, ni = 0, star = std::string::npos, starName = 0;
    while (ni < n.size())
    {
        if (pi < p.size() && p[pi] == "*")
        {
            star = pi++;
            starName = ni;
        }
        else if (pi < p.size() && (p[pi] == "?" || p[pi] == n[ni]))
        {
            ++pi;
            ++ni;
        }
        else if (star != std::string::npos)
        {
            pi = star + 1;
            ni = ++starName;
        }
        else
            return false;
    }
    while (pi < p.size() && p[pi] == "*")
        ++pi;
    return pi == p.size();
}

void ExpandArgument(const std::string& argument, const CExpansionRules& rules,
                    CExpandedFiles& expanded)
{
    if (argument == StandardInputArgument)
    {
        expanded.files.push_back(argument);
        return;
    }
    if (rules.wildcards && HasWildcard(argument))
    {
        std::vector<std::string> matches = PatternMatches(argument, rules);
        for (const std::string& match : matches)
        {
            if (IsDirectory(match))
                ExpandFolder(match, rules, expanded);
            else
                AddFile(match, rules, expanded, false);
        }
        // As a shell leaves a pattern that matches nothing: it fails as a file that is not there.
        if (matches.empty())
            AddFile(argument, rules, expanded, true);
        return;
    }
    if (!argument.empty() && IsDirectory(argument))
        ExpandFolder(argument, rules, expanded);
    else
        AddFile(argument, rules, expanded, true);
}

std::vector<std::string> ReadFileList(std::istream& in)
{
    std::vector<std::string> paths;
    std::string line;
    bool first = true;
    while (std::getline(in, line))
    {
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        first = false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos)
            paths.push_back(line);
    }
    return paths;
}

} // namespace Host
