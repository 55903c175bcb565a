#include "host/kit/FileNames.h"

#if defined(_WIN32)
#include "host/kit/Utf8.h"
#else
#include "platform/FileNames.h"
#endif

namespace Host
{

std::wstring WideFileName(const std::string& name)
{
#if defined(_WIN32)
    return FromUtf8(name);
#else
    return Platform::DecodeFileName(name);
#endif
}

} // namespace Host
