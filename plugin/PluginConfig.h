// The one place where compilers and platforms differ for the binary interface with the host.
// The host is built with Microsoft's compiler; every other compiler must give the host-visible
// objects the same machine shape, which is spelt out explicitly here.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <guiddef.h>
#else
// Same layout as the Windows GUID: 16 bytes, the first three fields little-endian in memory.
struct GUID
{
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
#endif

// A string returned to the host. On Windows it comes from SysAllocString; elsewhere it has the
// same layout (a 32-bit byte count before the first character) in a block from malloc.
typedef wchar_t* BSTR;

#if defined(_WIN32)
#define ORVA_EXPORT extern "C" __declspec(dllexport)
#else
#define ORVA_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if defined(_MSC_VER)
// Microsoft's compiler already gives these slots the host's shapes.
#define PLUGIN_MICROSOFT_ABI 1
#define PLUGIN_GETID_SIGNATURE GUID GetId()
#define PLUGIN_GETID_RETURN(guid) return (guid)
#else
#define PLUGIN_MICROSOFT_ABI 0
// A member function returning a struct by value takes the result address in the second register
// under the Microsoft convention but in the first under the Itanium one, which would hand the
// host's result buffer the object's vtable pointer. The explicit result pointer gives both
// compilers the Microsoft shape: fill *result and return it.
#define PLUGIN_GETID_SIGNATURE GUID* GetId(GUID* result)
#define PLUGIN_GETID_RETURN(guid) return (*result = (guid), result)
#endif

#if PLUGIN_MICROSOFT_ABI
#define PLUGIN_DELETING_DESTRUCTOR(Class)
#else
// The Itanium ABI gives a virtual destructor two slots; the host knows one, Microsoft's deleting
// destructor: destroy the object, free it when bit 0 of the flags is set, return its address.
// Each concrete host-visible class fills that slot with this definition.
#define PLUGIN_DELETING_DESTRUCTOR(Class)                                                          \
public:                                                                                            \
    void* DeletingDestructor(unsigned int flags) override                                          \
    {                                                                                              \
        this->~Class();                                                                            \
        if (flags & 1u)                                                                            \
            ::operator delete(this);                                                               \
        return this;                                                                               \
    }
#endif
