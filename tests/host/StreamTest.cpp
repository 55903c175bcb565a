// The streaming outputs: record assembly into a stream, the JSON and CSV sinks, spools and the
// ordered output that keeps many writers in file order.
#include "host/CsvReportSink.h"
#include "host/CsvSink.h"
#include "host/JsonSink.h"
#include "host/MessageSink.h"
#include "host/OrderedOutput.h"
#include "host/Output.h"
#include "host/RecordPipe.h"
#include "host/RecordReceiver.h"
#include "host/UnitConverters.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>

#include <string>
#include <thread>
#include <vector>

namespace
{

using HostTest::CStringSink;

using Host::CFileRecords;
using Host::CRecord;

// Fails once more than limit bytes were written, as a full disk does.
class CFullSink final : public Host::IByteSink
{
public:
    explicit CFullSink(std::size_t limit) : m_limit(limit) {}
    void Write(const char*, std::size_t size) override
    {
        if (m_written + size > m_limit)
            throw Host::COutputError("cannot write the output: No space left on device");
        m_written += size;
    }

private:
    std::size_t m_limit;
    std::size_t m_written = 0;
};

// Logs the stream as one line per event.
class CLogSink final : public Host::IRecordSink
{
public:
    void BeginFile(const std::string& path) override { log.push_back("file " + path); }
    void Point(const CRecord& point) override
    {
        log.push_back("point " + point.name + (point.north ? " n" : "") + (point.code ? " c" : ""));
    }
    void Station(const CRecord& station, std::size_t setup) override
    {
        log.push_back("station " + std::to_string(setup) + " " + station.name +
                      (station.instrumentHeight ? " h" : ""));
    }
    void Observation(const CRecord& observation, const CRecord* station, std::size_t setup) override
    {
        log.push_back("observation " + observation.name + " of " + (station ? station->name : "-") +
                      " " + std::to_string(setup) + (observation.horizontalAngle ? " hz" : "") +
                      (observation.code ? " c" : ""));
    }
    void Message(const Host::CMessage& message) override
    {
        log.push_back("message " + (message.line ? std::to_string(*message.line) : "-") + " " +
                      message.text);
    }
    void Warning(const Host::CWarning& warning) override
    {
        log.push_back("warning " + (warning.line ? std::to_string(*warning.line) : "-") + " " +
                      warning.text);
    }
    void UnitChosen(const Host::CUnitChoice& choice) override
    {
        log.push_back("unit " + std::to_string(static_cast<int>(choice.quantity)) + " " +
                      std::to_string(choice.unitCode) + " " +
                      (choice.line ? std::to_string(*choice.line) : "-"));
    }
    void EndFile(bool imported) override { log.push_back(imported ? "end" : "end not imported"); }

