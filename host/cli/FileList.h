// The files of an import as people name them: files, folders, wildcard patterns, a list in a file
// and standard input, turned into the list of paths the plug-in imports. Paths are UTF-8.
#pragma once

#include <istream>
#include <set>
#include <string>
#include <vector>

namespace Host
{

// The name a FILE argument and a --files-from list use for standard input.
constexpr const char* StandardInputArgument = "-";

struct CExpansionRules
{
    // Imports the *.idx files of the folders below a folder too.
    bool recursive = false;
    // Expands "*" and "?" in the last part of a FILE argument; a shell does it before this
    // program on POSIX, nobody does it on Windows.
    bool wildcards = DefaultWildcards();
    // Names match "*.idx" and the patterns without regard to case, as Windows names do.
    bool ignoreCase = DefaultIgnoreCase();

    static bool DefaultWildcards();
    static bool DefaultIgnoreCase();
};

struct CExpandedFiles
{
    // In the order given; the files of a folder or pattern sorted by name, part by part.
    std::vector<std::string> files;
    // Folders that held no *.idx file, as "FOLDER: text".
    std::vector<std::string> problems;
    // The files above, each as one key whatever way it was written.
    std::set<std::string> known;
};

// Adds what one FILE argument names to files: a file (or what does not exist) as given, standard
// input as "-", a folder's *.idx files, the names a pattern matches (each as if given itself), or
// the pattern itself when it matches nothing. A folder or pattern adds only files not in the
// list already; files named themselves are imported as often as they are named.
void ExpandArgument(const std::string& argument, const CExpansionRules& rules,
                    CExpandedFiles& expanded);

// The paths of a --files-from list: one a line, LF or CRLF, a UTF-8 byte-order mark dropped,
// blank lines skipped.
std::vector<std::string> ReadFileList(std::istream& in);

// Whether name matches pattern, where "*" matches any run of characters and "?" any one (UTF-8
// sequences count as one character).
bool MatchesWildcard(const std::string& pattern, const std::string& name, bool ignoreCase);

bool HasWildcard(const std::string& text);

} // namespace Host
