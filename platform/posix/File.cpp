#include "platform/Platform.h"

#include "platform/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform
{

ReadStatus CInputFile::Open(const wchar_t* path) noexcept
{
    Close();
    try
    {
        if (!path || !*path)
            return ReadStatus::CannotOpen;
        std::string name;
        if (!EncodeFileName(path, name))
            return ReadStatus::CannotOpen;

        // Opened without waiting: a FIFO that no one writes to would block open() itself.
        int descriptor;
        do
            descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0)
            return ReadStatus::CannotOpen;
        m_handle = descriptor;

        struct stat status;
        if (::fstat(descriptor, &status) != 0)
        {
            Close();
            return ReadStatus::ReadFailed;
        }
        // A regular file, or a pipe such as <(command), holds text that ends. A device may
        // never end (/dev/zero) or never answer, and a directory or a socket is no text at all.
        if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode))
        {
            Close();
            return ReadStatus::CannotOpen;
        }
        // Reads wait again, so a pipe is read to its writer's end.
        const int flags = ::fcntl(descriptor, F_GETFL);
        if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0)
        {
            Close();
            return ReadStatus::ReadFailed;
        }
        m_rewindable = S_ISREG(status.st_mode);
        m_size =
            m_rewindable && status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
        return ReadStatus::Read;
    }
    catch (...)
    {
        // Only the name's buffer can fail.
        Close();
        return ReadStatus::CannotOpen;
    }
}

bool CInputFile::Read(char* buffer, std::size_t size, std::size_t& got) noexcept
{
    got = 0;
    if (m_handle < 0)
        return false;
    for (;;)
    {
        const ssize_t read =
            ::read(static_cast<int>(m_handle), buffer, std::min<std::size_t>(size, SSIZE_MAX));
        if (read >= 0)
        {
            got = static_cast<std::size_t>(read);
            return true;
        }
        if (errno != EINTR)
            return false;
    }
}

bool CInputFile::Rewind() noexcept
{
    return m_handle >= 0 && m_rewindable && ::lseek(static_cast<int>(m_handle), 0, SEEK_SET) == 0;
}

void CInputFile::Close() noexcept
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
    m_rewindable = false;
    m_size = 0;
}

} // namespace Platform
