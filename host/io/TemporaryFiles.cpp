#include "host/io/TemporaryFiles.h"

#include "host/io/ByteSink.h"
#include "host/kit/Utf8.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Host
{
namespace
{

std::mutex& RegistryLock()
{
    static std::mutex lock;
    return lock;
}

std::set<std::string>& Registry()
{
    static std::set<std::string> paths;
    return paths;
}

std::string RandomPart()
{
    static std::mutex lock;
    static std::mt19937_64 generator{std::random_device{}()};
    std::lock_guard<std::mutex> guard(lock);
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string part;
    for (int i = 0; i < 10; ++i)
        part += digits[generator() % (sizeof digits - 1)];
    return part;
}

enum class Use
{
    // An output written beside the file it is to replace: write only, and removable while open,
    // so that a failing program can still take it away.
    Output,
    // A spool's scratch file: read and write, for nobody else, gone when closed.
    Scratch
};

// Creates path if it does not exist yet and opens it for use; null with errno set when it
// cannot, exists telling whether the name was taken.
std::FILE* CreateNew(const std::string& path, Use use, bool& exists)
{
#if defined(_WIN32)
    const bool scratch = use == Use::Scratch;
    HANDLE handle = CreateFileW(
        FromUtf8(path).c_str(), scratch ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE,
        scratch ? 0 : FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
        scratch ? FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
    {
        DWORD error = GetLastError();
        exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        errno = error == ERROR_ACCESS_DENIED    ? EACCES
                : error == ERROR_PATH_NOT_FOUND ? ENOENT
                : error == ERROR_DISK_FULL      ? ENOSPC
                                                : EIO;
        return nullptr;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                     (scratch ? _O_RDWR : _O_WRONLY) | _O_BINARY);
    if (descriptor == -1)
    {
        CloseHandle(handle);
        DeleteFileW(FromUtf8(path).c_str());
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, scratch ? "w+b" : "wb");
    if (!stream)
    {
        _close(descriptor);
        DeleteFileW(FromUtf8(path).c_str());
    }
    return stream;
#else
    const bool scratch = use == Use::Scratch;
    int descriptor =
        open(path.c_str(), (scratch ? O_RDWR : O_WRONLY) | O_CREAT | O_EXCL | O_CLOEXEC,
             scratch ? 0600 : 0666);
    if (descriptor == -1)
    {
        exists = errno == EEXIST;
        return nullptr;
    }
    std::FILE* stream = fdopen(descriptor, scratch ? "w+b" : "wb");
    if (!stream)
    {
        int error = errno;
        close(descriptor);
        unlink(path.c_str());
        errno = error;
    }
    return stream;
#endif
}

// Tries names of prefix, a random part and suffix in directory until one is new; the new file is
// registered.
CTemporaryFile CreateUnique(const std::string& directory, const std::string& prefix,
                            const std::string& suffix, Use use)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::u8path(directory);
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        std::string path = (folder / fs::u8path(prefix + RandomPart() + suffix)).u8string();
        bool exists = false;
        errno = 0;
        // Registered first, so that no moment passes in which the file exists unknown.
        {
            std::lock_guard<std::mutex> guard(RegistryLock());
            Registry().insert(path);
        }
        if (std::FILE* stream = CreateNew(path, use, exists))
            return {path, stream};
        error = errno;
        ForgetTemporaryFile(path);
        if (!exists)
            break;
    }
    std::string where = directory.empty() ? std::string("the current folder") : directory;
    throw COutputError("cannot create a file in " + where + ": " +
                       (error ? std::strerror(error) : "unknown error"));
}

} // namespace

CTemporaryFile CreateTemporaryFile(const std::string& directory, const std::string& prefix,
                                   const std::string& suffix)
{
    return CreateUnique(directory, prefix, suffix, Use::Output);
}

std::FILE* OpenScratchFile()
{
    std::error_code ignored;
    std::filesystem::path directory = std::filesystem::temp_directory_path(ignored);
    if (directory.empty())
        directory = std::filesystem::u8path("/tmp");
    const CTemporaryFile file =
        CreateUnique(directory.u8string(), "orva-import-", "", Use::Scratch);
    // Unlinked on POSIX now; on Windows the name goes when the file is closed.
#if !defined(_WIN32)
    unlink(file.path.c_str());
#endif
    ForgetTemporaryFile(file.path);
    return file.stream;
}

void ForgetTemporaryFile(const std::string& path)
{
    std::lock_guard<std::mutex> guard(RegistryLock());
    Registry().erase(path);
}

bool RemoveTemporaryFile(const std::string& path) noexcept
{
    std::error_code error;
    std::filesystem::remove(std::filesystem::u8path(path), error);
    try
    {
        ForgetTemporaryFile(path);
    }
    catch (...)
    {
    }
    return !error;
}

void RemoveTemporaryFiles() noexcept
{
    // A lock held by a thread that stopped in the middle would hang the program for good.
    if (!RegistryLock().try_lock())
        return;
    for (const std::string& path : Registry())
    {
        std::error_code error;
        std::filesystem::remove(std::filesystem::u8path(path), error);
    }
    Registry().clear();
    RegistryLock().unlock();
}

} // namespace Host
