#include "platform/Platform.h"

#include "platform/AsciiText.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace Platform
{

void DecodeThreadCodePage(const char* bytes, std::size_t size, std::wstring& text)
{
    text.clear();
    if (size == 0)
        return;
    if (size > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("line too long to decode");
    // A line of ASCII needs no call of the system's conversion.
    text.resize(size);
    if (WidenAscii(bytes, size, &text[0]))
        return;
    const int count = static_cast<int>(size);
    // No code page gives more UTF-16 units than bytes; should one, the platform says how many.
    int produced = ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, count, &text[0], count);
    if (produced == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER)
    {
        const int needed = ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, count, nullptr, 0);
        if (needed > 0)
        {
            text.resize(static_cast<std::size_t>(needed));
            produced = ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, count, &text[0], needed);
        }
    }
    if (produced <= 0)
        throw std::runtime_error("line cannot be decoded");
    text.resize(static_cast<std::size_t>(produced));
}

// Every ANSI code page that a thread can have keeps ASCII as it is, as DecodeThreadCodePage
// relies on too.
bool ThreadCodePageKeepsBlanks()
{
    return true;
}

bool ThreadCodePageKeepsAscii()
{
    return true;
}

// The thread's ANSI code page is that of its locale, so a page is selected through a locale
// whose default it is.
bool SelectThreadCodePage(unsigned int codePage) noexcept
{
    struct PageLocale
    {
        unsigned int CodePage;
        LANGID Language;
    };
    static const PageLocale locales[] = {
        {874, MAKELANGID(LANG_THAI, SUBLANG_DEFAULT)},
        {932, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)},
        {936, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
        {949, MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT)},
        {950, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
        {1250, MAKELANGID(LANG_CZECH, SUBLANG_DEFAULT)},
        {1251, MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)},
        {1252, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
        {1253, MAKELANGID(LANG_GREEK, SUBLANG_DEFAULT)},
        {1254, MAKELANGID(LANG_TURKISH, SUBLANG_DEFAULT)},
        {1255, MAKELANGID(LANG_HEBREW, SUBLANG_DEFAULT)},
        {1256, MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA)},
        {1257, MAKELANGID(LANG_ESTONIAN, SUBLANG_DEFAULT)},
        {1258, MAKELANGID(LANG_VIETNAMESE, SUBLANG_DEFAULT)},
    };
    for (const PageLocale& locale : locales)
        if (locale.CodePage == codePage)
            return ::SetThreadLocale(MAKELCID(locale.Language, SORT_DEFAULT)) != 0;
    return false;
}

} // namespace Platform
