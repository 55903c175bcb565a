#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform
{
namespace
{

// File names are UTF-8 on the systems this build serves. False for a wide character that no
// UTF-8 sequence stands for.
bool AppendUtf8(std::string& out, wchar_t character)
{
    const auto c = static_cast<std::uint32_t>(character);
    if (c < 0x80)
        out += static_cast<char>(c);
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        if (c >= 0xD800 && c < 0xE000)
            return false;
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x110000)
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
        return false;
    return true;
}

class CFileDescriptor
{
public:
    explicit CFileDescriptor(int descriptor) : m_descriptor(descriptor) {}
    ~CFileDescriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_descriptor; }

private:
    int m_descriptor;
};

ReadStatus ReadAll(int descriptor, std::size_t expected, std::string& bytes)
{
    // The size from fstat is only a first guess: the file may change while it is read. One byte
    // more than expected lets the read that finds the end go without growing the buffer.
    bytes.resize(expected + 1 > 64 * 1024 ? expected + 1 : 64 * 1024);
    std::size_t filled = 0;
    for (;;)
    {
        if (filled == bytes.size())
            bytes.resize(bytes.size() + bytes.size() / 2 + 64 * 1024);
        const std::size_t room = std::min<std::size_t>(bytes.size() - filled, SSIZE_MAX);
        const ssize_t got = ::read(descriptor, &bytes[filled], room);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return ReadStatus::ReadFailed;
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return ReadStatus::Read;
}

} // namespace

ReadStatus ReadWholeFile(const wchar_t* path, std::string& bytes) noexcept
{
    try
    {
        if (!path || !*path)
            return ReadStatus::CannotOpen;
        std::string name;
        for (const wchar_t* c = path; *c; ++c)
            if (!AppendUtf8(name, *c))
                return ReadStatus::CannotOpen;

        // Opened without waiting: a FIFO that no one writes to would block open() itself.
        int descriptor;
        do
            descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0)
            return ReadStatus::CannotOpen;
        CFileDescriptor file(descriptor);

        struct stat status;
        if (::fstat(file.Get(), &status) != 0)
            return ReadStatus::ReadFailed;
        // A regular file, or a pipe such as <(command), holds text that ends. A device may
        // never end (/dev/zero) or never answer, and a directory or a socket is no text at all.
        if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode))
            return ReadStatus::CannotOpen;
        // Reads wait again, so a pipe is read to its writer's end.
        const int flags = ::fcntl(file.Get(), F_GETFL);
        if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
            return ReadStatus::ReadFailed;
        const std::size_t expected = S_ISREG(status.st_mode) && status.st_size > 0
                                         ? static_cast<std::size_t>(status.st_size)
                                         : 0;
        return ReadAll(file.Get(), expected, bytes);
    }
    catch (...)
    {
        // Nothing but the buffers can fail: the file is larger than the memory left.
        return ReadStatus::ReadFailed;
    }
}

} // namespace Platform
