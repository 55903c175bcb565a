#include "viewer/SliceSource.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Viewer
{

CSliceSource::CSliceSource(ISliceReader& reader, std::uint64_t size, std::size_t sliceSize)
    : m_reader(reader), m_size(size), m_sliceSize(sliceSize ? sliceSize : 1)
{
}

bool CSliceSource::Read(char* buffer, std::size_t size, std::size_t& got) noexcept
{
    got = 0;
    if (m_failed)
        return false;
    if (m_position == m_slice.size() && !Fill())
        return !m_failed;
    got = std::min(size, m_slice.size() - m_position);
    std::memcpy(buffer, m_slice.data() + m_position, got);
    m_position += got;
    return true;
}

bool CSliceSource::Rewind() noexcept
{
    if (m_failed)
        return false;
    // A file held whole in the slice is not read again.
    if (m_sliceStart != 0 || m_slice.size() < m_size)
    {
        m_slice.clear();
        m_sliceStart = 0;
    }
    m_position = 0;
    return true;
}

// Reads the slice after the one held; false at the end of the file or on a failure.
bool CSliceSource::Fill() noexcept
{
    const std::uint64_t start = m_sliceStart + m_slice.size();
    if (start >= m_size)
        return false;
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_sliceSize, m_size - start));
    try
    {
        m_slice.resize(wanted);
    }
    catch (const std::bad_alloc&)
    {
        m_failed = true;
        return false;
    }
    const long long got = m_reader.ReadAt(start, m_slice.data(), wanted);
    if (got < 0 || static_cast<unsigned long long>(got) > wanted)
    {
        m_failed = true;
        m_slice.clear();
        return false;
    }
    // A file that shrank while it was read ends where its bytes end.
    m_slice.resize(static_cast<std::size_t>(got));
    m_sliceStart = start;
    m_position = 0;
    if (got == 0)
        m_size = start;
    return got > 0;
}

} // namespace Viewer
