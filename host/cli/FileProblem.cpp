#include "host/cli/FileProblem.h"

#include "host/kit/Utf8.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace Host
{
namespace
{

// Opening is the only test of permission that holds for every user, administrators included.
bool Readable(const std::string& path)
{
#if defined(_WIN32)
    HANDLE handle =
        CreateFileW(FromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() != ERROR_ACCESS_DENIED;
    CloseHandle(handle);
    return true;
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return errno != EACCES && errno != EPERM;
    std::fclose(file);
    return true;
#endif
}

} // namespace

std::string WhyUnreadable(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(fs::u8path(path), error);
    if (status.type() == fs::file_type::not_found)
        return "no such file";
    if (error)
        return error.message();
    if (status.type() == fs::file_type::directory)
        return "a folder, not a file";
    if (status.type() != fs::file_type::regular)
        return "not a plain file";
    if (!Readable(path))
        return "no permission to read it";
    return std::string();
}

} // namespace Host
