// The pipe that hands the record stream to the output thread.
#include "host/cli/RecordPipe.h"
#include "host/kit/RecordReceiver.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Host::CRecord;
using HostTest::CLogSink;

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

// Logs the stream; when stalling, sleeps as it begins each file.
class CStallingLogSink final : public CLogSink
{
public:
    explicit CStallingLogSink(bool stalling) : m_stalling(stalling) {}
    void BeginFile(const std::string& path) override
    {
        if (m_stalling)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        CLogSink::BeginFile(path);
    }

private:
    bool m_stalling;
};

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

    // Sinks as quick as the sender, and sinks that stall at the start of each file long enough
    // for the sender to fill the ring and wait for room.
    for (bool stalling : {false, true})
    {
        CStallingLogSink piped(stalling);
        {
            Host::CRecordPipe pipe({&piped});
            Host::CRecordReceiver pipedReceiver(nullptr, {&pipe});
            FeedFiles(pipedReceiver);
            EXPECT_EQ(direct.log, piped.log) << "every file has been ended once Finish returns"
                                             << (stalling ? ", stalling" : "");
            EXPECT_FALSE(pipedReceiver.Failed());
        }
        EXPECT_EQ(direct.log.size(), piped.log.size());
    }
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

} // namespace
