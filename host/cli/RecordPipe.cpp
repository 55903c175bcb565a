#include "host/cli/RecordPipe.h"

#include <utility>

namespace Host
{

CRecordPipe::CRecordPipe(std::vector<IRecordSink*> sinks)
    : m_sinks(std::move(sinks)), m_filling(BatchSize), m_sending(BatchSize)
{
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
    if (m_filled == m_filling.size())
        HandOver();
    CEvent& event = m_filling[m_filled++];
    event.kind = kind;
    return event;
}

void CRecordPipe::WaitUntilTaken(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [&] { return !m_batchWaiting || m_error; });
    if (m_error && !m_errorThrown)
    {
        // Thrown once: the receiver stops sending after it, and a later EndFile only ends.
        m_errorThrown = true;
        std::rethrow_exception(m_error);
    }
}

void CRecordPipe::HandOver()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    WaitUntilTaken(lock);
    if (m_error)
    {
        m_filled = 0;
        return;
    }
    std::swap(m_filling, m_sending);
    m_sent = m_filled;
    m_filled = 0;
    m_batchWaiting = true;
    lock.unlock();
    m_changed.notify_all();
}

void CRecordPipe::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_changed.wait(lock, [&] { return m_batchWaiting || m_stopping; });
        if (!m_batchWaiting)
            return;
        lock.unlock();
        std::exception_ptr error;
        try
        {
            for (std::size_t i = 0; i < m_sent; ++i)
                Deliver(m_sending[i]);
        }
        catch (...)
        {
            error = std::current_exception();
        }
        lock.lock();
        if (error && !m_error)
            m_error = error;
        m_batchWaiting = false;
        m_changed.notify_all();
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
    HandOver();
    std::unique_lock<std::mutex> lock(m_mutex);
    WaitUntilTaken(lock);
}

} // namespace Host
