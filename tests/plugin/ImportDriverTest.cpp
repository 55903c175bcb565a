// The import driver's file and line loop, with a scripted parser and with the real one.
#include "plugin/ImportDriver.h"

#include "platform/Platform.h"
#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/FileList.h"
#include "tests/doubles/RecordingReceiver.h"
#include "tests/doubles/WideText.h"
#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace
{

using PluginTests::CTestDirectory;
using TestDoubles::CCountingConverterFactory;
using TestDoubles::CFileList;
using TestDoubles::CRecordingReceiver;
using TestDoubles::Utf8;
using Lines = std::vector<std::string>;

const char* const CannotOpen = "ReportFileError(Не удается открыть файл)";
const char* const UnknownFormat = "ReportFileError(Файл содержит данные в неизвестном формате)";

// Stands in for the parser: keeps the lines it is given, asks for the factory as the parser
// does, and fails on command. A line "recognised" marks the format recognised; "parse N" throws
// CParseException(N); "runtime", "memory" and "integer" throw a standard error, bad_alloc and
// an int; "construct" as the file's first line makes the constructor throw.
class CScriptedParser
{
public:
    static Lines s_lines;
    static bool s_failConstruction;
    static int s_finished;

    CScriptedParser(IGroundDataReceiver* receiver, IReadObserver*)
    {
        if (IUnitConverterFactory* factory = receiver->GetConverterFactory())
            factory->Release();
        if (s_failConstruction)
            throw std::bad_alloc();
    }

    void ProcessLine(std::wstring& line, std::size_t index)
    {
        EXPECT_EQ(s_lines.size(), index);
        const std::string text = Utf8(line);
        s_lines.push_back(text);
        if (text == "recognised")
            m_recognised = true;
        else if (text.rfind("parse ", 0) == 0)
            throw CParseException(std::stoi(text.substr(6)));
        else if (text == "runtime")
            throw std::runtime_error("bad line");
        else if (text == "memory")
            throw std::bad_alloc();
        else if (text == "integer")
            throw 42;
    }

    // Every line comes decoded, to ProcessLine.
    bool ProcessAsciiRow(const char*, std::size_t, std::size_t) { return false; }
    void FinishFile() { ++s_finished; }
    bool IsFormatRecognised() const { return m_recognised; }

private:
    bool m_recognised = false;
};

Lines CScriptedParser::s_lines;
bool CScriptedParser::s_failConstruction = false;
int CScriptedParser::s_finished = 0;

class ImportDriver : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CScriptedParser::s_lines.clear();
        CScriptedParser::s_failConstruction = false;
        Platform::SelectThreadCodePage(1252);
    }

    // The scripted parser's view of one file.
    Lines Scripted(const std::string& bytes)
    {
        CScriptedParser::s_lines.clear();
        CScriptedParser::s_finished = 0;
        const std::wstring path = m_files.Write("scripted.idx", bytes);
        CRecordingReceiver receiver;
        Driver::ImportFileWith<CScriptedParser>(path, &receiver);
        m_calls = receiver.Calls();
        return CScriptedParser::s_lines;
    }

    CTestDirectory m_files;
    Lines m_calls;
};

