#include "host/io/OrderedOutput.h"

namespace Host
{

class COrderedOutput::CSlot final : public IByteSink
{
public:
    // Spools of producers waiting for their turn keep little in memory, as a window of them may
    // wait at once.
    static constexpr std::size_t SpoolMemory = 64 * 1024;

    explicit CSlot(IByteSink& destination) : m_destination(destination), m_spool(SpoolMemory) {}

    void Write(const char* data, std::size_t size) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_through)
            m_destination.Write(data, size);
        else
            m_spool.Write(data, size);
    }

    bool CopyRestOf(std::FILE* file) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_through && m_destination.CopyRestOf(file);
    }

    // Marks the producer finished; true when it was writing through.
    bool Finish()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
        return m_through;
    }

    // The slot's turn: its spool goes out and later writes go through. True when the producer
    // has finished already.
    bool TakeTurn()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_spool.MoveTo(m_destination);
        m_through = true;
        return m_finished;
    }

private:
    std::mutex m_mutex;
    IByteSink& m_destination;
    CSpool m_spool;
    bool m_through = false;
    bool m_finished = false;
};

COrderedOutput::COrderedOutput(IByteSink& destination, std::size_t producers)
{
    for (std::size_t i = 0; i < producers; ++i)
        m_slots.push_back(std::make_unique<CSlot>(destination));
    if (!m_slots.empty())
        m_slots.front()->TakeTurn();
}

COrderedOutput::~COrderedOutput() = default;

IByteSink& COrderedOutput::Producer(std::size_t index)
{
    return *m_slots.at(index);
}

void COrderedOutput::Finish(std::size_t index)
{
    if (!m_slots.at(index)->Finish())
        return;
    // Only the producer writing through gets here, so turns are handed on by one thread at a time.
    std::size_t next = index + 1;
    while (next < m_slots.size())
    {
        SetCurrent(next);
        if (!m_slots[next]->TakeTurn())
            return;
        ++next;
    }
    SetCurrent(m_slots.size());
}

void COrderedOutput::SetCurrent(std::size_t current)
{
    {
        std::lock_guard<std::mutex> lock(m_turnMutex);
        m_current.store(current, std::memory_order_release);
    }
    m_turnTaken.notify_all();
}

void COrderedOutput::WaitForWindow(std::size_t index, std::size_t window)
{
    std::unique_lock<std::mutex> lock(m_turnMutex);
    m_turnTaken.wait(lock, [&] { return index < Current() + window; });
}

} // namespace Host
