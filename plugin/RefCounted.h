// Reference counting for the plug-in's own host-visible objects. The counting rules live here
// once: a new object starts at 0, AddRef adds 1, Release takes 1 and destroys the object through
// its deleting-destructor slot when the count reaches 0, returning true exactly then.
#pragma once

#include "plugin/HostInterfaces.h"

#include <atomic>
#include <cstdint>

namespace Plugin
{
namespace Detail
{

// Flag 0: a plain count for objects used by one thread. Flag 1: an interlocked count.
template <int Flag> class CRefCountedBase;

template <> class CRefCountedBase<0>
{
protected:
    std::int32_t Increment() { return ++m_count; }
    std::int32_t Decrement() { return --m_count; }
    std::int32_t Count() const { return m_count; }

private:
    std::int32_t m_count = 0;
};

template <> class CRefCountedBase<1>
{
protected:
    std::int32_t Increment() { return m_count.fetch_add(1, std::memory_order_relaxed) + 1; }
    std::int32_t Decrement() { return m_count.fetch_sub(1, std::memory_order_acq_rel) - 1; }
    std::int32_t Count() const { return m_count.load(std::memory_order_relaxed); }

private:
    std::atomic<std::int32_t> m_count{0};
};

static_assert(sizeof(CRefCountedBase<0>) == sizeof(std::int32_t), "one 32-bit count");
static_assert(sizeof(CRefCountedBase<1>) == sizeof(std::int32_t), "one 32-bit count");
static_assert(std::atomic<std::int32_t>::is_always_lock_free,
              "the interlocked count must be a lock-free 32-bit integer");

} // namespace Detail

// Implements the two counting slots of interface I and adds the destructor as the slot after I's.
template <class I, int Flag> class CRefCountedImpl : public I, public Detail::CRefCountedBase<Flag>
{
public:
    void AddRef() override { this->Increment(); }

    bool Release() override
    {
        if (this->Decrement() != 0)
            return false;
#if PLUGIN_MICROSOFT_ABI
        delete this;
#else
        DeletingDestructor(1u);
#endif
        return true;
    }

#if PLUGIN_MICROSOFT_ABI
    virtual ~CRefCountedImpl() = default;
#else
    // The host's one destructor slot; concrete classes fill it with PLUGIN_DELETING_DESTRUCTOR.
    virtual void* DeletingDestructor(unsigned int flags) = 0;

protected:
    ~CRefCountedImpl() = default;
#endif
};

// Base of the plug-in object: an interlocked count, nothing else.
template <class I> class CPluginImpl : public CRefCountedImpl<I, 1>
{
protected:
    ~CPluginImpl() = default;
};

} // namespace Plugin
