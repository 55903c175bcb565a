// The receiver that streams: the builder rules of the plug-in's calls, records handed on as the
// next begins, converter events as warnings and unit choices, and the first write error of a sink.
#include "host/kit/RecordReceiver.h"
#include "host/kit/UnitConverters.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Host::CRecord;
using HostTest::CLogSink;

// The rules of the calls at their edges: each script of calls and the stream it gives.
TEST(RecordReceiverTest, FollowsTheBuilderRulesAtTheirEdges)
{
    using Script = std::function<void(Host::CRecordReceiver&)>;
    const struct
    {
        const char* rule;
        Script calls;
        std::vector<std::string> stream;
    } cases[] = {
        {"a file message carries no line, not even the one before it",
         [](auto& r)
         {
             r.BeginFile(L"a.idx");
             r.SetCurrentLine(41);
             r.ReportFileError(L"whole file");
         },
         {"file a.idx", "message - whole file", "end not imported"}},
        {"the last line an index can name is counted without wrapping",
         [](auto& r)
         {
             r.BeginFile(L"a.idx");
             r.SetCurrentLine(std::numeric_limits<std::int32_t>::max());
             r.ReportLineError(L"last");
         },
         {"file a.idx", "message 2147483648 last", "end"}},
        {"a line index of -1 is no line",
         [](auto& r)
         {
             r.BeginFile(L"a.idx");
             r.SetCurrentLine(2);
             r.SetCurrentLine(-1);
             r.ReportLineError(L"late");
         },
         {"file a.idx", "message - late", "end"}},
        {"setters with no record open go nowhere, in a new file too",
         [](auto& r)
         {
             r.BeginFile(L"a.idx");
             r.SetNorth(1.0);
             r.BeginStation(L"S1");
             r.BeginTarget(L"T1");
             r.BeginFile(L"b.idx");
             r.SetSlopeDistance(9.0);
             r.SetCode(L"X");
             r.BeginTarget(L"T2");
         },
         {"file a.idx", "station 1 S1", "observation T1 of S1 1", "end", "file b.idx",
          "observation T2 of - 0", "end"}},
        {"wide texts become UTF-8; an empty name is a name",
         [](auto& r)
         {
             r.BeginFile(L"съёмка.idx");
             r.BeginPoint(L"Пункт №1");
             r.SetCode(L"\u00C5\u00DF");
             r.BeginPoint(L"");
         },
         {"file съёмка.idx", "point Пункт №1 c", "point ", "end"}},
    };
    for (const auto& c : cases)
    {
        CLogSink sink;
        Host::CRecordReceiver receiver(nullptr, {&sink});
        c.calls(receiver);
        receiver.Finish();
        EXPECT_EQ(c.stream, sink.log) << c.rule;
        EXPECT_FALSE(receiver.Failed()) << c.rule;
    }
}

TEST(RecordReceiverTest, HandsOutTheFactoryWithAReferenceForTheCaller)
{
    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    {
        Host::CRecordReceiver receiver(factory, {});
        IUnitConverterFactory* handed = receiver.GetConverterFactory();
        EXPECT_EQ(factory, handed);
        EXPECT_EQ(2, factory->References());
        EXPECT_FALSE(handed->Release());
    }
    EXPECT_TRUE(factory->Release());

    Host::CRecordReceiver without(nullptr, {});
    EXPECT_EQ(nullptr, without.GetConverterFactory());
}

TEST(RecordReceiverTest, HandsOnEachRecordOnceTheNextBegins)
{
    CLogSink sink;
    Host::CRecordReceiver receiver(nullptr, {&sink});
    receiver.BeginFile(L"job.idx");
    receiver.BeginTarget(L"T0");
    receiver.SetHorizontalAngle(1.0);
    EXPECT_EQ(1u, sink.log.size()) << "the open record is still being assembled";
    receiver.BeginStation(L"S1");
    receiver.SetInstrumentHeight(1.5);
    receiver.BeginTarget(L"T1");
    receiver.BeginPoint(L"P1");
    receiver.SetNorth(100.0);
    receiver.BeginTarget(L"T2");
    receiver.SetCode(L"MARK");
    receiver.SetCurrentLine(6);
    receiver.ReportLineError(L"bad row");
    receiver.BeginStation(L"S2");
    receiver.BeginFile(L"second.idx");
    receiver.SetNorth(1.0);
    receiver.ReportFileError(L"cannot open");
    receiver.Finish();
    receiver.Finish();

    const std::vector<std::string> expected = {
        "file job.idx",
        "observation T0 of - 0 hz",
        "station 1 S1 h",
        "observation T1 of S1 1",
        "point P1 n",
        "message 7 bad row",
        "observation T2 of S1 1 c",
        "station 2 S2",
        "end",
        "file second.idx",
        "message - cannot open",
        "end not imported",
    };
    EXPECT_EQ(expected, sink.log);
    EXPECT_EQ(2u, receiver.Files());
    EXPECT_EQ(1u, receiver.FilesNotImported());
    EXPECT_FALSE(receiver.Failed());
}

