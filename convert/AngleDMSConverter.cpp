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
        // One walk finds the point and the end; an angle is a dozen characters, too few to pay
        // for the library's calls.
        const wchar_t* point = nullptr;
        const wchar_t* end = text;
        for (; *end != L'\0'; ++end)
            if (*end == L'.' && !point)
                point = end;
        if (!point)
            return false;
        const auto size = static_cast<std::size_t>(end - text);
        const auto copy = [](wchar_t* to, const wchar_t* from, std::size_t count)
        {
            for (std::size_t i = 0; i < count; ++i)
                to[i] = from[i];
            return to + count;
        };
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
        wchar_t* cursor = copy(out, text, head);
        const wchar_t* rest = point + 1;
        const std::size_t minutes = after < 2 ? after : 2;
        cursor = copy(cursor, rest, minutes);
        if (after > 2)
        {
            *cursor++ = L'.';
            const std::size_t seconds = after < 4 ? after - 2 : 2;
            cursor = copy(cursor, rest + 2, seconds);
        }
        if (after > 4)
        {
            *cursor++ = L'.';
            cursor = copy(cursor, rest + 4, after - 4);
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
