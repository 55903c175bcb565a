#include "gdal/VsiSource.h"

namespace OrvaGdal
{

CVsiSource::CVsiSource(const std::string& path)
    : m_file(VSIFOpenL(path.c_str(), "rb")), m_rewindable(path.rfind("/vsistdin/", 0) != 0)
{
}

CVsiSource::~CVsiSource()
{
    if (m_file)
        VSIFCloseL(m_file);
}

bool CVsiSource::Read(char* buffer, std::size_t size, std::size_t& got) noexcept
{
    got = VSIFReadL(buffer, 1, size, m_file);
    return got == size || VSIFEofL(m_file);
}

bool CVsiSource::Rewind() noexcept
{
    return VSIFSeekL(m_file, 0, SEEK_SET) == 0;
}

} // namespace OrvaGdal
