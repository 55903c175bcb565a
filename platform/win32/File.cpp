#include "platform/Platform.h"

#include <windows.h>

namespace Platform
{
namespace
{

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

// The bytes are read unchanged; the driver splits lines at LF, drops a CR before it and ends the
// file at its first Ctrl-Z, which is what the C runtime's text mode does.
ReadStatus CInputFile::Open(const wchar_t* path) noexcept
{
    Close();
    if (!path || !*path)
        return ReadStatus::CannotOpen;
    const HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReadStatus::CannotOpen;
    m_handle = reinterpret_cast<std::intptr_t>(file);
    // Only a disk file holds text that ends: a console, a pipe or a device may never end.
    if (::GetFileType(file) != FILE_TYPE_DISK)
    {
        Close();
        return ReadStatus::CannotOpen;
    }
    m_rewindable = true;
    LARGE_INTEGER size;
    m_size = ::GetFileSizeEx(file, &size) && size.QuadPart > 0
                 ? static_cast<std::uint64_t>(size.QuadPart)
                 : 0;
    return ReadStatus::Read;
}

bool CInputFile::Read(char* buffer, std::size_t size, std::size_t& got) noexcept
{
    got = 0;
    if (m_handle == -1)
        return false;
    const DWORD request = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!::ReadFile(AsHandle(m_handle), buffer, request, &read, nullptr))
        return false;
    got = read;
    return true;
}

bool CInputFile::Rewind() noexcept
{
    LARGE_INTEGER start;
    start.QuadPart = 0;
    return m_handle != -1 && ::SetFilePointerEx(AsHandle(m_handle), start, nullptr, FILE_BEGIN);
}

void CInputFile::Close() noexcept
{
    if (m_handle != -1)
        ::CloseHandle(AsHandle(m_handle));
    m_handle = -1;
    m_rewindable = false;
    m_size = 0;
}

} // namespace Platform
