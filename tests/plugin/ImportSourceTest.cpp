// The reader fed from a byte source of the host's own: the same receiver calls as the file of the
// same bytes, however the source slices them and whether or not it rewinds.
#include "plugin/ReaderCore.h"

#include "platform/Platform.h"
#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/RecordingObserver.h"
#include "tests/doubles/RecordingReceiver.h"
#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using PluginTests::CTestDirectory;
using TestDoubles::CCountingConverterFactory;
using TestDoubles::CRecordingObserver;
using TestDoubles::CRecordingReceiver;
using Calls = std::vector<std::string>;

const char* const CannotOpen = "ReportFileError(Не удается открыть файл)";

// Bytes in memory, handed out at most slice bytes a read. A read error comes once failAt bytes
// have been handed out, if ever; a rewind fails when told to.
class CMemorySource final : public IByteSource
{
public:
    CMemorySource(std::string bytes, std::size_t slice, bool rewindable)
        : m_bytes(std::move(bytes)), m_slice(slice), m_rewindable(rewindable)
    {
    }

    std::size_t failAt = std::string::npos;
    bool failRewind = false;

    bool Read(char* buffer, std::size_t size, std::size_t& got) noexcept override
    {
        got = 0;
        if (m_at >= failAt)
            return false;
        got = std::min({size, m_slice, m_bytes.size() - m_at});
        std::memcpy(buffer, m_bytes.data() + m_at, got);
        m_at += got;
        return true;
    }
    bool IsRewindable() const noexcept override { return m_rewindable; }
    bool Rewind() noexcept override
    {
        m_at = 0;
        return m_rewindable && !failRewind;
    }

private:
    const std::string m_bytes;
    const std::size_t m_slice;
    const bool m_rewindable;
    std::size_t m_at = 0;
};

Calls SourceCalls(const std::wstring& shownPath, IByteSource* source)
{
    CCountingConverterFactory factory;
    CRecordingReceiver receiver(&factory);
    ImportSource(shownPath, source, &receiver);
    return receiver.Calls();
}

Calls FileCalls(const std::wstring& path)
{
    CCountingConverterFactory factory;
    CRecordingReceiver receiver(&factory);
    ImportFile(path, &receiver);
    return receiver.Calls();
}

class ImportSourceTest : public ::testing::Test
{
protected:
    void SetUp() override { Platform::SelectThreadCodePage(1252); }

    CTestDirectory m_files;
};

TEST_F(ImportSourceTest, GivesTheCallsOfTheFileOfTheSameBytes)
{
    const std::string job = "HEADER\nSEPARATOR |\nUNITS\nTIME YMD\nEND UNITS\nEND HEADER\n"
                            "DATABASE\nPOINTS(PointNo|PointID|North|Code)\n1|P1|10.5|TREE;\n"
                            "2|P2|x;\n3|C:\\d|1;\nEND POINTS\nEND DATABASE\n"
                            "THEODOLITE\nSLOPE(TgtNo|TgtID|Hz|Date)\n1|T1|12|2019/12/25\n";
    const std::string utf16 = std::string("\xFF\xFE", 2) +
                              std::string("D\0A\0T\0A\0B\0A\0S\0E\0\r\0\n\0", 20) +
                              std::string("P\0O\0I\0N\0T\0S\0(\0a\0)\0", 18);
    const std::string inputs[] = {
        job,   "\xEF\xBB\xBF" + job,     job.substr(0, 60) + "\x1A" + job.substr(60),
        utf16, "no format here\r\n\xE9", "",
    };
    for (const std::string& bytes : inputs)
    {
        const std::wstring path = m_files.Write("job.idx", bytes);
        const Calls expected = FileCalls(path);
        for (const bool rewindable : {true, false})
            for (const std::size_t slice : {std::size_t(1), std::size_t(7), bytes.size() + 1})
            {
                CMemorySource source(bytes, slice, rewindable);
                EXPECT_EQ(expected, SourceCalls(path, &source))
                    << ::testing::PrintToString(bytes) << ", slices of " << slice
                    << (rewindable ? ", rewound" : ", held whole");
            }
    }
}

TEST_F(ImportSourceTest, ASourceThatCannotBeReadIsAFileThatCannotBeOpened)
{
    const std::string bytes = "DATABASE\nPOINTS(PointNo,PointID)\n1,P1\n";
    CMemorySource failsFirst(bytes, 4, true);
    failsFirst.failAt = 0;
    CMemorySource failsLater(bytes, 4, false);
    failsLater.failAt = 12;
    CMemorySource failsRewind(bytes, 4, true);
    failsRewind.failRewind = true;
    for (IByteSource* source :
         {static_cast<IByteSource*>(nullptr), static_cast<IByteSource*>(&failsFirst),
          static_cast<IByteSource*>(&failsLater), static_cast<IByteSource*>(&failsRewind)})
        EXPECT_EQ((Calls{"BeginFile(shown)", CannotOpen}), SourceCalls(L"shown", source));
}

