#include "convert/AngleDMSConverter.h"

#include <iterator>
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

namespace
{

constexpr std::size_t kNoPoint = static_cast<std::size_t>(-1);

// Writes text with the dots of the dotted notation into out while it has room for it and its
// NUL (room characters in all), and returns the length of the dotted text, or kNoPoint. Minutes
// and seconds take two digits each after the first point; whatever follows is the seconds'
// fraction. Short fields stay as written, without padding. One walk, as an angle is a dozen
// characters, too few to pay for the library's searches and copies.
std::size_t WriteDotted(const wchar_t* text, wchar_t* out, std::size_t room)
{
    std::size_t length = 0;
    const auto put = [&](wchar_t c)
    {
        if (length < room)
            out[length] = c;
        ++length;
    };
    const wchar_t* p = text;
    for (; *p != L'.'; ++p)
    {
        if (*p == L'\0')
            return kNoPoint;
        put(*p);
    }
    put(*p++);
    for (std::size_t digit = 0; *p != L'\0'; ++p, ++digit)
    {
        if (digit == 2 || digit == 4)
            put(L'.');
        put(*p);
    }
    put(L'\0');
    return length - 1;
}

} // namespace

bool CAngleDMSConverter::Convert(const wchar_t* text, double* value)
{
    if (!m_inner || !text)
        return false;
    try
    {
        // A real angle fits on the stack; only a freak field costs an allocation.
        wchar_t local[64];
        const std::size_t length = WriteDotted(text, local, std::size(local));
        if (length == kNoPoint)
            return false;
        if (length < std::size(local))
            return m_inner->Convert(local, value);
        std::wstring dotted(length + 1, L'\0');
        WriteDotted(text, &dotted[0], dotted.size());
        return m_inner->Convert(dotted.c_str(), value);
    }
    catch (...)
    {
        // Converters report failure by their result only.
        return false;
    }
}
