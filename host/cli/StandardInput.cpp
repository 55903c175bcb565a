#include "host/cli/StandardInput.h"

#include "host/io/ByteSink.h"
#include "host/io/TemporaryFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace Host
{

CStandardInputFile::CStandardInputFile(std::FILE* in)
{
#if defined(_WIN32)
    // The bytes as they are: no CR LF made LF, no Ctrl-Z taken for the end.
    _setmode(_fileno(in), _O_BINARY);
#endif
    std::error_code ignored;
    std::string directory = std::filesystem::temp_directory_path(ignored).u8string();
    CTemporaryFile file = CreateTemporaryFile(directory, "orva-import-stdin-", ".idx");
    m_path = file.path;
    std::unique_ptr<CStreamSink> out = CStreamSink::Own(file.stream, "a copy of standard input");
    try
    {
        std::unique_ptr<char[]> chunk(new char[CBufferedWriter::FlushSize]);
        while (std::size_t got = std::fread(chunk.get(), 1, CBufferedWriter::FlushSize, in))
            out->Write(chunk.get(), got);
        if (std::ferror(in))
            throw std::runtime_error(std::string("cannot read standard input: ") +
                                     std::strerror(errno));
        out->Close();
    }
    catch (...)
    {
        out.reset();
        RemoveTemporaryFile(m_path);
        throw;
    }
}

CStandardInputFile::~CStandardInputFile()
{
    RemoveTemporaryFile(m_path);
}

} // namespace Host
