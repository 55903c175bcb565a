// A record sink that passes the stream on to other sinks on a thread of their own, so that writing
// the outputs of a file overlaps reading it. The events go over in batches of a fixed size, two at
// most on their way, so the pipe holds a bounded number of records whatever the file. The sinks
// get every event in the order it was sent. An error thrown by a sink comes back to the sender at
// its next call, or at EndFile, which returns only once the sinks have ended the file; from the
// error on, the sinks get nothing more.
#pragma once

#include "host/kit/RecordSink.h"
#include "host/kit/SinkFanOut.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace Host
{

class CRecordPipe final : public IRecordSink
{
public:
    static constexpr std::size_t BatchSize = 2048;

    // The sinks are borrowed; they are called on the pipe's thread only.
    explicit CRecordPipe(std::vector<IRecordSink*> sinks);
    ~CRecordPipe() override;

    CRecordPipe(const CRecordPipe&) = delete;
    CRecordPipe& operator=(const CRecordPipe&) = delete;

    void BeginFile(const std::string& path) override;
    void Point(const CRecord& point) override;
    void Station(const CRecord& station, std::size_t setup) override;
    void Observation(const CRecord& observation, const CRecord* station,
                     std::size_t setup) override;
    void Message(const CMessage& message) override;
    void Warning(const CWarning& warning) override;
    void UnitChosen(const CUnitChoice& choice) override;
    void FileSettings(const CFileSettings& settings) override;
    void EndFile(bool imported) override;

private:
    enum class Kind
    {
        BeginFile,
        Point,
        Station,
        Observation,
        Message,
        Warning,
        UnitChosen,
        FileSettings,
        EndFile
    };

    // One call to pass on. Only the members of its kind are set; slots are reused from batch to
    // batch, so their strings keep their room.
    struct CEvent
    {
        Kind kind = Kind::Point;
        std::size_t setup = 0;
        // An observation's station is given; a file was imported.
        bool flag = false;
        CRecord record;
        std::string path;
        CMessage message;
        CWarning warning;
        CUnitChoice choice;
        CFileSettings settings;
    };

    CEvent& Next(Kind kind);
    // Hands the filling batch over once the sinks have taken the one before; rethrows their
    // error.
    void HandOver();
    void WaitUntilTaken(std::unique_lock<std::mutex>& lock);
    void Run();
    void Deliver(const CEvent& event);

    CSinkFanOut m_sinks;
    std::vector<CEvent> m_filling;
    std::size_t m_filled = 0;
    std::vector<CEvent> m_sending;
    std::size_t m_sent = 0;
    // The station that the observations being delivered were made from.
    CRecord m_station;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_batchWaiting = false;
    bool m_stopping = false;
    std::exception_ptr m_error;
    bool m_errorThrown = false;
    std::thread m_thread;
};

} // namespace Host
