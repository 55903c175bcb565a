#include "host/cli/RecordPipe.h"

#include <utility>

namespace Host
{

CRecordPipe::CRecordPipe(std::vector<IRecordSink*> sinks)
    : m_sinks(std::move(sinks)), m_ring(Batches)
{
    for (CBatch& batch : m_ring)
        batch.events.resize(BatchSize);
    m_filling = &m_ring.front();
    m_thread = std::thread([this] { Run(); });
}

CRecordPipe::~CRecordPipe()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

CRecordPipe::CEvent& CRecordPipe::Next(Kind kind)
{
    if (m_filling->count == BatchSize)
        HandOver(false);
    CEvent& event = m_filling->events[m_filling->count++];
    event.kind = kind;
    return event;
}

void CRecordPipe::ThrowErrorOnce()
{
    if (m_error && !m_errorThrown)
    {
        // Thrown once: the receiver stops sending after it, and a later EndFile only ends.
        m_errorThrown = true;
        std::rethrow_exception(m_error);
    }
}

void CRecordPipe::HandOver(bool urgent)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_handedOver;
    const std::size_t waiting = m_handedOver - m_delivered;
    m_urgent = m_urgent || urgent;
    const bool wake = m_sinksWait && (urgent || waiting >= WakeAfter);
    if (waiting == Batches)
    {
        // The ring is full: the next batch to fill is the one being delivered.
        m_senderWaits = true;
        if (wake)
            m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_handedOver - m_delivered <= Batches - WakeAfter; });
        m_senderWaits = false;
    }
    else if (wake)
        m_changed.notify_all();
    m_filling = &m_ring[m_handedOver % Batches];
    m_filling->count = 0;
    ThrowErrorOnce();
}

void CRecordPipe::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_sinksWait = true;
        m_changed.wait(lock,
                       [&]
                       {
                           const std::size_t waiting = m_handedOver - m_delivered;
                           return waiting >= WakeAfter || (waiting > 0 && m_urgent) || m_stopping;
                       });
        m_sinksWait = false;
        if (m_handedOver == m_delivered)
            return;
        // Everything handed over so far is delivered before the lock is taken again, the batch
        // that EndFile hurried among it.
        const std::size_t last = m_handedOver;
        m_urgent = false;
        lock.unlock();
        for (std::size_t next = m_delivered; next != last; ++next)
        {
            const CBatch& batch = m_ring[next % Batches];
            if (!m_error)
            {
                try
                {
                    for (std::size_t i = 0; i < batch.count; ++i)
                        Deliver(batch.events[i]);
                }
                catch (...)
                {
                    // Only this thread sets the error, and the sender reads it under the lock.
                    std::lock_guard<std::mutex> errorLock(m_mutex);
                    m_error = std::current_exception();
                }
            }
            std::lock_guard<std::mutex> deliveredLock(m_mutex);
            ++m_delivered;
            const std::size_t waiting = m_handedOver - m_delivered;
            // Room for the sender, or, for EndFile, the last batch delivered.
            if (m_senderWaits && waiting <= Batches - WakeAfter)
                m_changed.notify_all();
        }
        lock.lock();
    }
}

void CRecordPipe::Deliver(const CEvent& event)
{
    switch (event.kind)
    {
    case Kind::BeginFile:
        m_sinks.BeginFile(event.path);
        break;
    case Kind::Point:
        m_sinks.Point(event.record);
        break;
    case Kind::Station:
        m_sinks.Station(event.record, event.setup);
        m_station = event.record;
        break;
    case Kind::Observation:
        m_sinks.Observation(event.record, event.flag ? &m_station : nullptr, event.setup);
        break;
    case Kind::Message:
        m_sinks.Message(event.message);
        break;
    case Kind::Warning:
        m_sinks.Warning(event.warning);
        break;
    case Kind::UnitChosen:
        m_sinks.UnitChosen(event.choice);
        break;
    case Kind::FileSettings:
        m_sinks.FileSettings(event.settings);
        break;
    case Kind::EndFile:
        m_sinks.EndFile(event.flag);
        break;
    }
}

void CRecordPipe::BeginFile(const std::string& path)
{
    Next(Kind::BeginFile).path = path;
}

void CRecordPipe::Point(const CRecord& point)
{
    Next(Kind::Point).record = point;
}

void CRecordPipe::Station(const CRecord& station, std::size_t setup)
{
    CEvent& event = Next(Kind::Station);
    event.record = station;
    event.setup = setup;
}

void CRecordPipe::Observation(const CRecord& observation, const CRecord* station, std::size_t setup)
{
    CEvent& event = Next(Kind::Observation);
    event.record = observation;
    event.flag = station != nullptr;
    event.setup = setup;
}

void CRecordPipe::Message(const CMessage& message)
{
    Next(Kind::Message).message = message;
}

void CRecordPipe::Warning(const CWarning& warning)
{
    Next(Kind::Warning).warning = warning;
}

void CRecordPipe::UnitChosen(const CUnitChoice& choice)
{
    Next(Kind::UnitChosen).choice = choice;
}

void CRecordPipe::FileSettings(const CFileSettings& settings)
{
    Next(Kind::FileSettings).settings = settings;
}

void CRecordPipe::EndFile(bool imported)
{
    Next(Kind::EndFile).flag = imported;
    HandOver(true);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_senderWaits = true;
    m_changed.wait(lock, [&] { return m_delivered == m_handedOver; });
    m_senderWaits = false;
    ThrowErrorOnce();
}

} // namespace Host
