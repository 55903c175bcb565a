#include "convert/AngleDMSConverter.h"

#include <cwchar>
#include <string>

CAngleDMSConverter::CAngleDMSConverter(Plugin::IAngleConverter* inner) : m_inner(inner)
{
    if (m_inner)
        m_inner->AddRef();
}

CAngleDMSConverter::~CAngleDMSConverter()
{
    if (m_inner)
        m_inner->Release();
}

bool CAngleDMSConverter::Convert(const wchar_t* text, double* value)
{
    if (!m_inner || !text)
        return false;
    try
    {
        const std::size_t size = std::wcslen(text);
        const wchar_t* point = std::wmemchr(text, L'.', size);
        if (!point)
            return false;
        // Minutes and seconds take two digits each; whatever follows is the seconds' fraction.
        // Short fields are handed on as written, without padding.
        const std::size_t head = static_cast<std::size_t>(point - text) + 1;
        const std::size_t after = size - head;
        const std::size_t dotted = size + (after > 2) + (after > 4);
        // A real angle fits on the stack; only a freak field costs an allocation.
        wchar_t local[64];
        std::wstring heap;
        wchar_t* out = local;
        if (dotted + 1 > sizeof local / sizeof local[0])
        {
            heap.resize(dotted + 1);
            out = &heap[0];
        }
        wchar_t* cursor = std::wmemcpy(out, text, head) + head;
        const wchar_t* rest = point + 1;
        const std::size_t minutes = after < 2 ? after : 2;
        cursor = std::wmemcpy(cursor, rest, minutes) + minutes;
        if (after > 2)
        {
            *cursor++ = L'.';
            const std::size_t seconds = after < 4 ? after - 2 : 2;
            cursor = std::wmemcpy(cursor, rest + 2, seconds) + seconds;
        }
        if (after > 4)
        {
            *cursor++ = L'.';
            cursor = std::wmemcpy(cursor, rest + 4, after - 4) + (after - 4);
        }
        *cursor = L'\0';
        return m_inner->Convert(out, value);
    }
    catch (...)
    {
        // Converters report failure by their result only.
        return false;
    }
}
