// A file that the page can only read in slices (a browser's File, read from a worker), as the
// reader's byte source. One slice is held at a time, so memory stays the same whatever the size
// of the file; a file that fits in one slice is read from its disk once, though the reader goes
// through it twice.
#pragma once

#include "plugin/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Viewer
{

// Where the slices come from.
class ISliceReader
{
public:
    // Copies up to size bytes of the file from offset into buffer and gives how many it copied:
    // fewer only at the end of the file. Negative when the file could not be read.
    virtual long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) noexcept = 0;

protected:
    ~ISliceReader() = default;
};

class CSliceSource final : public IByteSource
{
public:
    static constexpr std::size_t DefaultSliceSize = 16 * 1024 * 1024;

    // The reader is borrowed; size is the file's length in bytes.
    CSliceSource(ISliceReader& reader, std::uint64_t size,
                 std::size_t sliceSize = DefaultSliceSize);

    bool Read(char* buffer, std::size_t size, std::size_t& got) noexcept override;
    bool IsRewindable() const noexcept override { return true; }
    bool Rewind() noexcept override;

    // True once a slice could not be read.
    bool Failed() const { return m_failed; }

private:
    bool Fill() noexcept;

    ISliceReader& m_reader;
    std::uint64_t m_size;
    std::size_t m_sliceSize;
    std::vector<char> m_slice;
    // Where the slice held starts in the file, and how far into it the reading is.
    std::uint64_t m_sliceStart = 0;
    std::size_t m_position = 0;
    bool m_failed = false;
};

} // namespace Viewer
