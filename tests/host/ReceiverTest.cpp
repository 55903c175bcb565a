#include "host/ImportReceiver.h"
#include "host/UnitConverters.h"

#include <gtest/gtest.h>

#include <limits>

#include <string>
#include <vector>

namespace
{

using Host::CFileRecords;
using Host::CImportReceiver;

class CEventLog final : public Host::IImportEvents
{
public:
    void FileStarted(const CFileRecords& file) override { log.push_back("file " + file.path); }
    void MessageReported(const CFileRecords& file, const Host::CMessage& message) override
    {
        log.push_back(file.path + ":" + (message.line ? std::to_string(*message.line) : "-") +
                      ": " + message.text);
    }
    void ProgressChanged(const CFileRecords& file, float percent) override
    {
        log.push_back(file.path + " " + std::to_string(static_cast<int>(percent)) + "%");
    }

    std::vector<std::string> log;
};

TEST(ReceiverTest, ObservationsBelongToTheStationOpenedLast)
{
    CImportReceiver receiver(nullptr);
    receiver.BeginFile(L"job.idx");
    receiver.BeginTarget(L"T0");
    receiver.SetSlopeDistance(5.0);
    receiver.BeginStation(L"S1");
    receiver.SetInstrumentHeight(1.5);
    receiver.BeginTarget(L"T1");
    receiver.SetHorizontalAngle(0.5);
    receiver.BeginPoint(L"P1");
    receiver.SetNorth(100.0);
    receiver.BeginTarget(L"T2");
    receiver.SetCode(L"MARK");
    receiver.BeginStation(L"S2");
    receiver.BeginTarget(L"T3");

    ASSERT_EQ(1u, receiver.Files().size());
    const CFileRecords& file = receiver.Files()[0];
    ASSERT_EQ(1u, file.observationsWithoutStation.size());
    EXPECT_EQ("T0", file.observationsWithoutStation[0].name);
    EXPECT_EQ(5.0, file.observationsWithoutStation[0].slopeDistance);
    ASSERT_EQ(2u, file.stations.size());
    EXPECT_EQ("S1", file.stations[0].station.name);
    EXPECT_EQ(1.5, file.stations[0].station.instrumentHeight);
    ASSERT_EQ(2u, file.stations[0].observations.size());
    EXPECT_EQ("T1", file.stations[0].observations[0].name);
    EXPECT_EQ(0.5, file.stations[0].observations[0].horizontalAngle);
    EXPECT_EQ("T2", file.stations[0].observations[1].name)
        << "a point between two observations does not close the station";
    EXPECT_EQ("MARK", file.stations[0].observations[1].code);
    ASSERT_EQ(1u, file.points.size());
    EXPECT_EQ(100.0, file.points[0].north);
    EXPECT_FALSE(file.points[0].code) << "SetCode after BeginTarget went to the target";
    ASSERT_EQ(1u, file.stations[1].observations.size());
    EXPECT_EQ("T3", file.stations[1].observations[0].name);
}

TEST(ReceiverTest, SettersApplyToTheRecordOpenedLast)
{
    CImportReceiver receiver(nullptr);
    receiver.BeginFile(L"a.idx");
    receiver.BeginPoint(L"P1");
    receiver.SetNorth(1);
    receiver.SetEast(2);
    receiver.SetElevation(3);
    receiver.SetPointClass(1);
    receiver.SetCode(L"C1");
    receiver.BeginStation(L"S1");
    receiver.SetTemperature(21.5);
    receiver.SetPressure(1013.25);
    receiver.BeginTarget(L"T1");
    receiver.SetVerticalAngle(1.25);
    receiver.SetReflectorHeight(1.7);
    receiver.SetDate(L"20191225");
    receiver.SetVerticalAngleOffset(1.5707963267949);
    // A value set while a station is open belongs to the station, whatever its kind.
    receiver.BeginStation(L"S2");
    receiver.SetCode(L"ODD");

    const CFileRecords& file = receiver.Files().at(0);
    const Host::CRecord& point = file.points.at(0);
    EXPECT_EQ(1, point.north);
    EXPECT_EQ(2, point.east);
    EXPECT_EQ(3, point.elevation);
    EXPECT_EQ(1, point.pointClass);
    EXPECT_EQ("C1", point.code);
    EXPECT_EQ(21.5, file.stations.at(0).station.temperature);
    EXPECT_EQ(1013.25, file.stations.at(0).station.pressure);
    const Host::CRecord& target = file.stations.at(0).observations.at(0);
    EXPECT_EQ(1.25, target.verticalAngle);
    EXPECT_EQ(1.7, target.reflectorHeight);
    EXPECT_EQ("20191225", target.date);
    EXPECT_EQ(1.5707963267949, target.verticalAngleOffset);
    EXPECT_FALSE(target.temperature);
    EXPECT_EQ("ODD", file.stations.at(1).station.code);
}

TEST(ReceiverTest, ANewFileStartsWithNoRecordOpen)
{
    CImportReceiver receiver(nullptr);
    receiver.BeginFile(L"a.idx");
    receiver.BeginStation(L"S1");
    receiver.BeginTarget(L"T1");
    receiver.BeginFile(L"b.idx");
    receiver.SetSlopeDistance(9.0);
    receiver.SetCode(L"X");
    receiver.BeginTarget(L"T2");

    ASSERT_EQ(2u, receiver.Files().size());
    const CFileRecords& first = receiver.Files()[0];
    EXPECT_FALSE(first.stations.at(0).observations.at(0).slopeDistance);
    EXPECT_FALSE(first.stations.at(0).observations.at(0).code);
    const CFileRecords& second = receiver.Files()[1];
    EXPECT_EQ("b.idx", second.path);
    EXPECT_TRUE(second.stations.empty()) << "stations never carry over to the next file";
    ASSERT_EQ(1u, second.observationsWithoutStation.size());
    EXPECT_EQ("T2", second.observationsWithoutStation[0].name);
}

TEST(ReceiverTest, MessagesKeepTheirFileAndLineCountedFromOne)
{
    CEventLog events;
    CImportReceiver receiver(nullptr, &events);
    receiver.BeginFile(L"points.idx");
    receiver.SetCurrentLine(0);
    receiver.SetProgress(50.0f);
    receiver.SetCurrentLine(6);
    receiver.ReportLineError(L"Не указано имя точки");
    receiver.SetProgress(100.0f);
    receiver.BeginFile(L"missing.idx");
    receiver.ReportFileError(L"Не удается открыть файл");
    receiver.BeginFile(L"notes.idx");
    receiver.SetCurrentLine(2);
    receiver.SetCurrentLine(-1);
    receiver.ReportFileError(L"Файл содержит данные в неизвестном формате");
    receiver.ReportLineError(L"late");

    const std::vector<std::string> expected = {
        "file points.idx",
        "points.idx 50%",
        "points.idx:7: Не указано имя точки",
        "points.idx 100%",
        "file missing.idx",
        "missing.idx:-: Не удается открыть файл",
        "file notes.idx",
        "notes.idx:-: Файл содержит данные в неизвестном формате",
        "notes.idx:-: late",
    };
    EXPECT_EQ(expected, events.log);

    const auto& files = receiver.Files();
    ASSERT_EQ(3u, files.size());
    EXPECT_TRUE(files[0].Imported()) << "a line message does not fail the file";
    EXPECT_EQ(7, files[0].messages.at(0).line);
    EXPECT_FALSE(files[0].messages.at(0).fileError);
    EXPECT_FALSE(files[1].Imported());
    EXPECT_FALSE(files[1].messages.at(0).line) << "a file that was never read has no line";
    EXPECT_FALSE(files[2].Imported());
    EXPECT_TRUE(files[2].messages.at(0).fileError);
    EXPECT_FALSE(files[2].messages.at(1).fileError);
}

TEST(ReceiverTest, FileMessagesNeverCarryALine)
{
    // Message 101 comes straight after BeginFile; the line of the previous file must not stick.
    CImportReceiver receiver(nullptr);
    receiver.BeginFile(L"a.idx");
    receiver.SetCurrentLine(41);
    receiver.ReportFileError(L"whole file");
    EXPECT_FALSE(receiver.Files()[0].messages.at(0).line);
}

TEST(ReceiverTest, TheLastLineAnIndexCanNameIsCountedWithoutWrapping)
{
    CImportReceiver receiver(nullptr);
    receiver.BeginFile(L"a.idx");
    receiver.SetCurrentLine(std::numeric_limits<std::int32_t>::max());
    receiver.ReportLineError(L"last");
    EXPECT_EQ(std::int64_t{2147483648}, receiver.Files()[0].messages.at(0).line);
}

TEST(ReceiverTest, HandsOutTheFactoryWithAReferenceForTheCaller)
{
    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    {
        CImportReceiver receiver(factory);
        IUnitConverterFactory* handed = receiver.GetConverterFactory();
        EXPECT_EQ(factory, handed);
        EXPECT_EQ(2, factory->References());
        EXPECT_FALSE(handed->Release());
    }
    EXPECT_TRUE(factory->Release());

    CImportReceiver without(nullptr);
    EXPECT_EQ(nullptr, without.GetConverterFactory());
}

TEST(ReceiverTest, WideTextsBecomeUtf8)
{
    CImportReceiver receiver(nullptr);
    receiver.BeginFile(L"съёмка.idx");
    receiver.BeginPoint(L"Пункт №1");
    receiver.SetCode(L"\u00C5\u00DF");
    receiver.BeginPoint(L"");
    const CFileRecords& file = receiver.Files().at(0);
    EXPECT_EQ("съёмка.idx", file.path);
    EXPECT_EQ("Пункт №1", file.points.at(0).name);
    EXPECT_EQ("\xC3\x85\xC3\x9F", file.points.at(0).code);
    EXPECT_EQ("", file.points.at(1).name) << "an empty name is a name";
}

TEST(ReceiverTest, NullTextsAreEmpty)
{
    CImportReceiver receiver(nullptr);
    receiver.BeginFile(nullptr);
    receiver.BeginPoint(nullptr);
    receiver.SetCode(nullptr);
    EXPECT_EQ("", receiver.Files().at(0).path);
    EXPECT_EQ("", receiver.Files().at(0).points.at(0).code);
    EXPECT_FALSE(receiver.Failed());
}

} // namespace