    std::vector<std::string> log;
};

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
    CFullSink full(100);
    Host::CCsvSink csv(&full, nullptr, nullptr);
    int reported = 0;
    std::string what;
    Host::CRecordReceiver receiver(nullptr, {&csv});
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

// Drives a receiver as the plug-in would through several files, each long enough to fill many
// batches of a pipe, with texts and values set on some records and not on the next.
void FeedFiles(Host::CRecordReceiver& receiver)
{
    for (int file = 0; file < 3; ++file)
    {
        receiver.BeginFile((L"job" + std::to_wstring(file) + L".idx").c_str());
        for (int row = 0; row < 3 * static_cast<int>(Host::CRecordPipe::BatchSize) + 7; ++row)
        {
            receiver.SetCurrentLine(row);
            const std::wstring name = L"R" + std::to_wstring(row);
            switch (row % 7)
            {
            case 0:
                receiver.BeginPoint(name.c_str());
                receiver.SetNorth(row);
                receiver.SetCode(L"TREE");
                break;
            case 1:
                receiver.BeginPoint(name.c_str());
                break;
            case 2:
                receiver.BeginStation(name.c_str());
                receiver.SetInstrumentHeight(1.5);
                break;
            case 3:
                receiver.BeginTarget(name.c_str());
                receiver.SetHorizontalAngle(row);
                receiver.SetCode(L"a long code that does not fit a short string");
                break;
            case 4:
                receiver.BeginTarget(name.c_str());
                break;
            case 5:
                receiver.ReportLineError(L"Не указано имя точки");
                break;
            default:
                receiver.ValueRefused(Host::Quantity::Length, 0, L"N/A");
                receiver.ConverterMade(Host::Quantity::Angle, 1);
            }
        }
        if (file == 1)
            receiver.ReportFileError(L"cannot open");
        receiver.Finish();
    }
}

TEST(RecordPipeTest, PassesEveryEventOnInTheOrderSent)
{
    CLogSink direct;
    Host::CRecordReceiver receiver(nullptr, {&direct});
    FeedFiles(receiver);
    // A record keeps nothing of the one before, whose room it reuses.
    std::size_t points = 0;
    for (const std::string& line : direct.log)
        if (line.rfind("point R", 0) == 0)
        {
            const int row = std::stoi(line.substr(7));
            EXPECT_EQ("point R" + std::to_string(row) + (row % 7 == 0 ? " n c" : ""), line);
            ++points;
        }
    EXPECT_GT(points, 2 * Host::CRecordPipe::BatchSize);

    CLogSink piped;
    {
        Host::CRecordPipe pipe({&piped});
        Host::CRecordReceiver pipedReceiver(nullptr, {&pipe});
        FeedFiles(pipedReceiver);
        EXPECT_EQ(direct.log, piped.log) << "every file has been ended once Finish returns";
        EXPECT_FALSE(pipedReceiver.Failed());
    }
    EXPECT_EQ(direct.log.size(), piped.log.size());
}

// Throws at the nth point, as a full disk would.
class CFailingSink final : public Host::IRecordSink
{
public:
    explicit CFailingSink(std::size_t failAt) : m_failAt(failAt) {}
    void BeginFile(const std::string&) override {}
    void Point(const CRecord&) override
    {
        if (++points == m_failAt)
            throw Host::COutputError("cannot write the output: No space left on device");
    }
    void Station(const CRecord&, std::size_t) override {}
    void Observation(const CRecord&, const CRecord*, std::size_t) override {}
    void Message(const Host::CMessage&) override {}
    void EndFile(bool) override { ++ends; }

