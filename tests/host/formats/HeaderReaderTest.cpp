#include "host/formats/summary/HeaderReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{

using Host::DateOrder;

Host::CHeaderSettings Read(const std::string& text)
{
    std::istringstream in(text);
    return Host::ReadHeaderSettings(in);
}

std::vector<std::uint64_t> Lines(const Host::CHeaderSettings& settings)
{
    std::vector<std::uint64_t> lines;
    for (const Host::CHeaderNote& note : settings.notUnderstood)
        lines.push_back(note.line);
    return lines;
}

TEST(HeaderReaderTest, AFileWithoutHeaderHasTheDefaults)
{
    Host::CHeaderSettings settings = Read("DATABASE\nPOINTS(PointNo,North)\n1,2;\n");
    EXPECT_TRUE(settings.opened);
    EXPECT_EQ(',', settings.separator);
    EXPECT_EQ(';', settings.terminator);
    EXPECT_EQ(DateOrder::DayMonthYear, settings.dateOrder);
    EXPECT_TRUE(settings.notUnderstood.empty());
    EXPECT_EQ((std::vector<std::string>{"DATABASE", "DATABASE/POINTS"}), settings.sections);
}

TEST(HeaderReaderTest, KeywordLinesSetTheCharacterAsThePlugInReadsThem)
{
    const struct
    {
        const char* line;
        std::uint16_t separator; // 0xFFFF: the line changes nothing
    } cases[] = {
        {"SEPARATOR ;", ';'},      {"separator ;", ';'},
        {"SEPARATOR\t;", ';'},     {"SEPARATOR ' '", ' '},
        {"SEPARATOR 9", 9},        {"SEPARATOR 59", ';'},
        {"SEPARATOR -1", '-'},     {"SEPARATOR ''", 0},
        {"SEPARATOR '5'", 5},      {"SEPARATOR 65580", ','},
        {"SEPARATORS ;", ';'},     {"SEPARATOR", 0xFFFF},
        {"SEPARATOR , ;", 0xFFFF}, {"SEPARATOR  ,", 0xFFFF},
        {"SEPARATOR 5x", 0xFFFF},  {"SEPARATOR 99999999999", 0xFFFF},
    };
    for (const auto& c : cases)
    {
        Host::CHeaderSettings settings =
            Read(std::string("HEADER\nSEPARATOR |\n  ") + c.line + "  \r\nEND HEADER\n");
        const bool changes = c.separator != 0xFFFF;
        EXPECT_EQ(changes ? c.separator : '|', settings.separator) << c.line;
        EXPECT_EQ(changes ? std::vector<std::uint64_t>{} : std::vector<std::uint64_t>{3},
                  Lines(settings))
            << c.line;
    }
    Host::CHeaderSettings settings = Read("HEADER\nTERMINATOR 0\nEND HEADER\n");
    EXPECT_EQ(0, settings.terminator);
}

TEST(HeaderReaderTest, UnitLinesThatChangeNothingArePointedOutWithTheirLines)
{
    Host::CHeaderSettings settings = Read("HEADER\n"
                                          "UNITS\n"
                                          "ANGULAR DEG\n"    // 3
                                          "ANGULAR DMS;\n"   // 4
                                          "ANGULAR   DEGS\n" // fine
                                          "angular DEGS\n"   // 6
                                          "LINEAR FOO\n"     // 7
                                          "TIME MDY\n"       // fine
                                          "TIME MJD\n"       // 9: selects nothing
                                          "PRESS HPA X\n"    // 10
                                          "END HEADER\n"     // 11: UNITS is still open
                                          "END UNITS\n"
                                          "ANGULAR DEG\n" // in HEADER: not a unit line
                                          "END HEADER\n");
    EXPECT_EQ((std::vector<std::uint64_t>{3, 4, 6, 7, 9, 10, 11}), Lines(settings));
    EXPECT_EQ("unit line \"ANGULAR DEG\" is not understood; the unit before it stays in force",
              settings.notUnderstood.at(0).text);
    EXPECT_EQ(DateOrder::MonthDayYear, settings.dateOrder);
}

TEST(HeaderReaderTest, FollowsTheNestingOfSections)
{
    Host::CHeaderSettings settings = Read("HEADER\n"
                                          "PROJECT\n"
                                          "SEPARATOR ;\n" // skipped with PROJECT
                                          "END PROJECT\n"
                                          "END HEADER\n"
                                          "DATABASE\n"
                                          "HEADER\n" // opens nothing inside DATABASE
                                          "SEPARATOR |\n"
                                          "JOBS(a)\n"
                                          "POINTS(PointNo)\n"
                                          "END DATABASE\n"
                                          "END JOBS\n"
                                          "POINTS\n" // no column list: skipped
                                          "END POINTS\n"
                                          "END DATABASE\n"
                                          "HEADER;\n"
                                          "HEADER \n"
                                          "TERMINATOR !\n"
                                          "END HEADER\n"
                                          "THEODOLITE\nSETUP(STN)\nEND SETUP\nEND THEODOLITE\n");
    EXPECT_EQ(',', settings.separator);
    EXPECT_EQ('!', settings.terminator);
    EXPECT_EQ((std::vector<std::string>{"HEADER", "HEADER/PROJECT", "DATABASE", "DATABASE/JOBS",
                                        "DATABASE/POINTS", "THEODOLITE", "THEODOLITE/SETUP"}),
              settings.sections);
}

TEST(HeaderReaderTest, ReadsMarkedUtf8AndUtf16AndEndsAtCtrlZ)
{
    const std::string plain = "HEADER\nSEPARATOR ;\nUNITS\nTIME YMD\nEND UNITS\nEND HEADER\n";
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (char c : plain)
    {
        little += c, little += '\0';
        big += '\0', big += c;
    }
    for (const std::string& text : {"\xEF\xBB\xBF" + plain, little, big, plain})
    {
        Host::CHeaderSettings settings = Read(text);
        EXPECT_EQ(';', settings.separator);
        EXPECT_EQ(DateOrder::YearMonthDay, settings.dateOrder);
    }
    Host::CHeaderSettings cut = Read("HEADER\n\x1ASEPARATOR ;\nEND HEADER\n");
    EXPECT_EQ(',', cut.separator);
    EXPECT_EQ((std::vector<std::string>{"HEADER"}), cut.sections);
}

TEST(HeaderReaderTest, AFileThatCannotBeOpenedIsSaidSo)
{
    EXPECT_FALSE(Host::ReadHeaderSettings(std::string("tests/host/data/no-such-file.idx")).opened);
}

} // namespace
