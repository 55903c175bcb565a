// One destination written by several producers at once, in producer order: what producer i
// writes appears after everything of producers 0 to i-1. The first unfinished producer writes
// straight through; the ones after it spool (a little memory, then a temporary file) until their
// turn. A caller keeps memory and open files bounded by starting producers only within a window
// after the current one (WaitForWindow).
#pragma once

#include "host/io/ByteSink.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace Host
{

class COrderedOutput
{
public:
    // destination is borrowed; every write to it happens while one producer's slot is locked, so
    // it needs no locking of its own.
    COrderedOutput(IByteSink& destination, std::size_t producers);
    ~COrderedOutput();

    COrderedOutput(const COrderedOutput&) = delete;
    COrderedOutput& operator=(const COrderedOutput&) = delete;

    // The sink of producer index. One thread at a time writes to a producer's sink.
    IByteSink& Producer(std::size_t index);
    // Producer index wrote its last byte. When it was the one writing through, the spools of
    // the producers after it are copied out, up to the first that is still writing, which then
    // writes through. May throw COutputError from that copying.
    void Finish(std::size_t index);
    // The producer whose bytes are going straight to the destination (producers() when all are
    // finished).
    std::size_t Current() const { return m_current.load(std::memory_order_acquire); }
    // Blocks until producer index is fewer than window producers after the current one.
    void WaitForWindow(std::size_t index, std::size_t window);
    std::size_t Producers() const { return m_slots.size(); }

private:
    class CSlot;

    std::vector<std::unique_ptr<CSlot>> m_slots;
    std::atomic<std::size_t> m_current{0};
    std::mutex m_turnMutex;
    std::condition_variable m_turnTaken;

    void SetCurrent(std::size_t current);
};

} // namespace Host
