// Where the reader takes a file's bytes from. The plug-in reads files through the platform layer;
// a host that links the reader itself may hand it any other source of the same bytes (a virtual
// file of its own, slices of a file held in memory), and the reader treats them exactly as a file.
#pragma once

#include <cstddef>

class IByteSource
{
public:
    // Copies up to size bytes into buffer, going on from where the last read ended. got is the
    // number copied, 0 only at the end of the bytes; a short read is not the end. False on a read
    // error, which ends the reading of the file.
    virtual bool Read(char* buffer, std::size_t size, std::size_t& got) noexcept = 0;
    // True when Rewind can go back to the first byte. The reader reads a rewindable source twice
    // (once to count its lines for progress, once to parse them) and holds only a block of it in
    // memory; a source that cannot be rewound is read once and held whole.
    virtual bool IsRewindable() const noexcept = 0;
    // Goes back to the first byte; false when that fails. Called only when IsRewindable is true.
    virtual bool Rewind() noexcept = 0;

protected:
    // The reader only borrows a source: it is never destroyed through this interface.
    ~IByteSource() = default;
};