// Lines are numbered as the receiver is told them, marks and CR LF included; a file that cannot
// be read tells the observer nothing.
TEST_F(ImportSourceTest, TellsTheObserverWhatTheReadingSaw)
{
    struct Case
    {
        std::string bytes;
        Calls events;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBFHEADER\r\n\r\nSEPARATOR\r\nUNITS\r\nTIME MJD\r\nEND UNITS\r\n",
         {"section HEADER", "setting 2: SEPARATOR", "section HEADER/UNITS", "end , ; MJD"}},
        {"HEADER\nTERMINATOR 35\x1ASEPARATOR x\n", {"section HEADER", "end , # DMY"}},
        {"", {"end , ; DMY"}},
    };
    for (const Case& c : cases)
        for (const bool rewindable : {true, false})
        {
            CMemorySource source(c.bytes, 5, rewindable);
            CRecordingObserver observer;
            CRecordingReceiver receiver;
            ImportSource(L"shown", &source, &receiver, &observer);
            EXPECT_EQ(c.events, observer.Events()) << ::testing::PrintToString(c.bytes);
        }
    CRecordingObserver observer;
    CRecordingReceiver receiver;
    ImportSource(L"shown", nullptr, &receiver, &observer);
    ImportFile(m_files.Missing("missing.idx"), &receiver, &observer);
    EXPECT_TRUE(observer.Events().empty());
}

// A data row of ASCII is cut from its bytes, every other line is decoded first: a file gives the
// calls of its "Unicode" save, which is decoded whole. The job has rows of every shape a state
// reads (quotes, escapes, a bad one, a letter past ASCII, a row starting with a capital, which
// might be a keyword), keyword lines among them, and sections that cannot read their rows.
TEST_F(ImportSourceTest, RowsCutFromTheirBytesGiveTheCallsOfTheDecodedRows)
{
    const std::string job = "HEADER\n UNITS\n  ANGULAR DEG\n END UNITS\nEND HEADER\nDATABASE\n"
                            "POINTS(PointNo,PointID,North,East,Elevation,Code,CLASS)\n"
                            "  1, 'P1', 10.5, 20.25, 3, TREE, FIX;\n"
                            "\t2,\"P,2\",1,2,3,'C\\'D',ADJ;;\r\n"
                            "3,P\\,3,x,,\\n,  ,REF\n"
                            "4,P4,1,2,3,T\xE9,FIX;\n"
                            "5,P\\q5,1,2;\n"
                            "p6,P6,1,2,3,,AVG;\n"
                            "P7,P7,1,2,3,,BAD;\n"
                            "\n   \n;\n"
                            "'8',P8 ,'1' ,\" 2\",3,' TREE ',FIX\n"
                            "THEMINFO\n9,skipped\nEND THEMINFO\n"
                            "  END POINTS  \n"
                            "POINTS(PointNo,North)\n1,2\nEND POINTS\n"
                            "END DATABASE\n"
                            "THEODOLITE\n"
                            "INSTRUMENTS(Name,V_TYPE)\nts1,ZENITH;\nTS2,NADIR;\nEND INSTRUMENTS\n"
                            "CONFIGS(CfgNo,InstrName)\n1,ts1;\n2,TS2;\nEND CONFIGS\n"
                            "SETUP\nSTN_NO=1 INST_HT=1.5\nEND SETUP\n"
                            "SLOPE(TgtNo,TgtID,CfgNo,Hz,Vz,SDist,RefHt,Date)\n"
                            "1,T1,1,12.5,90,100.25,1.5,25/12/2019;\n"
                            "3,'T 3',2,\"1\\\\2\",,,,\n"
                            "\xA7x,T\xA7,1,2\n"
                            "END SLOPE\n"
                            "END THEODOLITE\n"
                            "HEADER\nSEPARATOR '\xA7'\nEND HEADER\n"
                            "DATABASE\nPOINTS(PointNo\xA7PointID\xA7North)\n"
                            "10\xA7P10\xA7"
                            "1;\n11,P11,2;\n12 \xA7 'P,12' \xA7 3\nEND POINTS\nEND DATABASE\n";
    for (const unsigned int codePage : {1252u, 1251u})
    {
        ASSERT_TRUE(Platform::SelectThreadCodePage(codePage));
        std::wstring text;
        Platform::DecodeThreadCodePage(job.data(), job.size(), text);
        std::string unicode = "\xFF\xFE";
        for (const wchar_t c : text)
        {
            unicode.push_back(static_cast<char>(c & 0xFF));
            unicode.push_back(static_cast<char>((c >> 8) & 0xFF));
        }
        CMemorySource bytes(job, job.size(), true);
        CMemorySource decoded(unicode, unicode.size(), true);
        const Calls calls = SourceCalls(L"job", &bytes);
        EXPECT_EQ(SourceCalls(L"job", &decoded), calls) << "code page " << codePage;
        // The job is read at all: its points arrive.
        EXPECT_NE(std::find(calls.begin(), calls.end(), "BeginPoint(P10)"), calls.end());
    }
}

TEST_F(ImportSourceTest, WithoutAReceiverNothingHappens)
{
    CMemorySource source("DATABASE\n", 4, true);
    ImportSource(L"shown", &source, nullptr);
    ImportFile(L"shown", nullptr);
    std::size_t got = 1;
    char byte = 0;
    // The source was never read.
    EXPECT_TRUE(source.Read(&byte, 1, got));
    EXPECT_EQ(1u, got);
    EXPECT_EQ('D', byte);
}

} // namespace
