// Where the outputs' bytes go: a file or stream, a spool that holds them for later, or a slot of an
// ordered output. A write takes all of its bytes or throws COutputError; no sink reports a short
// write as success.
#pragma once

#include "host/kit/OutputError.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace Host
{

class IByteSink
{
public:
    virtual void Write(const char* data, std::size_t size) = 0;
    // Writes the rest of file, from its position to its end, when the system can copy it here
    // without the bytes passing through this process; false, having written nothing, when it
    // cannot. A spool that went to a temporary file is handed on this way.
    virtual bool CopyRestOf(std::FILE* file)
    {
        (void)file;
        return false;
    }

protected:
    ~IByteSink() = default;
};

// Writes to a C stream. Owned streams are closed by Close or the destructor; a borrowed one
// (stdout) is only flushed.
class CStreamSink final : public IByteSink
{
public:
    // Opens path (UTF-8) for writing, truncating it; throws COutputError when it cannot.
    static std::unique_ptr<CStreamSink> Create(const std::string& path);
    // Takes over stream, which it closes; name is what messages call it.
    static std::unique_ptr<CStreamSink> Own(std::FILE* stream, std::string name);
    // Borrows stream; name is what messages call it ("the output").
    CStreamSink(std::FILE* stream, std::string name) : m_stream(stream), m_name(std::move(name)) {}
    ~CStreamSink();

    CStreamSink(const CStreamSink&) = delete;
    CStreamSink& operator=(const CStreamSink&) = delete;

    void Write(const char* data, std::size_t size) override;
    bool CopyRestOf(std::FILE* file) override;
    // Flushes, and closes an owned stream; throws COutputError when the bytes did not all arrive.
    void Close();

private:
    CStreamSink(std::FILE* stream, std::string name, bool owned)
        : m_stream(stream), m_name(std::move(name)), m_owned(owned)
    {
    }
    [[noreturn]] void Fail(int error) const;

    std::FILE* m_stream;
    std::string m_name;
    bool m_owned = false;
};

// Bytes held for later: in memory up to a limit, beyond it in a temporary file that is deleted
// when the spool is cleared or destroyed (or the process ends, however it ends).
class CSpool final : public IByteSink
{
public:
    static constexpr std::size_t DefaultMemoryLimit = 256 * 1024;

    explicit CSpool(std::size_t memoryLimit = DefaultMemoryLimit) : m_memoryLimit(memoryLimit) {}
    ~CSpool();

    CSpool(const CSpool&) = delete;
    CSpool& operator=(const CSpool&) = delete;

    void Write(const char* data, std::size_t size) override;
    bool Empty() const { return m_memory.empty() && !m_file; }
    // Writes everything held to out, in the order it was written, then holds nothing.
    void MoveTo(IByteSink& out);

private:
    std::size_t m_memoryLimit;
    std::string m_memory;
    std::FILE* m_file = nullptr;
};

// Text gathered in memory and passed on to a sink in large writes. Small pieces are appended to
// Text(); a record's text is better written in place, through the pointer that Reserve gives, than
// made elsewhere and copied. Both kinds go out in the order they were written.
class CBufferedWriter
{
public:
    // Each write is a system call, which on a virtual machine costs as much as formatting a few
    // records: 256 KiB a write made JSON about 7 % faster than 64 KiB; 1 MiB gained nothing more
    // and slowed CSV, whose four tables' buffers then outgrow the cache.
    static constexpr std::size_t FlushSize = 256 * 1024;

    explicit CBufferedWriter(IByteSink& out) : m_out(&out) { m_text.reserve(FlushSize + 4096); }

    std::string& Text() { return m_text; }
    // Room for up to room bytes after everything written so far; Wrote tells where the bytes
    // written there end. Nothing else may be written in between.
    char* Reserve(std::size_t room);
    void Wrote(const char* end) { m_used = static_cast<std::size_t>(end - m_store.get()); }
    // Passes the text on once enough of it has gathered.
    void Commit()
    {
        if (m_used + m_text.size() >= FlushSize)
            Flush();
    }
    void Flush();
    // Flushes, then writes to out from here on.
    void Redirect(IByteSink& out);

private:
    // Moves the pieces of Text() behind what was written in place.
    void TakeText();
    void Grow(std::size_t room);

    IByteSink* m_out;
    std::string m_text;
    // What was written in place (and the pieces before it), m_used bytes of m_capacity.
    std::unique_ptr<char[]> m_store;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
};

} // namespace Host
