#include "platform/Platform.h"

#include <algorithm>

namespace Platform
{

ReadStatus ReadWholeFile(const wchar_t* path, std::string& bytes) noexcept
{
    try
    {
        CInputFile file;
        const ReadStatus status = file.Open(path);
        if (status != ReadStatus::Read)
            return status;
        // One byte more than expected lets the read that finds the end go without growing the
        // buffer.
        constexpr std::size_t kStep = 64 * 1024;
        const std::uint64_t expected = file.SizeWhenOpened();
        bytes.resize(std::max<std::uint64_t>(expected + 1, kStep));
        std::size_t filled = 0;
        for (;;)
        {
            if (filled == bytes.size())
                bytes.resize(bytes.size() + bytes.size() / 2 + kStep);
            std::size_t got = 0;
            if (!file.Read(&bytes[filled], bytes.size() - filled, got))
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
