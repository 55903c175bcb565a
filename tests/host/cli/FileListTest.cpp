#include "host/cli/FileList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{

namespace fs = std::filesystem;

using Paths = std::vector<std::string>;

// A folder tree of its own in the temporary directory, made before each test:
//   jobs/b.idx  jobs/A.IDX  jobs/c.idx  jobs/notes.txt  jobs/10.idx  jobs/9.idx
//   jobs/sub/d.idx  jobs/sub/deeper/e.idx  jobs/sub/d.idx.bak  jobs/folder.idx/f.idx
//   empty/
class FileListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = fs::current_path();
        m_root = fs::temp_directory_path() /
                 ("orva-file-list-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_root);
        for (const char* folder : {"jobs/sub/deeper", "jobs/folder.idx", "empty"})
            fs::create_directories(m_root / folder);
        for (const char* file :
             {"jobs/b.idx", "jobs/A.IDX", "jobs/c.idx", "jobs/notes.txt", "jobs/10.idx",
              "jobs/9.idx", "jobs/sub/d.idx", "jobs/sub/deeper/e.idx", "jobs/sub/d.idx.bak",
              "jobs/folder.idx/f.idx"})
            std::ofstream(m_root / file) << "x\n";
        fs::current_path(m_root);
    }
    void TearDown() override
    {
        fs::current_path(m_previous);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    static Paths Expand(const Paths& arguments, const Host::CExpansionRules& rules)
    {
        Host::CExpandedFiles expanded;
        for (const std::string& argument : arguments)
            Host::ExpandArgument(argument, rules, expanded);
        return expanded.files;
    }

    static Host::CExpansionRules Rules(bool recursive, bool wildcards, bool ignoreCase)
    {
        Host::CExpansionRules rules;
        rules.recursive = recursive;
        rules.wildcards = wildcards;
        rules.ignoreCase = ignoreCase;
        return rules;
    }

private:
    fs::path m_previous;
    fs::path m_root;
};