// The converters of the factory tell the receiver, which knows the line: each value that does
// not convert is a warning of that line, and each converter made is a unit choice.
TEST(RecordReceiverTest, TurnsConverterEventsIntoWarningsAndUnitChoicesOfTheCurrentLine)
{
    CLogSink sink;
    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    Host::CRecordReceiver receiver(factory, {&sink});
    factory->SetEvents(&receiver);
    receiver.BeginFile(L"job.idx");
    ILinearConverter* linear = factory->CreateLinearConverter(1);
    Plugin::IAngleConverter* angle = factory->CreateAngleConverter(1);
    double value = 0;
    receiver.SetCurrentLine(4);
    EXPECT_FALSE(linear->Convert(L"N/A", &value));
    EXPECT_FALSE(linear->Convert(L"", &value)) << "an empty field is a value not given";
    EXPECT_TRUE(linear->Convert(L"1", &value));
    receiver.SetCurrentLine(std::numeric_limits<std::int32_t>::max());
    // The plug-in rewrote "123.4575" into the dotted form; the file's text is the one shown.
    EXPECT_FALSE(angle->Convert(L"123.45.75", &value));
    EXPECT_FALSE(angle->Convert(L"12.3\u00b0", &value));
    receiver.Finish();
    factory->SetEvents(nullptr);
    linear->Release();
    angle->Release();
    EXPECT_TRUE(factory->Release());

    const std::vector<std::string> expected = {
        "file job.idx",
        "unit 1 1 -",
        "unit 0 1 -",
        "warning 5 \"N/A\" is not a length",
        "warning 2147483648 \"123.4575\" is not an angle",
        "warning 2147483648 \"12.3\u00b0\" is not an angle",
        "end",
    };
    EXPECT_EQ(expected, sink.log);
    EXPECT_EQ(3u, receiver.Reports());
}

TEST(RecordReceiverTest, CountsMessagesAndWarningsOfEveryFile)
{
    CLogSink sink;
    Host::CRecordReceiver receiver(nullptr, {&sink});
    receiver.BeginFile(L"a.idx");
    receiver.ReportLineError(L"bad row");
    receiver.ValueRefused(Host::Quantity::Temperature, 0, L"warm");
    receiver.BeginFile(L"b.idx");
    receiver.ReportFileError(L"cannot open");
    receiver.ValueRefused(Host::Quantity::Pressure, 1, L"");
    receiver.SetCurrentLine(std::numeric_limits<std::int32_t>::max());
    receiver.ReportLineError(L"last");
    receiver.Finish();
    EXPECT_EQ(4u, receiver.Reports());
    EXPECT_EQ("warning - \"warm\" is not a temperature", sink.log.at(2));
    EXPECT_EQ("message 2147483648 last", sink.log.at(6));
}

TEST(RecordReceiverTest, AValueTooLargeForTheDisplayUnitIsAWarning)
{
    CLogSink sink;
    Host::CRecordReceiver receiver(nullptr, {&sink});
    Host::CDisplayUnits units;
    units.angle = Host::AngleDisplay::Gons;
    units.length = Host::LengthDisplay::InternationalFeet;
    receiver.SetDisplayUnits(units);
    receiver.BeginFile(L"big.idx");
    receiver.SetCurrentLine(2);
    receiver.BeginPoint(L"P");
    receiver.SetNorth(1e308);
    receiver.SetEast(1e300);
    receiver.SetTemperature(1e308); // not shown in another unit
    receiver.BeginTarget(L"T");
    receiver.SetHorizontalAngle(-1.7976931348623157e308);
    receiver.Finish();
    const std::vector<std::string> expected = {
        "file big.idx",
        "warning 3 1e+308 metres cannot be written in international feet",
        "point P n",
        "warning 3 -1.7976931348623157e+308 radians cannot be written in gons",
        "observation T of - 0 hz",
        "end",
    };
    EXPECT_EQ(expected, sink.log);
    EXPECT_EQ(2u, receiver.Reports());
}

TEST(RecordReceiverTest, RecordsBeforeAnyFileGoUnderAFileWithoutAPath)
{
    CLogSink sink;
    Host::CRecordReceiver receiver(nullptr, {&sink});
    receiver.SetNorth(1.0);
    receiver.BeginPoint(nullptr);
    receiver.SetCode(nullptr);
    receiver.Finish();
    const std::vector<std::string> expected = {"file ", "point  c", "end"};
    EXPECT_EQ(expected, sink.log);
}

TEST(RecordReceiverTest, AWriteErrorIsReportedOnceAndEndsTheStream)
{
    // A sink whose output is full after a few records.
    class CFullOutput final : public CLogSink
    {
    public:
        void Point(const CRecord& point) override
        {
            if (log.size() > 20)
                throw Host::COutputError("cannot write the output: No space left on device");
            CLogSink::Point(point);
        }
    } full;
    int reported = 0;
    std::string what;
    Host::CRecordReceiver receiver(nullptr, {&full});
    receiver.OnOutputError(
        [&](const Host::COutputError& error)
        {
            ++reported;
            what = error.what();
        });
    receiver.BeginFile(L"job.idx");
    for (int i = 0; i < 5000 && !receiver.Failed(); ++i)
        receiver.BeginPoint(L"P");
    receiver.Finish();
    receiver.BeginFile(L"next.idx");
    receiver.Finish();
    EXPECT_TRUE(receiver.Failed());
    EXPECT_EQ(1, reported);
    EXPECT_NE(std::string::npos, what.find("No space left"));
}

} // namespace
