// What Microsoft's C runtime would give the host and the compiler's code expects: the heap
// behind new and delete, the handler of a pure virtual call, the memory functions that copies
// of large objects become, and the marker of floating-point use.
#include "System.h"

void* operator new(size_t size)
{
    void* memory = HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
    if (!memory)
        ExitProcess(3);
    return memory;
}

void* operator new[](size_t size)
{
    return operator new(size);
}

void operator delete(void* memory) noexcept
{
    if (memory)
        HeapFree(GetProcessHeap(), 0, memory);
}

void operator delete(void* memory, size_t) noexcept
{
    operator delete(memory);
}

void operator delete[](void* memory) noexcept
{
    operator delete(memory);
}

void operator delete[](void* memory, size_t) noexcept
{
    operator delete(memory);
}

extern "C"
{
    // The compiler references this symbol from every object that uses floating point.
    int _fltused = 0;

    int __cdecl _purecall()
    {
        static const char message[] = "pure virtual function called\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(StdErrorHandle), message, sizeof message - 1, &written, nullptr);
        ExitProcess(3);
    }

    // Byte loops through volatile pointers, which the compiler cannot turn back into calls of the
    // functions being defined.
    void* __cdecl memcpy(void* target, const void* source, size_t size)
    {
        volatile unsigned char* to = static_cast<unsigned char*>(target);
        const volatile unsigned char* from = static_cast<const unsigned char*>(source);
        while (size--)
            *to++ = *from++;
        return target;
    }

    void* __cdecl memmove(void* target, const void* source, size_t size)
    {
        volatile unsigned char* to = static_cast<unsigned char*>(target);
        const volatile unsigned char* from = static_cast<const unsigned char*>(source);
        if (to < from)
            while (size--)
                *to++ = *from++;
        else
            while (size--)
                to[size] = from[size];
        return target;
    }

    void* __cdecl memset(void* target, int value, size_t size)
    {
        volatile unsigned char* to = static_cast<unsigned char*>(target);
        while (size--)
            *to++ = static_cast<unsigned char>(value);
        return target;
    }

    int __cdecl memcmp(const void* a, const void* b, size_t size)
    {
        const volatile unsigned char* left = static_cast<const unsigned char*>(a);
        const volatile unsigned char* right = static_cast<const unsigned char*>(b);
        for (; size; --size, ++left, ++right)
            if (*left != *right)
                return *left < *right ? -1 : 1;
        return 0;
    }
}
