// The bytes of a file as GDAL's virtual file system gives them (/vsizip/, /vsimem/, /vsigzip/,
// /vsicurl/ and plain paths alike), as a source for the reader.
#pragma once

#include "plugin/ByteSource.h"

#include <cpl_vsi.h>

#include <string>

namespace OrvaGdal
{

class CVsiSource final : public IByteSource
{
public:
    // Opens path for reading; IsOpen tells whether that worked.
    explicit CVsiSource(const std::string& path);
    ~CVsiSource();

    CVsiSource(const CVsiSource&) = delete;
    CVsiSource& operator=(const CVsiSource&) = delete;

    bool IsOpen() const { return m_file != nullptr; }

    bool Read(char* buffer, std::size_t size, std::size_t& got) noexcept override;
    bool IsRewindable() const noexcept override { return m_rewindable; }
    bool Rewind() noexcept override;

private:
    VSILFILE* m_file = nullptr;
    // Standard input is read once; every other virtual file can go back to its start.
    bool m_rewindable = true;
};

} // namespace OrvaGdal
