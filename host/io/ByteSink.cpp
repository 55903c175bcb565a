#include "host/io/ByteSink.h"

#include "host/io/TemporaryFiles.h"
#include "host/kit/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cstdlib>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/sendfile.h>
#endif

namespace Host
{
namespace
{

std::string ErrorText(int error)
{
    return error ? std::strerror(error) : "unknown error";
}

} // namespace

std::unique_ptr<CStreamSink> CStreamSink::Create(const std::string& path)
{
#if defined(_WIN32)
    std::FILE* stream = _wfopen(FromUtf8(path).c_str(), L"wb");
#else
    std::FILE* stream = std::fopen(path.c_str(), "wb");
#endif
    if (!stream)
        throw COutputError("cannot write " + path + ": " + ErrorText(errno));
    return std::unique_ptr<CStreamSink>(new CStreamSink(stream, path, true));
}

std::unique_ptr<CStreamSink> CStreamSink::Own(std::FILE* stream, std::string name)
{
    return std::unique_ptr<CStreamSink>(new CStreamSink(stream, std::move(name), true));
}

CStreamSink::~CStreamSink()
{
    if (m_owned && m_stream)
        std::fclose(m_stream);
}

void CStreamSink::Fail(int error) const
{
    throw COutputError("cannot write " + m_name + ": " + ErrorText(error));
}

void CStreamSink::Write(const char* data, std::size_t size)
{
    errno = 0;
    if (size && std::fwrite(data, 1, size, m_stream) != size)
        Fail(errno);
}

bool CStreamSink::CopyRestOf(std::FILE* file)
{
#if defined(__linux__)
    // Linux copies between any file and a file, pipe or device in the kernel. A stream it
    // refuses at once (one opened for appending, on older kernels) is written the usual way.
    if (std::fflush(m_stream) != 0)
        Fail(errno);
    const int in = fileno(file);
    const int out = fileno(m_stream);
    bool copied = false;
    for (;;)
    {
        constexpr std::size_t Chunk = std::size_t(1) << 30;
        const ssize_t sent = sendfile(out, in, nullptr, Chunk);
        if (sent > 0)
        {
            copied = true;
            continue;
        }
        if (sent == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (!copied && (errno == EINVAL || errno == ENOSYS))
            return false;
        Fail(errno);
    }
#else
    (void)file;
    return false;
#endif
}

void CStreamSink::Close()
{
    errno = 0;
    bool failed = std::fflush(m_stream) != 0 || std::ferror(m_stream);
    int error = errno;
    if (m_owned)
    {
        failed = std::fclose(m_stream) != 0 || failed;
        if (!error)
            error = errno;
        m_stream = nullptr;
    }
    if (failed)
        Fail(error);
}

CSpool::~CSpool()
{
    if (m_file)
        std::fclose(m_file);
}

void CSpool::Write(const char* data, std::size_t size)
{
    if (!m_file && m_memory.size() + size <= m_memoryLimit)
    {
        m_memory.append(data, size);
        return;
    }
    if (!m_file)
    {
        m_file = OpenScratchFile();
        Write(m_memory.data(), m_memory.size());
        m_memory = std::string();
    }
    errno = 0;
    if (size && std::fwrite(data, 1, size, m_file) != size)
        throw COutputError("cannot write a temporary file: " + ErrorText(errno));
}

void CSpool::MoveTo(IByteSink& out)
{
    if (!m_file)
    {
        out.Write(m_memory.data(), m_memory.size());
        m_memory.clear();
        return;
    }
    std::FILE* file = m_file;
    m_file = nullptr;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, std::fclose);
    if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0)
        throw COutputError("cannot read back a temporary file: " + ErrorText(errno));
    if (out.CopyRestOf(file))
        return;
    std::unique_ptr<char[]> chunk(new char[CBufferedWriter::FlushSize]);
    while (std::size_t got = std::fread(chunk.get(), 1, CBufferedWriter::FlushSize, file))
        out.Write(chunk.get(), got);
    if (std::ferror(file))
        throw COutputError("cannot read back a temporary file: " + ErrorText(errno));
}

char* CBufferedWriter::Reserve(std::size_t room)
{
    TakeText();
    Grow(room);
    return m_store.get() + m_used;
}

void CBufferedWriter::TakeText()
{
    if (m_text.empty())
        return;
    Grow(m_text.size());
    std::memcpy(m_store.get() + m_used, m_text.data(), m_text.size());
    m_used += m_text.size();
    m_text.clear();
}

void CBufferedWriter::Grow(std::size_t room)
{
    if (m_capacity - m_used >= room)
        return;
    const std::size_t capacity = std::max({2 * m_capacity, m_used + room, FlushSize + 4096});
    std::unique_ptr<char[]> store(new char[capacity]);
    if (m_used)
        std::memcpy(store.get(), m_store.get(), m_used);
    m_store = std::move(store);
    m_capacity = capacity;
}

void CBufferedWriter::Flush()
{
    // Text alone goes out as it is, without a copy.
    if (m_used == 0)
    {
        if (!m_text.empty())
            m_out->Write(m_text.data(), m_text.size());
        m_text.clear();
        return;
    }
    TakeText();
    m_out->Write(m_store.get(), m_used);
    m_used = 0;
}

void CBufferedWriter::Redirect(IByteSink& out)
{
    Flush();
    m_out = &out;
}

} // namespace Host