    std::size_t points = 0;
    std::size_t ends = 0;

private:
    std::size_t m_failAt;
};

TEST(RecordPipeTest, ASinksErrorComesBackToTheSenderOnceAndEndsTheStream)
{
    const std::size_t failAt[] = {1, Host::CRecordPipe::BatchSize,
                                  5 * Host::CRecordPipe::BatchSize};
    for (std::size_t fail : failAt)
    {
        CFailingSink sink(fail);
        Host::CRecordPipe pipe({&sink});
        int thrown = 0;
        auto send = [&](auto&& call)
        {
            try
            {
                call();
            }
            catch (const Host::COutputError& error)
            {
                ++thrown;
                EXPECT_NE(std::string::npos, std::string(error.what()).find("No space left"));
            }
        };
        send([&] { pipe.BeginFile("job.idx"); });
        for (std::size_t i = 0; i < 8 * Host::CRecordPipe::BatchSize; ++i)
            send([&] { pipe.Point(CRecord()); });
        send([&] { pipe.EndFile(true); });
        send([&] { pipe.BeginFile("next.idx"); });
        send([&] { pipe.EndFile(true); });
        EXPECT_EQ(1, thrown) << "failing at point " << fail;
        EXPECT_EQ(fail, sink.points) << "nothing reaches the sinks after their error";
        EXPECT_EQ(0u, sink.ends);
    }
}

// The sample of OutputTest, as the plug-in would stream it.
void Replay(const std::vector<CFileRecords>& files, Host::IRecordSink& sink)
{
    for (const CFileRecords& file : files)
    {
        sink.BeginFile(file.path);
        for (const Host::CMessage& message : file.messages)
            sink.Message(message);
        for (const Host::CWarning& warning : file.warnings)
            sink.Warning(warning);
        for (const CRecord& observation : file.observationsWithoutStation)
            sink.Observation(observation, nullptr, 0);
        for (const CRecord& point : file.points)
            sink.Point(point);
        for (std::size_t i = 0; i < file.stations.size(); ++i)
        {
            sink.Station(file.stations[i].station, i + 1);
            for (const CRecord& observation : file.stations[i].observations)
                sink.Observation(observation, &file.stations[i].station, i + 1);
        }
        sink.EndFile(file.Imported());
    }
}

std::vector<CFileRecords> Sample()
{
    CFileRecords job;
    job.path = "dir/job \"1\".idx";
    job.messages.push_back({5, "Не указано имя точки", false});
    job.warnings.push_back({6, "\"N/A\" is not a length"});
    job.warnings.push_back({std::nullopt, "\"x\" is not an angle"});
    job.messages.push_back({std::nullopt, "tab\there\x01", false});
    CRecord point;
    point.name = "P\\1";
    point.north = 1000.5;
    point.east = 1e21;
    point.elevation = -0.0;
    point.pointClass = -3;
    point.code = "a,b";
    job.points.push_back(point);
    job.points.push_back(CRecord{});
    CRecord early;
    early.name = "T0";
    early.slopeDistance = 12.0;
    early.date = "20191225";
    job.observationsWithoutStation.push_back(early);
    for (int s = 0; s < 2; ++s)
    {
        Host::CStation station;
        station.station.name = "S" + std::to_string(s);
        station.station.temperature = 20.0 + s;
        station.station.pressure = 1e-7;
        if (s == 0)
        {
            CRecord target;
            target.name = "T1";
            target.code = "line\nbreak\r";
            target.horizontalAngle = 0.7853981633974483;
            target.verticalAngleOffset = 1.5707963267949;
            target.reflectorHeight = 1.7;
            station.observations.push_back(target);
            station.observations.push_back(target);
        }
        job.stations.push_back(station);
    }
    CFileRecords empty;
    empty.path = "empty.idx";
    CFileRecords missing;
    missing.path = "missing.idx";
    missing.messages.push_back({std::nullopt, "Не удается открыть файл", true});
    return {job, empty, missing};
}

std::string StreamedJson(const std::vector<CFileRecords>& files)
{
    CStringSink out;
    Host::WriteJsonDocumentStart(out);
    Host::CJsonSink sink(out);
    Replay(files, sink);
    Host::WriteJsonDocumentEnd(out, !files.empty());
    return out.text;
}

TEST(JsonSinkTest, HoldsTheSameContentAsTheWholeDocument)
{
    // nlohmann::json compares objects without regard to the order of their keys.
    for (const auto& files : {Sample(), std::vector<CFileRecords>{}})
    {
        const std::string streamed = StreamedJson(files);
        EXPECT_EQ(nlohmann::json::parse(Host::ToJson(files)), nlohmann::json::parse(streamed))
            << streamed;
    }
}

TEST(JsonSinkTest, IndentsLikeTheWholeDocumentAndClosesEachFileWithItsMessages)
{
    const std::string streamed = StreamedJson(Sample());
    // Re-indenting the parsed document with the same layout must give the same bytes, so the
    // stream is laid out exactly as nlohmann-json lays out a document.
    EXPECT_EQ(nlohmann::ordered_json::parse(streamed).dump(2) + "\n", streamed);
    const auto document = nlohmann::ordered_json::parse(streamed);
    std::vector<std::string> keys;
    for (const auto& item : document["files"][0].items())
        keys.push_back(item.key());
    const std::vector<std::string> expected = {
        "path",     "points",   "stations", "observations_without_station",
        "imported", "messages", "warnings"};
    EXPECT_EQ(expected, keys);
    EXPECT_EQ(0u, streamed.find("{\n  \"units\": {"));
    EXPECT_NE(std::string::npos, StreamedJson({}).find("\"files\": []\n}\n"));
}

TEST(JsonSinkTest, StringsAndNumbersAreWrittenAsTheDocumentWroteThem)
{
    const struct
    {
        std::string text;
        const char* literal;
    } strings[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::string("\x00\x1f\x7f", 3), "\"\\u0000\\u001f\x7f\""},
        {"Пункт", "\"Пункт\""},
    };
    for (const auto& c : strings)
    {
        std::string out;
        Host::AppendJsonString(out, c.text);
        EXPECT_EQ(c.literal, out);
        EXPECT_EQ(nlohmann::json(c.text).dump(), out);
    }
    const double numbers[] = {0.0,
                              -0.0,
                              1.0,
                              100.0,
                              0.1,
                              -3.25,
                              1e-7,
                              1e21,
                              123456789012345680.0,
                              1.5707963267949,
                              5e-324,
                              1.7976931348623157e308};
    for (double number : numbers)
    {
        std::string out;
        Host::AppendJsonNumber(out, number);
        EXPECT_EQ(nlohmann::json(number).dump(), out) << number;
    }
    std::string out;
    Host::AppendJsonNumber(out, std::numeric_limits<double>::infinity());
    EXPECT_EQ("null", out);
}