TEST_F(FileListTest, FoldersGiveTheirImportFilesSorted)
{
    const struct
    {
        const char* what;
        Paths arguments;
        bool recursive;
        bool ignoreCase;
        Paths files;
    } cases[] = {
        {"a folder: its *.idx files only, byte order, no subfolder",
         {"jobs"},
         false,
         false,
         {"jobs/10.idx", "jobs/9.idx", "jobs/b.idx", "jobs/c.idx"}},
        {"the separator given is kept",
         {"jobs/"},
         false,
         false,
         {"jobs/10.idx", "jobs/9.idx", "jobs/b.idx", "jobs/c.idx"}},
        {"without regard to case, *.IDX is taken and sorts among the others",
         {"jobs"},
         false,
         true,
         {"jobs/10.idx", "jobs/9.idx", "jobs/A.IDX", "jobs/b.idx", "jobs/c.idx"}},
        {"recursive: a folder's files follow it, a folder named *.idx is a folder",
         {"jobs"},
         true,
         false,
         {"jobs/10.idx", "jobs/9.idx", "jobs/b.idx", "jobs/c.idx", "jobs/folder.idx/f.idx",
          "jobs/sub/d.idx", "jobs/sub/deeper/e.idx"}},
        {"a subfolder alone",
         {"jobs/sub"},
         true,
         false,
         {"jobs/sub/d.idx", "jobs/sub/deeper/e.idx"}},
        {"an empty folder gives nothing", {"empty"}, true, false, {}},
        {"a folder after its own file adds the others only",
         {"jobs/c.idx", "jobs"},
         false,
         false,
         {"jobs/c.idx", "jobs/10.idx", "jobs/9.idx", "jobs/b.idx"}},
        {"a file spelt another way is the same file",
         {"./jobs//b.idx", "jobs"},
         false,
         false,
         {"./jobs//b.idx", "jobs/10.idx", "jobs/9.idx", "jobs/c.idx"}},
        {"a folder twice gives its files once",
         {"jobs/sub", "jobs"},
         true,
         false,
         {"jobs/sub/d.idx", "jobs/sub/deeper/e.idx", "jobs/10.idx", "jobs/9.idx", "jobs/b.idx",
          "jobs/c.idx", "jobs/folder.idx/f.idx"}},
        {"files named are imported as often as named",
         {"jobs/b.idx", "jobs/b.idx", "-", "-"},
         false,
         false,
         {"jobs/b.idx", "jobs/b.idx", "-", "-"}},
        {"what does not exist stays as given",
         {"nothing.idx", "jobs/none/"},
         false,
         false,
         {"nothing.idx", "jobs/none/"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.files, Expand(c.arguments, Rules(c.recursive, false, c.ignoreCase))) << c.what;
}

TEST_F(FileListTest, AFolderWithoutImportFilesIsAProblem)
{
    Host::CExpandedFiles expanded;
    Host::ExpandArgument("empty", Rules(false, false, false), expanded);
    Host::ExpandArgument("jobs/sub/deeper/", Rules(true, false, false), expanded);
    Host::ExpandArgument("jobs", Rules(false, false, false), expanded);
    EXPECT_EQ((Paths{"empty: no *.idx files"}), expanded.problems);
}

TEST_F(FileListTest, PatternsMatchTheLastPart)
{
    const struct
    {
        const char* pattern;
        bool ignoreCase;
        Paths files;
    } cases[] = {
        {"jobs/*.idx",
         false,
         {"jobs/10.idx", "jobs/9.idx", "jobs/b.idx", "jobs/c.idx", "jobs/folder.idx/f.idx"}},
        {"jobs/*.idx",
         true,
         {"jobs/10.idx", "jobs/9.idx", "jobs/A.IDX", "jobs/b.idx", "jobs/c.idx",
          "jobs/folder.idx/f.idx"}},
        {"jobs/?.idx", false, {"jobs/9.idx", "jobs/b.idx", "jobs/c.idx"}},
        {"jobs/sub/d.idx*", false, {"jobs/sub/d.idx", "jobs/sub/d.idx.bak"}},
        {"job?", false, {"jobs/10.idx", "jobs/9.idx", "jobs/b.idx", "jobs/c.idx"}},
        // As a shell leaves them: unmatched, or with a wildcard in a folder part.
        {"jobs/*.xyz", false, {"jobs/*.xyz"}},
        {"j*/b.idx", false, {"j*/b.idx"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.files, Expand({c.pattern}, Rules(false, true, c.ignoreCase))) << c.pattern;
#if defined(_WIN32)
    EXPECT_EQ((Paths{"jobs\\9.idx", "jobs\\A.IDX", "jobs\\b.idx", "jobs\\c.idx"}),
              Expand({"jobs\\?.idx"}, Rules(false, true, true)))
        << "a backslash separates the folder as well";
#endif
    EXPECT_EQ((Paths{"jobs/*.idx"}), Expand({"jobs/*.idx"}, Rules(false, false, false)))
        << "where the shell expands, the program takes the name as it is";
    EXPECT_EQ((Paths{"jobs/b.idx", "jobs/9.idx", "jobs/c.idx"}),
              Expand({"jobs/b.idx", "jobs/?.idx"}, Rules(false, true, false)))
        << "a pattern adds only files not named before";
}

TEST(WildcardTest, MatchesAsAShellDoes)
{
    const struct
    {
        const char* pattern;
        const char* name;
        bool ignoreCase;
        bool matches;
    } cases[] = {
        {"*.idx", "job.idx", false, true},
        {"*.idx", ".idx", false, true},
        {"*.idx", "job.idx.bak", false, false},
        {"*.idx", "job.IDX", false, false},
        {"*.idx", "job.IDX", true, true},
        {"*.IDX", "job.idx", true, true},
        {"*", "", false, true},
        {"?", "", false, false},
        {"a*b*c", "aXbYbZc", false, true},
        {"a*b*c", "aXbYbZ", false, false},
        {"**x", "abx", false, true},
        {"?.idx", "\xD0\x96.idx", false, true}, // one character of two bytes
        {"??.idx", "\xD0\x96.idx", false, false},
        {"\xD0\x96*", "\xD0\x96\xD0\xB6", false, true},
        {"job.idx", "job.idx", false, true},
        {"job.idx", "job_idx", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.matches, Host::MatchesWildcard(c.pattern, c.name, c.ignoreCase))
            << c.pattern << " / " << c.name << (c.ignoreCase ? " ignoring case" : "");
}

TEST(FileListReadTest, OnePathALine)
{
    const struct
    {
        const char* text;
        Paths paths;
    } cases[] = {
        {"", {}},
        {"a.idx", {"a.idx"}},
        {"a.idx\nb c.idx\n", {"a.idx", "b c.idx"}},
        {"\xEF\xBB\xBF"
         "a.idx\r\n\r\n  \nb.idx\r\n",
         {"a.idx", "b.idx"}},
        {"jobs/\n\xD0\x96.idx", {"jobs/", "\xD0\x96.idx"}},
    };
    for (const auto& c : cases)
    {
        std::istringstream in(c.text);
        EXPECT_EQ(c.paths, Host::ReadFileList(in)) << c.text;
    }
}

} // namespace