TEST_F(ImportDriver, CutsLinesAtLineFeeds)
{
    struct Case
    {
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\n\n", {"a", ""}},
        {"\n", {""}},
        {"\n\nb\n", {"", "", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\n", {"a\rb"}}, // a CR alone is part of the line
        {"a\r", {"a\r"}},     // no LF after it at the end either
        {"a\r\r\n", {"a\r"}}, // only the CR right before the LF goes
        {"a\n\r", {"a", "\r"}},
        {std::string("ab\0cd\nef", 8), {"ab", "ef"}}, // cut at the first NUL
        {std::string("\0\n\0", 3), {"", ""}},
        {std::string("ab\0\r\n", 5), {"ab"}},
        // The file ends at its first Ctrl-Z, as a text-mode read ends.
        {"one\r\ntwo\n\x1Athree\n", {"one", "two"}},
        {"x\x1Ay\n", {"x"}},
        {"\x1A\n", {}},
        // A UTF-8 mark: UTF-8 whatever the thread's code page, without the mark.
        {"\xEF\xBB\xBFHEADER\r\n\xD0\x96\n", {"HEADER", "\xD0\x96"}},
        {"\xEF\xBB\xBF", {}},
        {"\xEF\xBB\xBF\xC3(\xE2\x82\n\xF0\x9F\x98\x80",
         {"\xEF\xBF\xBD(\xEF\xBF\xBD", "\xF0\x9F\x98\x80"}},
        {"\xEF\xBB\xBF\xED\xA0\x80\xC0\xAF\n",
         {"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}},
        {"\xEF\xBB\xBF"
         "a\x1A"
         "b",
         {"a"}},
        {"\xEF\xBB\xBE", {"\xC3\xAF\xC2\xBB\xC2\xBE"}}, // not a mark: the code page reads it
        // A UTF-16 mark: units in its byte order; LF, CR, NUL and Ctrl-Z are whole units.
        {std::string("\xFF\xFEH\0I\0\r\0\n\0x\0", 12), {"HI", "x"}},
        {std::string("\xFE\xFF\0H\0I\0\n", 8), {"HI"}},
        {std::string("\xFF\xFE\x0A\x01\n\0", 6), {"\xC4\x8A"}},
        {std::string("\xFF\xFE\x1A\x04\n\0\x1A\0z\0", 10), {"\xD0\x9A"}},
        {std::string("\xFF\xFE"
                     "a\0\0\0b\0\n\0c\0",
                     12),
         {"a", "c"}},
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), {"\xF0\x9F\x98\x80"}},
        {std::string("\xFF\xFE"
                     "a\0b",
                     5),
         {"a"}}, // a byte short of a unit is no character
        {"\xFF\xFE", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scripted(c.bytes), c.lines) << "bytes: " << ::testing::PrintToString(c.bytes);
}

TEST_F(ImportDriver, AnnouncesEveryLineAndItsProgress)
{
    EXPECT_EQ(Scripted("one\nrecognised\nthree\n"), (Lines{"one", "recognised", "three"}));
    const std::string file = "BeginFile(" + Utf8(m_files.Missing("scripted.idx")) + ")";
    EXPECT_EQ(m_calls,
              (Lines{file, "GetConverterFactory", "SetCurrentLine(0)", "SetProgress(33.333332)",
                     "SetCurrentLine(1)", "SetProgress(66.666664)", "SetCurrentLine(2)",
                     "SetProgress(100)", "SetProgress(100)"}));
    EXPECT_EQ(1, CScriptedParser::s_finished);
}

// The lines go to the parser a run at a time: none is lost or repeated where a run ends.
TEST_F(ImportDriver, WalksEveryLineAcrossItsRuns)
{
    const std::size_t run = Driver::kLinesPerRun;
    for (const std::size_t count : {run - 1, run, run + 1, 2 * run + 1})
    {
        std::string bytes;
        Lines lines;
        Lines announced;
        for (std::size_t i = 0; i < count; ++i)
        {
            lines.push_back(std::to_string(i));
            bytes += lines.back() + "\n";
            announced.push_back("SetCurrentLine(" + lines.back() + ")");
        }
        EXPECT_EQ(Scripted(bytes), lines) << count << " lines";
        Lines told;
        for (const std::string& call : m_calls)
            if (call.rfind("SetCurrentLine(", 0) == 0)
                told.push_back(call);
        // The last announcement is the unrecognised file's.
        ASSERT_FALSE(told.empty());
        EXPECT_EQ("SetCurrentLine(-1)", told.back());
        told.pop_back();
        EXPECT_EQ(told, announced) << count << " lines";
    }
}

TEST_F(ImportDriver, ReportsAnUnrecognisedFileAfterTheLastProgress)
{
    Scripted("one\n");
    EXPECT_EQ(m_calls,
              (Lines{m_calls.at(0), "GetConverterFactory", "SetCurrentLine(0)", "SetProgress(100)",
                     "SetProgress(100)", "SetCurrentLine(-1)", UnknownFormat}));
}

TEST_F(ImportDriver, ReadsAnEmptyFileAsUnrecognised)
{
    Scripted("");
    EXPECT_EQ(m_calls, (Lines{m_calls.at(0), "GetConverterFactory", "SetProgress(100)",
                              "SetCurrentLine(-1)", UnknownFormat}));
}

TEST_F(ImportDriver, ReportsAFailingLineAndGoesOn)
{
    EXPECT_EQ(
        Scripted("recognised\nparse 104\nruntime\nmemory\ninteger\nparse 999\nlast"),
        (Lines{"recognised", "parse 104", "runtime", "memory", "integer", "parse 999", "last"}));
    const std::string cannotParse = "ReportLineError(Не удается разобрать строку)";
    EXPECT_EQ(
        m_calls,
        (Lines{m_calls.at(0), "GetConverterFactory", "SetCurrentLine(0)", "SetProgress(14.285714)",
               "SetCurrentLine(1)", "ReportLineError(Не указан уникальный номер точки)",
               "SetProgress(28.571428)", "SetCurrentLine(2)", cannotParse, "SetProgress(42.857143)",
               "SetCurrentLine(3)", cannotParse, "SetProgress(57.142857)", "SetCurrentLine(4)",
               cannotParse, "SetProgress(71.42857)",
               // An id without a text still reaches the host, as an empty message.
               "SetCurrentLine(5)", "ReportLineError()", "SetProgress(85.71429)",
               "SetCurrentLine(6)", "SetProgress(100)", "SetProgress(100)"}));
}

TEST_F(ImportDriver, AbandonsAFileWhoseParserCannotBeMade)
{
    CScriptedParser::s_failConstruction = true;
    EXPECT_TRUE(Scripted("recognised\n").empty());
    EXPECT_EQ(0, CScriptedParser::s_finished);
    EXPECT_EQ(m_calls, (Lines{m_calls.at(0), "GetConverterFactory", CannotOpen}));
}

TEST_F(ImportDriver, ReportsAFileThatCannotBeOpenedAndGoesOn)
{
    const std::wstring good = m_files.Write("good.idx", "recognised\n");
    const std::wstring missing = m_files.Missing("missing.idx");
    CFileList files({missing, std::nullopt, m_files.Path(), good});
    CRecordingReceiver receiver;
    files.Reset();
    while (files.IsValid())
    {
        const wchar_t* path = files.GetPath();
        Driver::ImportFileWith<CScriptedParser>(path ? path : L"", &receiver);
        files.MoveNext();
    }
    EXPECT_EQ(receiver.Calls(),
              (Lines{"BeginFile(" + Utf8(missing) + ")", CannotOpen, "BeginFile()", CannotOpen,
                     "BeginFile(" + Utf8(m_files.Path()) + ")", CannotOpen,
                     "BeginFile(" + Utf8(good) + ")", "GetConverterFactory", "SetCurrentLine(0)",
                     "SetProgress(100)", "SetProgress(100)"}));
}

TEST_F(ImportDriver, DecodesLinesFromTheThreadCodePage)
{
    ASSERT_TRUE(Platform::SelectThreadCodePage(1251));
    EXPECT_EQ(Scripted("\xCF\xF3\xED\xEA\xF2\n"), (Lines{"Пункт"}));
    ASSERT_TRUE(Platform::SelectThreadCodePage(1252));
    EXPECT_EQ(Scripted("\xCF\xF3\n"), (Lines{"Ïó"}));
}

// The whole import with the real parser.
class Import : public ::testing::Test
{
protected:
    void SetUp() override { Platform::SelectThreadCodePage(1252); }

    Lines Run(std::vector<std::optional<std::wstring>> paths)
    {
        CFileList files(std::move(paths));
        CRecordingReceiver receiver(&m_factory);
        ::Import(&files, &receiver);
        EXPECT_EQ(files.Resets(), 1);
        EXPECT_EQ(m_factory.OutstandingReferences(), 0);
        EXPECT_FALSE(m_factory.OverReleased());
        return receiver.Calls();
    }

    // The records of one file, after its BeginFile.
    Lines RunRecords(const std::string& bytes)
    {
        const std::wstring path = m_files.Write("records.idx", bytes);
        CFileList files({path});
        CRecordingReceiver receiver(&m_factory);
        ::Import(&files, &receiver);
        EXPECT_EQ(m_factory.OutstandingReferences(), 0);
        Lines records = receiver.Records();
        EXPECT_FALSE(records.empty());
        if (records.empty())
            return records;
        EXPECT_EQ(records.front(), "BeginFile(" + Utf8(path) + ")");
        return Lines(records.begin() + 1, records.end());
    }

    CTestDirectory m_files;
    CCountingConverterFactory m_factory;
    std::string m_bytes;
};

TEST_F(Import, GoesOnAfterAFileThatCannotBeOpened)
{
    const std::wstring missing = m_files.Missing("missing.idx");
    const std::wstring good = m_files.Write("good.idx", "HEADER\nEND HEADER\n");
    EXPECT_EQ(
        Run({missing, good}),
        (Lines{"BeginFile(" + Utf8(missing) + ")", CannotOpen, "BeginFile(" + Utf8(good) + ")",
               "GetConverterFactory", "SetCurrentLine(0)", "SetProgress(50)", "SetCurrentLine(1)",
               "SetProgress(100)", "SetProgress(100)"}));
}

TEST_F(Import, TakesANullPathForAFileThatCannotBeOpened)
{
    EXPECT_EQ(Run({std::nullopt}), (Lines{"BeginFile()", CannotOpen}));
}

TEST_F(Import, AbandonsAFileThatFailsWhileItIsRead)
{
    if (Platform::ReadWholeFile(L"/proc/self/mem", m_bytes) != Platform::ReadStatus::ReadFailed)
        GTEST_SKIP() << "no file here fails after it was opened";
    const std::wstring good = m_files.Write("good.idx", "");
    const Lines calls = Run({std::wstring(L"/proc/self/mem"), good});
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(Lines(calls.begin(), calls.begin() + 3),
              (Lines{"BeginFile(/proc/self/mem)", CannotOpen, "BeginFile(" + Utf8(good) + ")"}));
}

TEST_F(Import, ReadsAnEmptyFileAsUnrecognised)
{
    const std::wstring empty = m_files.Write("empty.idx", "");
    EXPECT_EQ(Run({empty}), (Lines{"BeginFile(" + Utf8(empty) + ")", "GetConverterFactory",
                                   "SetProgress(100)", "SetCurrentLine(-1)", UnknownFormat}));
}

TEST_F(Import, ReportsAFileOfUnknownSections)
{
    const std::wstring unknown = m_files.Write("unknown.idx", "FOO\nEND FOO\nheader\n");
    EXPECT_EQ(Run({unknown}),
              (Lines{"BeginFile(" + Utf8(unknown) + ")", "GetConverterFactory", "SetCurrentLine(0)",
                     "SetProgress(33.333332)", "SetCurrentLine(1)", "SetProgress(66.666664)",
                     "SetCurrentLine(2)", "SetProgress(100)", "SetProgress(100)",
                     "SetCurrentLine(-1)", UnknownFormat}));
}

TEST_F(Import, GoesOnAfterARowWithABadEscape)
{
    EXPECT_EQ(RunRecords("DATABASE\nPOINTS(PointNo,PointID)\n1,C:\\data\n2,P2\n"),
              (Lines{"GetConverterFactory", "ReportLineError(Не удается разобрать строку)",
                     "BeginPoint(P2)"}));
}

TEST_F(Import, ReadsTheLastLineWithoutLineFeedAndLinesCutAtNul)
{
    EXPECT_EQ(RunRecords(std::string("DATABASE\0x\r\nPOINTS(PointNo,PointID,North)\r\n"
                                     "1,P1\0,5\r\n2,P2,7",
                                     58)),
              (Lines{"GetConverterFactory", "BeginPoint(P1)", "BeginPoint(P2)", "SetNorth(7)"}));
}

TEST_F(Import, DecodesCyrillicNamesFromCodePage1251)
{
    ASSERT_TRUE(Platform::SelectThreadCodePage(1251));
    EXPECT_EQ(RunRecords("DATABASE\nPOINTS(PointNo,PointID,Code)\n1,\xCF\xF3\xED\xEA\xF2,"
                         "\xE3\xF0\xE0\xED\xE8\xF2\n"),
              (Lines{"GetConverterFactory", "BeginPoint(Пункт)", "SetCode(гранит)"}));
    Platform::SelectThreadCodePage(1252);
}

} // namespace
