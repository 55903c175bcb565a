// A record sink that passes the stream on to other sinks on a thread of their own, so that writing
// the outputs of a file overlaps reading it. The events go over in batches of a fixed size through
// a ring of a few batches, so the pipe holds a bounded number of records whatever the file. Each
// side sleeps only when it can do nothing, and is woken only once the other has made room for
// several batches, as a wake-up costs about as much as a batch of work. The sinks get every event
// in the order it was sent. An error thrown by a sink comes back to the sender at its next
// handover, or at EndFile, which returns only once the sinks have ended the file; from the error
// on, the sinks get nothing more.
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
    static constexpr std::size_t BatchSize = 1024;
    static constexpr std::size_t Batches = 4;
    // A sleeping side is woken once this many batches wait for it.
    static constexpr std::size_t WakeAfter = 2;

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

    struct CBatch
    {
        std::vector<CEvent> events;
        std::size_t count = 0;
    };

    CEvent& Next(Kind kind);
    // Hands the filling batch over, waiting for room in the ring; rethrows the sinks' error.
    // urgent wakes the sinks' thread whatever waits for it.
    void HandOver(bool urgent);
    void ThrowErrorOnce();
    void Run();
    void Deliver(const CEvent& event);

    CSinkFanOut m_sinks;
    std::vector<CBatch> m_ring;
    // The batch being filled is m_ring[m_handedOver % Batches].
    CBatch* m_filling;
    // The station that the observations being delivered were made from.
    CRecord m_station;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Batches handed over and batches delivered, ever: the difference waits in the ring.
    std::size_t m_handedOver = 0;
    std::size_t m_delivered = 0;
    bool m_urgent = false;
    bool m_senderWaits = false;
    bool m_sinksWait = false;
    bool m_stopping = false;
    std::exception_ptr m_error;
    bool m_errorThrown = false;
    std::thread m_thread;
};

} // namespace Host
