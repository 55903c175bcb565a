// orva-import --version and where the program looks for its plug-in.
#include "host/cli/VersionReport.h"
#include "host/kit/PluginLibrary.h"
#include "host/cli/PluginSearch.h"

#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{

TEST(FormatGuidTest, RegistryFormUpperCaseAndZeroPadded)
{
    struct Case
    {
        GUID id;
        const char* text;
    };
    const Case cases[] = {
        {{0x3CA97BE5, 0x5CFF, 0x4D66, {0x87, 0xC6, 0x73, 0x40, 0x14, 0x43, 0xA9, 0x6E}},
         "{3CA97BE5-5CFF-4D66-87C6-73401443A96E}"},
        {{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}, "{00000000-0000-0000-0000-000000000000}"},
        {{0x1, 0x2, 0xA, {0x0, 0x1, 0x2, 0x3, 0x4, 0x5, 0xFE, 0xFF}},
         "{00000001-0002-000A-0001-02030405FEFF}"},
        {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
         "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, Host::FormatGuid(c.id));
}

TEST(WritePluginDescriptionTest, OneLinePerSlotAfterTheLibrary)
{
    Host::CPluginDescription description;
    description.name = "GSI";
    description.formatName = "Leica GSI";
    description.fileMask = "*.gsi;*.gs";
    description.kind = 1;
    description.id = {0x1, 0x2, 0x3, {0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xA, 0xB}};
    std::ostringstream out;
    Host::WritePluginDescription(out, "/opt/gsi.so", description);
    EXPECT_EQ("plug-in: /opt/gsi.so\n"
              "  name: GSI\n"
              "  format name: Leica GSI\n"
              "  file mask: *.gsi;*.gs\n"
              "  kind: 1\n"
              "  GUID: {00000001-0002-0003-0405-060708090A0B}\n",
              out.str());
}

TEST(VersionReportTest, AMissingLibraryLeavesTheVersionLineAndSaysWhy)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_FALSE(Host::WriteVersionReport(out, err, "orva-import", "9.8.7",
                                          ORVA_SOURCE_DIR "/no-such-library"));
    EXPECT_EQ("orva-import 9.8.7\n", out.str());
    EXPECT_EQ(0u, err.str().find("orva-import: cannot load the plug-in ")) << err.str();
    EXPECT_NE(std::string::npos, err.str().find("no-such-library")) << err.str();
}

#if defined(ORVA_PLUGIN_PATH)
TEST(VersionReportTest, TheRealPluginDescribesItself)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_TRUE(Host::WriteVersionReport(out, err, "orva-import", "1.2.3", ORVA_PLUGIN_PATH));
    EXPECT_EQ(std::string("orva-import 1.2.3\n"
                          "plug-in: " ORVA_PLUGIN_PATH "\n"
                          "  name: ORVA\n"
                          "  format name: ORVA\n"
                          "  file mask: *.idx\n"
                          "  kind: 2\n"
                          "  GUID: {3CA97BE5-5CFF-4D66-87C6-73401443A96E}\n"),
              out.str());
    EXPECT_EQ("", err.str());
}
#endif

// A program directory with a plug-in in none, one or both of its places.
class PluginSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_program = (std::filesystem::path(m_directory.Path()) / "bin").u8string() + "/";
        std::filesystem::create_directories(std::filesystem::u8path(m_program));
        m_candidates = Host::DefaultPluginCandidates(m_program);
    }

    void Place(const std::string& path)
    {
        std::filesystem::path file = std::filesystem::u8path(path);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "library";
    }

    PluginTests::CTestDirectory m_directory;
    std::string m_program;
    std::vector<std::string> m_candidates;
};

TEST_F(PluginSearchTest, BesideTheProgramComesFirst)
{
    ASSERT_FALSE(m_candidates.empty());
    EXPECT_EQ(m_program + Host::DefaultPluginName(), m_candidates.front());
    if (m_candidates.size() > 1)
    {
        // The installed place is written without "..", under the program's parent.
        ASSERT_EQ(2u, m_candidates.size());
        const std::string& installed = m_candidates[1];
        EXPECT_EQ(std::string::npos, installed.find("..")) << installed;
        const std::string parent =
            std::filesystem::u8path(m_program).parent_path().parent_path().u8string();
        EXPECT_EQ(0u, installed.find(parent)) << installed;
        EXPECT_EQ(std::string("/orva/") + Host::DefaultPluginName(),
                  installed.substr(installed.rfind("/orva/")))
            << installed;
    }
}

TEST_F(PluginSearchTest, TheFirstPlaceThatHoldsTheLibraryIsTaken)
{
    // When no place holds it, the last is named: where an installed plug-in belongs.
    EXPECT_EQ(m_candidates.back(), Host::FindDefaultPlugin(m_program));
    for (std::size_t i = m_candidates.size(); i-- > 0;)
    {
        Place(m_candidates[i]);
        EXPECT_EQ(m_candidates[i], Host::FindDefaultPlugin(m_program));
    }
}

TEST_F(PluginSearchTest, ADirectoryOfThatNameIsNotTheLibrary)
{
    if (m_candidates.size() < 2)
        GTEST_SKIP() << "one place only on this platform";
    std::filesystem::create_directories(std::filesystem::u8path(m_candidates.front()));
    Place(m_candidates[1]);
    EXPECT_EQ(m_candidates[1], Host::FindDefaultPlugin(m_program));
}

TEST(PluginSearchWithoutDirectoryTest, AnUnknownProgramDirectoryLeavesTheBareName)
{
    EXPECT_EQ(std::vector<std::string>{Host::DefaultPluginName()},
              Host::DefaultPluginCandidates(""));
}

} // namespace
