#include "host/io/ReplacedFiles.h"
#include "host/cli/FileProblem.h"
#include "host/io/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace
{

namespace fs = std::filesystem;

class ReplacedFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("orva-replaced-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::string PathOf(const char* name) const { return (m_root / name).u8string(); }

    std::string Read(const char* name) const
    {
        std::ifstream in(m_root / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void Write(const char* name, const std::string& text) const
    {
        std::ofstream(m_root / name, std::ios::binary) << text;
    }

    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_root))
            names.insert(entry.path().filename().u8string());
        return names;
    }

    static void Put(Host::IByteSink& sink, const std::string& text)
    {
        sink.Write(text.data(), text.size());
    }

    fs::path m_root;
};

TEST_F(ReplacedFilesTest, CommitPutsEveryFileInPlace)
{
    Write("a.csv", "old a");
    {
        Host::CReplacedFiles files;
        Put(files.Add(PathOf("a.csv")), "new a");
        Put(files.Add(PathOf("b.csv")), "new b");
        EXPECT_EQ("old a", Read("a.csv")) << "nothing changes before the commit";
        EXPECT_EQ(3u, Names().size()) << "the new files wait beside the old one";
        files.Commit();
    }
    EXPECT_EQ("new a", Read("a.csv"));
    EXPECT_EQ("new b", Read("b.csv"));
    EXPECT_EQ((std::set<std::string>{"a.csv", "b.csv"}), Names());
}

TEST_F(ReplacedFilesTest, WithoutCommitTheOldFilesStay)
{
    Write("a.csv", "old a");
    {
        Host::CReplacedFiles files;
        Put(files.Add(PathOf("a.csv")), "new a");
        Put(files.Add(PathOf("b.csv")), "new b");
    }
    EXPECT_EQ("old a", Read("a.csv"));
    EXPECT_EQ((std::set<std::string>{"a.csv"}), Names());
}

TEST_F(ReplacedFilesTest, AFolderInTheWayReplacesNothing)
{
    Write("a.csv", "old a");
    Write("c.csv", "old c");
    fs::create_directory(m_root / "b.csv");
    Host::CReplacedFiles files;
    Put(files.Add(PathOf("a.csv")), "new a");
    Put(files.Add(PathOf("b.csv")), "new b");
    Put(files.Add(PathOf("c.csv")), "new c");
    EXPECT_THROW(files.Commit(), Host::COutputError);
    EXPECT_EQ("old a", Read("a.csv"));
    EXPECT_EQ("old c", Read("c.csv"));
    EXPECT_EQ((std::set<std::string>{"a.csv", "b.csv", "c.csv"}), Names());
}

TEST_F(ReplacedFilesTest, AFailingProgramTakesItsTemporaryFilesAway)
{
    Write("a.csv", "old a");
    Host::CReplacedFiles files;
    Put(files.Add(PathOf("a.csv")), "new a");
    Host::CTemporaryFile other = Host::CreateTemporaryFile(m_root.u8string(), "x-", ".tmp");
    std::fputs("open still", other.stream);
    // As the program does before it ends at once, with the files open.
    Host::RemoveTemporaryFiles();
    std::fclose(other.stream);
    files.Discard();
    EXPECT_EQ((std::set<std::string>{"a.csv"}), Names());
    EXPECT_EQ("old a", Read("a.csv"));
}

TEST_F(ReplacedFilesTest, UnreadableFilesSayWhy)
{
    Write("a.idx", "x");
    fs::create_directory(m_root / "folder.idx");
    EXPECT_EQ("", Host::WhyUnreadable(PathOf("a.idx")));
    EXPECT_EQ("no such file", Host::WhyUnreadable(PathOf("none.idx")));
    EXPECT_EQ("no such file", Host::WhyUnreadable(PathOf("none/a.idx")));
    EXPECT_EQ("a folder, not a file", Host::WhyUnreadable(PathOf("folder.idx")));
#if !defined(_WIN32)
    fs::permissions(m_root / "a.idx", fs::perms::none);
    std::FILE* probe = std::fopen(PathOf("a.idx").c_str(), "rb");
    if (probe)
    {
        std::fclose(probe);
        GTEST_SKIP() << "this user reads files without permission";
    }
    EXPECT_EQ("no permission to read it", Host::WhyUnreadable(PathOf("a.idx")));
#endif
}

} // namespace
