// An owned reference to a counted host or plug-in object, released when the holder goes.
#pragma once

#include <utility>

namespace Plugin
{

template <class T> class CRefPtr
{
public:
    CRefPtr() = default;
    CRefPtr(const CRefPtr& other) : m_object(other.m_object)
    {
        if (m_object)
            m_object->AddRef();
    }
    CRefPtr(CRefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ~CRefPtr() { Reset(); }

    CRefPtr& operator=(CRefPtr other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }

    // Takes over a reference that a factory handed out, without adding one.
    static CRefPtr Adopt(T* object)
    {
        CRefPtr result;
        result.m_object = object;
        return result;
    }

    // Adds a reference of its own to an object held elsewhere.
    static CRefPtr Share(T* object)
    {
        if (object)
            object->AddRef();
        return Adopt(object);
    }

    void Reset()
    {
        if (T* object = std::exchange(m_object, nullptr))
            object->Release();
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

} // namespace Plugin
