#include "platform/Platform.h"

#include <windows.h>

namespace Platform
{
namespace
{

class CFileHandle
{
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

} // namespace

// The bytes are read unchanged; the driver splits lines at LF, drops a CR before it and ends the
// file at its first Ctrl-Z, which is what the C runtime's text mode does.
ReadStatus ReadWholeFile(const wchar_t* path, std::string& bytes) noexcept
{
    try
    {
        if (!path || !*path)
            return ReadStatus::CannotOpen;
        CFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Get() == INVALID_HANDLE_VALUE)
            return ReadStatus::CannotOpen;
        // Only a disk file holds text that ends: a console, a pipe or a device may never end.
        if (::GetFileType(file.Get()) != FILE_TYPE_DISK)
            return ReadStatus::CannotOpen;

        LARGE_INTEGER size;
        std::size_t expected = 0;
        if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0)
            expected = static_cast<std::size_t>(size.QuadPart);
        // The size is only a first guess: the file may change while it is read. One byte more
        // lets the read that finds the end go without growing the buffer.
        bytes.resize(expected + 1 > 64 * 1024 ? expected + 1 : 64 * 1024);
        std::size_t filled = 0;
        for (;;)
        {
            if (filled == bytes.size())
                bytes.resize(bytes.size() + bytes.size() / 2 + 64 * 1024);
            const std::size_t room = bytes.size() - filled;
            const DWORD request = room > (1u << 30) ? (1u << 30) : static_cast<DWORD>(room);
            DWORD got = 0;
            if (!::ReadFile(file.Get(), &bytes[filled], request, &got, nullptr))
                return ReadStatus::ReadFailed;
            if (got == 0)
                break;
            filled += got;
        }
        bytes.resize(filled);
        return ReadStatus::Read;
    }
    catch (...)
    {
        // Nothing but the buffer can fail: the file is larger than the memory left.
        return ReadStatus::ReadFailed;
    }
}

} // namespace Platform