TEST(CsvSinkTest, StreamedTablesEqualTheWholeTables)
{
    const auto files = Sample();
    CStringSink points, stations, observations;
    Host::WriteCsvHeader(Host::CsvTable::Points, points);
    Host::WriteCsvHeader(Host::CsvTable::Stations, stations);
    Host::WriteCsvHeader(Host::CsvTable::Observations, observations);
    Host::CCsvSink sink(&points, &stations, &observations);
    Replay(files, sink);
    std::ostringstream wholePoints, wholeStations, wholeObservations;
    Host::WritePointsCsv(files, wholePoints);
    Host::WriteStationsCsv(files, wholeStations);
    Host::WriteObservationsCsv(files, wholeObservations);
    EXPECT_EQ(wholePoints.str(), points.text);
    EXPECT_EQ(wholeStations.str(), stations.text);
    EXPECT_EQ(wholeObservations.str(), observations.text);
}

TEST(CsvSinkTest, ValuesWithoutAColumnGoToExtraValues)
{
    Host::CRecord point;
    point.name = "P, 1";
    point.north = 1.0;
    point.instrumentHeight = 1.25;
    point.date = "20210614";
    Host::CRecord station;
    station.name = "S1";
    station.instrumentHeight = 1.5;
    station.north = 7.0;
    station.code = "TRIG";
    Host::CRecord observation;
    observation.name = "T1";
    observation.code = "MARK";
    observation.horizontalAngle = 0.5;
    observation.pressure = 1000.0;
    observation.pointClass = 2;

    CStringSink points, stations, observations, extras;
    Host::WriteCsvHeader(Host::CsvTable::ExtraValues, extras);
    Host::CCsvSink sink(&points, &stations, &observations, &extras);
    for (const char* file : {"a.idx", "b.idx"})
    {
        sink.BeginFile(file);
        sink.Point(Host::CRecord{});
        sink.Point(point);
        sink.Station(station, 1);
        sink.Observation(Host::CRecord{}, &station, 1);
        sink.Observation(observation, &station, 1);
        sink.EndFile(true);
    }
    const std::string perFile = ",points,2,\"P, 1\",instrument_height,1.25\r\n"
                                ",points,2,\"P, 1\",date,20210614\r\n"
                                ",stations,1,S1,code,TRIG\r\n"
                                ",stations,1,S1,north,7\r\n"
                                ",observations,2,T1,class,2\r\n"
                                ",observations,2,T1,pressure,1000\r\n";
    std::string expected = "file,table,record,name,field,value\r\n";
    for (const char* file : {"a.idx", "b.idx"})
    {
        std::size_t start = 0;
        for (std::size_t end; (end = perFile.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            expected += file + perFile.substr(start, end + 2 - start);
    }
    EXPECT_EQ(expected, extras.text) << "each file numbers its records from 1";
    EXPECT_EQ(std::string::npos, points.text.find("1.25")) << "the tables are as before";
}

TEST(CsvReportSinkTest, MessagesAndTheStatusOfEachFile)
{
    CStringSink messages, files;
    Host::WriteCsvReportHeader(Host::CsvReport::Messages, messages);
    Host::WriteCsvReportHeader(Host::CsvReport::Files, files);
    Host::CCsvReportSink sink(&messages, &files);
    sink.BeginFile("good.idx");
    sink.Point(Host::CRecord{});
    sink.Point(Host::CRecord{});
    sink.Station(Host::CRecord{}, 1);
    sink.Observation(Host::CRecord{}, nullptr, 0);
    sink.Message({12, "no name, no point", false});
    sink.Warning({13, "\"N/A\" is not a length"});
    sink.EndFile(true);
    sink.BeginFile("bad.idx");
    Host::CMessage missing{std::nullopt, "cannot open", true};
    missing.cause = "no such file";
    sink.Message(missing);
    sink.Message({std::nullopt, "\"unknown\" format", true});
    sink.EndFile(false);
    EXPECT_EQ("file,line,text\r\n"
              "good.idx,12,\"no name, no point\"\r\n"
              "good.idx,13,\"\"\"N/A\"\" is not a length\"\r\n"
              "bad.idx,,cannot open\r\n"
              "bad.idx,,\"\"\"unknown\"\" format\"\r\n",
              messages.text);
    EXPECT_EQ("file,imported,points,stations,observations,messages,warnings,reason\r\n"
              "good.idx,yes,2,1,1,1,1,\r\n"
              "bad.idx,no,0,0,0,2,0,\"cannot open (no such file); \"\"unknown\"\" format\"\r\n",
              files.text);
}

TEST(MessageSinkTest, WritesFileLineAndText)
{
    CStringSink out;
    Host::CMessageSink sink(out);
    sink.BeginFile("a.idx");
    sink.Message({3, "bad", false});
    sink.Message({std::nullopt, "cannot open", true});
    Host::CMessage explained{std::nullopt, "cannot open", true};
    explained.cause = "a folder, not a file";
    sink.Message(explained);
    EXPECT_EQ("a.idx:3: bad\na.idx: cannot open\na.idx: cannot open (a folder, not a file)\n",
              out.text);
}

TEST(SpoolTest, GivesBackWhatItHeldInOrderFromMemoryAndFromATemporaryFile)
{
    for (std::size_t limit : {std::size_t{0}, std::size_t{10}, std::size_t{1} << 20})
    {
        Host::CSpool spool(limit);
        std::string expected;
        for (int i = 0; i < 20000; ++i)
        {
            const std::string piece = std::to_string(i) + ",";
            spool.Write(piece.data(), piece.size());
            expected += piece;
        }
        CStringSink out;
        spool.MoveTo(out);
        EXPECT_EQ(expected, out.text) << limit;
        EXPECT_TRUE(spool.Empty());
        spool.Write("x", 1);
        spool.MoveTo(out);
        EXPECT_EQ(expected + "x", out.text) << "a spool is reusable after it was emptied";
    }
}

TEST(OrderedOutputTest, ProducersOnManyThreadsComeOutInTheirOrder)
{
    constexpr std::size_t producers = 64;
    CStringSink destination;
    Host::COrderedOutput ordered(destination, producers);
    std::atomic<std::size_t> next{0};
    auto work = [&]
    {
        for (std::size_t i = next++; i < producers; i = next++)
        {
            Host::IByteSink& sink = ordered.Producer(i);
            // Later producers write more, so they often finish after the ones behind them.
            for (std::size_t line = 0; line < 50 + (i % 7) * 400; ++line)
            {
                const std::string text = std::to_string(i) + ":" + std::to_string(line) + "\n";
                sink.Write(text.data(), text.size());
            }
            ordered.Finish(i);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();

    std::string expected;
    for (std::size_t i = 0; i < producers; ++i)
        for (std::size_t line = 0; line < 50 + (i % 7) * 400; ++line)
            expected += std::to_string(i) + ":" + std::to_string(line) + "\n";
    EXPECT_EQ(expected, destination.text);
    EXPECT_EQ(producers, ordered.Current());
}

TEST(OrderedOutputTest, AProducerThatFinishesEarlyWaitsForItsTurn)
{
    CStringSink destination;
    Host::COrderedOutput ordered(destination, 3);
    ordered.Producer(2).Write("c", 1);
    ordered.Finish(2);
    ordered.Producer(1).Write("b", 1);
    ordered.Producer(0).Write("a", 1);
    EXPECT_EQ("a", destination.text) << "only the first producer writes through";
    ordered.Finish(0);
    EXPECT_EQ("ab", destination.text);
    EXPECT_EQ(1u, ordered.Current());
    ordered.Producer(1).Write("B", 1);
    EXPECT_EQ("abB", destination.text) << "the current producer writes through";
    ordered.Finish(1);
    EXPECT_EQ("abBc", destination.text);
    EXPECT_EQ(3u, ordered.Current());
}

TEST(OrderedOutputTest, AProducerBeyondTheWindowWaitsUntilTheWindowReachesIt)
{
    CStringSink destination;
    Host::COrderedOutput ordered(destination, 4);
    ordered.WaitForWindow(1, 2); // within the window: returns at once
    std::atomic<bool> started{false};
    std::thread third(
        [&]
        {
            ordered.WaitForWindow(2, 1);
            started = true;
        });
    ordered.Finish(0);
    EXPECT_FALSE(started) << "producer 2 is still beyond a window of 1 after producer 1";
    ordered.Finish(1);
    third.join();
    EXPECT_TRUE(started);
    EXPECT_EQ(2u, ordered.Current());
}

} // namespace
