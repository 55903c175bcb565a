// The operating-system services that the plug-in uses, behind one narrow interface. The Win32 and
// the POSIX implementations give the same results for the same bytes.
#pragma once

#include "plugin/ByteSource.h"
#include "plugin/PluginConfig.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Platform
{

enum class ReadStatus
{
    Read,       // every byte of the file is in the buffer
    CannotOpen, // no such file, no access, or nothing that ends: a device, socket or directory
    ReadFailed  // opened, but reading stopped with an error or for want of memory
};

// A file opened for reading only, shared with other readers and writers, read in pieces and
// unchanged (no line-end translation). Only what holds text that ends can be opened: a disk file
// on either platform, and on POSIX a pipe as well.
class CInputFile final : public IByteSource
{
public:
    CInputFile() = default;
    ~CInputFile() { Close(); }
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;

    // Opens the file at a wide path, closing the one open before. Never throws.
    ReadStatus Open(const wchar_t* path) noexcept;
    // True for a file that can be read again from its start; false for a pipe.
    bool IsRewindable() const noexcept override { return m_rewindable; }
    // The file's size when it was opened, 0 when it has none (a pipe); only a first guess, as
    // the file may change while it is read.
    std::uint64_t SizeWhenOpened() const noexcept { return m_size; }
    // Up to size bytes from the current position; got is 0 at the end. False on a read error.
    bool Read(char* buffer, std::size_t size, std::size_t& got) noexcept override;
    // Goes back to the start of a rewindable file. False when that fails.
    bool Rewind() noexcept override;
    void Close() noexcept;

private:
    std::intptr_t m_handle = -1; // a descriptor, or a HANDLE on Windows
    bool m_rewindable = false;
    std::uint64_t m_size = 0;
};

// Reads the whole file at a wide path into bytes, as CInputFile opens and reads it. Never throws;
// on failure the content of bytes is unspecified.
ReadStatus ReadWholeFile(const wchar_t* path, std::string& bytes) noexcept;

// Replaces text with the characters of bytes[0, size) in the calling thread's code page. Every
// byte sequence decodes to something; throws only for want of memory or for a line longer than
// the platform can convert in one piece.
void DecodeThreadCodePage(const char* bytes, std::size_t size, std::wstring& text);

// True when the calling thread's code page reads the bytes of a blank and a tab, at the start of
// a line, as those characters: the reader then drops a line's indent before decoding it.
bool ThreadCodePageKeepsBlanks();

// True when the calling thread's code page reads a line of bytes below 0x80 as the ASCII
// characters of their numbers: the reader then cuts such a row without decoding it.
bool ThreadCodePageKeepsAscii();

// Makes codePage the one DecodeThreadCodePage uses on the calling thread. Returns false, leaving
// the selection as it was, when the platform cannot decode that code page.
bool SelectThreadCodePage(unsigned int codePage) noexcept;

// The text of entry id of this module's own string table; false when the table has no such
// entry. Never throws except for want of memory.
bool LoadModuleString(std::int32_t id, std::wstring& text);

// A new BSTR holding a copy of text, which the receiver frees; null for want of memory.
BSTR AllocateString(const wchar_t* text) noexcept;
// Frees a BSTR from AllocateString (what a host does with the strings it is given).
void FreeString(BSTR text) noexcept;
// The length prefix of a BSTR: the size of its characters in bytes, terminator excluded.
std::uint32_t StringByteLength(BSTR text) noexcept;

} // namespace Platform
