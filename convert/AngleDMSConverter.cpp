#include "convert/AngleDMSConverter.h"

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
        std::wstring dotted(text);
        const std::size_t point = dotted.find(L'.');
        if (point == std::wstring::npos)
            return false;
        // Minutes and seconds take two digits each; whatever follows is the seconds' fraction.
        // Short fields are handed on as written, without padding.
        const std::size_t after = dotted.size() - point - 1;
        if (after > 2)
            dotted.insert(point + 3, 1, L'.');
        if (after > 4)
            dotted.insert(point + 6, 1, L'.');
        return m_inner->Convert(dotted.c_str(), value);
    }
    catch (...)
    {
        // Converters report failure by their result only.
        return false;
    }
}
