#include "platform/Platform.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <iterator>

namespace Platform
{
namespace
{

const wchar_t ReplacementCharacter = 0xFFFD;
const unsigned int DefaultCodePage = 1252;

// The C library's name for a Windows code page number, or null when there is none.
const char* IconvName(unsigned int codePage, char (&buffer)[24])
{
    switch (codePage)
    {
    case 65001:
        return "UTF-8";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 54936:
        return "GB18030";
    case 51932:
        return "EUC-JP";
    case 51949:
        return "EUC-KR";
    case 10000:
        return "MACINTOSH";
    case 10007:
        return "MAC-CYRILLIC";
    case 28603:
        return "ISO-8859-13";
    case 28605:
        return "ISO-8859-15";
    case 437:
    case 737:
    case 775:
    case 850:
    case 852:
    case 855:
    case 857:
    case 858:
    case 860:
    case 861:
    case 862:
    case 863:
    case 864:
    case 865:
    case 866:
    case 869:
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258:
        std::snprintf(buffer, sizeof buffer, "CP%u", codePage);
        return buffer;
    default:
        if (codePage >= 28591 && codePage <= 28599)
        {
            std::snprintf(buffer, sizeof buffer, "ISO-8859-%u", codePage - 28590);
            return buffer;
        }
        return nullptr;
    }
}

// Bytes that the C library leaves undefined but Windows' own tables give a character, mostly in
// the private use area; every other undefined byte stands for the character of its own number on
// both systems.
struct WindowsMapping
{
    unsigned int CodePage;
    unsigned char Byte;
    wchar_t Character;
};

const WindowsMapping WindowsMappings[] = {
    {874, 0xDB, 0xF8C1},  {874, 0xDC, 0xF8C2},  {874, 0xDD, 0xF8C3},  {874, 0xDE, 0xF8C4},
    {874, 0xFC, 0xF8C5},  {874, 0xFD, 0xF8C6},  {874, 0xFE, 0xF8C7},  {874, 0xFF, 0xF8C8},
    {1253, 0xAA, 0xF8F9}, {1253, 0xD2, 0xF8FA}, {1253, 0xFF, 0xF8FB}, {1255, 0xCA, 0x05BA},
    {1255, 0xD9, 0xF88D}, {1255, 0xDA, 0xF88E}, {1255, 0xDB, 0xF88F}, {1255, 0xDC, 0xF890},
    {1255, 0xDD, 0xF891}, {1255, 0xDE, 0xF892}, {1255, 0xDF, 0xF893}, {1255, 0xFB, 0xF894},
    {1255, 0xFC, 0xF895}, {1255, 0xFF, 0xF896}, {1257, 0xA1, 0xF8FC}, {1257, 0xA5, 0xF8FD},
};

// A C library that lacks a single-byte page, or decodes it otherwise than glibc (that of
// WebAssembly), gets the page as the Linux build decodes it, tabled when it was built.
#if defined(ORVA_CODE_PAGE_TABLES)
struct CBuiltInPage
{
    unsigned int codePage;
    wchar_t table[256];
};

// Made by MakeCodePageTables.cpp with glibc's iconv.
const CBuiltInPage BuiltInPages[] = {
#include "CodePageTables.inc"
};

const wchar_t* BuiltInTable(unsigned int codePage)
{
    for (const CBuiltInPage& page : BuiltInPages)
        if (page.codePage == codePage)
            return page.table;
    return nullptr;
}

// That library knows Windows' simplified Chinese page by its other name only.
const char* LibraryName(unsigned int codePage, const char* name)
{
    return codePage == 936 ? "GBK" : name;
}
#else
const wchar_t* BuiltInTable(unsigned int)
{
    return nullptr;
}

const char* LibraryName(unsigned int, const char* name)
{
    return name;
}
#endif

// Decodes one code page for one thread. A single-byte page is turned into a table once, so a
// line costs one lookup a byte; other pages go through iconv line by line.
class CCodePageDecoder
{
public:
    CCodePageDecoder() = default;
    ~CCodePageDecoder() { Close(); }
    CCodePageDecoder(const CCodePageDecoder&) = delete;
    CCodePageDecoder& operator=(const CCodePageDecoder&) = delete;

    bool Open(unsigned int codePage)
    {
        if (const wchar_t* table = BuiltInTable(codePage))
        {
            Close();
            m_codePage = codePage;
            m_singleByte = true;
            std::copy(table, table + 256, m_table);
            FindAsciiAsItself();
            return true;
        }
        char buffer[24];
        const char* name = LibraryName(codePage, IconvName(codePage, buffer));
        if (!name)
            return false;
        iconv_t converter = ::iconv_open("WCHAR_T", name);
        if (converter == reinterpret_cast<iconv_t>(-1))
            return false;
        Close();
        m_converter = converter;
        m_codePage = codePage;
        m_singleByte = BuildTable();
        if (m_singleByte)
            for (const WindowsMapping& mapping : WindowsMappings)
                if (mapping.CodePage == codePage && m_table[mapping.Byte] == mapping.Byte)
                    m_table[mapping.Byte] = mapping.Character;
        FindAsciiAsItself();
        return true;
    }

    unsigned int CodePage() const { return m_codePage; }
    // Bytes below any lead byte are in the table of every page, a single-byte page's or not.
    bool KeepsBlanks() const { return m_table[0x20] == L' ' && m_table[0x09] == L'\t'; }
    // A line of bytes below any lead byte decodes byte by byte, a multi-byte page's too.
    bool KeepsAscii() const { return m_asciiAsItself; }

    void Decode(const char* bytes, std::size_t size, std::wstring& text)
    {
        if (m_singleByte)
        {
            text.resize(size);
            // Through locals, as stores through the string's pointer could alias the table.
            const wchar_t* table = m_table;
            wchar_t* out = &text[0];
            const auto* in = reinterpret_cast<const unsigned char*>(bytes);
            // Only a line with a byte above ASCII is looked up.
            if (m_asciiAsItself && WidenAscii(bytes, size, out))
                return;
            for (std::size_t i = 0; i < size; ++i)
                out[i] = table[in[i]];
        }
        else
            DecodeMultiByte(bytes, size, text);
    }

private:
    void Close()
    {
        if (m_converter != reinterpret_cast<iconv_t>(-1))
            ::iconv_close(m_converter);
        m_converter = reinterpret_cast<iconv_t>(-1);
        m_codePage = 0;
    }

    void Reset() { ::iconv(m_converter, nullptr, nullptr, nullptr, nullptr); }

    void FindAsciiAsItself()
    {
        m_asciiAsItself = true;
        for (unsigned int byte = 0; byte < 0x80; ++byte)
            m_asciiAsItself = m_asciiAsItself && m_table[byte] == static_cast<wchar_t>(byte);
    }

    // True when every byte stands alone. A byte that the page leaves undefined decodes, as on
    // Windows, to the character of the same number.
    bool BuildTable()
    {
        // Bytes from a lead byte on are left out: none of them may count as itself.
        std::fill(std::begin(m_table), std::end(m_table), L'\0');
        for (unsigned int byte = 0; byte < 256; ++byte)
        {
            char in = static_cast<char>(byte);
            char* input = &in;
            std::size_t inputLeft = 1;
            wchar_t out[4];
            char* output = reinterpret_cast<char*>(out);
            std::size_t outputLeft = sizeof out;
            Reset();
            const std::size_t result =
                ::iconv(m_converter, &input, &inputLeft, &output, &outputLeft);
            if (result == static_cast<std::size_t>(-1))
            {
                if (errno == EINVAL)
                    return false; // the first byte of a longer sequence
                m_table[byte] = static_cast<wchar_t>(byte);
                continue;
            }
            // Some converters hold a character back until they know what follows.
            ::iconv(m_converter, nullptr, nullptr, &output, &outputLeft);
            const std::size_t produced = (sizeof out - outputLeft) / sizeof(wchar_t);
            if (produced == 0)
                return false;
            m_table[byte] = out[0];
        }
        return true;
    }

    // A byte that does not begin a valid sequence gives one replacement character and decoding
    // goes on after it; an incomplete sequence at the end gives one.
    void DecodeMultiByte(const char* bytes, std::size_t size, std::wstring& text)
    {
        // No code page gives more characters than bytes; the margin covers a flush at the end.
        text.resize(size + 4);
        Reset();
        char* input = const_cast<char*>(bytes);
        std::size_t inputLeft = size;
        std::size_t produced = 0;
        for (bool flushed = false; !flushed;)
        {
            char* output = reinterpret_cast<char*>(&text[produced]);
            std::size_t outputLeft = (text.size() - produced) * sizeof(wchar_t);
            const bool flushing = inputLeft == 0;
            const std::size_t result =
                flushing ? ::iconv(m_converter, nullptr, nullptr, &output, &outputLeft)
                         : ::iconv(m_converter, &input, &inputLeft, &output, &outputLeft);
            const int error = errno;
            produced = text.size() - outputLeft / sizeof(wchar_t);
            if (result != static_cast<std::size_t>(-1))
            {
                flushed = flushing;
                continue;
            }
            if (error == E2BIG)
            {
                text.resize(text.size() * 2);
                continue;
            }
            if (flushing)
                break;
            if (produced == text.size())
                text.resize(text.size() * 2);
            text[produced++] = ReplacementCharacter;
            if (error == EINVAL)
                inputLeft = 0;
            else
            {
                ++input;
                --inputLeft;
            }
            Reset();
        }
        text.resize(produced);
    }

    iconv_t m_converter = reinterpret_cast<iconv_t>(-1);
    unsigned int m_codePage = 0;
    bool m_singleByte = false;
    // True when every byte below 0x80 stands for the character of its own number.
    bool m_asciiAsItself = false;
    wchar_t m_table[256] = {};
};

// The selection belongs to the thread, as the ANSI code page of a Windows thread does; the
// decoder is opened when the thread first decodes.
thread_local unsigned int t_selectedCodePage = DefaultCodePage;
thread_local CCodePageDecoder t_decoder;

// Out of line on purpose: the compiler would otherwise recompute a thread-local address, a call
// in a shared library, for every byte of the decoding loop.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
CCodePageDecoder&
ThreadDecoder()
{
    return t_decoder;
}

// The calling thread's decoder, open on the page selected for the thread; null when the C
// library cannot convert even that page, and bytes then stand for themselves.
CCodePageDecoder* SelectedDecoder()
{
    CCodePageDecoder& decoder = ThreadDecoder();
    const unsigned int selected = t_selectedCodePage;
    if (decoder.CodePage() != selected && !decoder.Open(selected))
        return nullptr;
    return &decoder;
}

} // namespace

void DecodeThreadCodePage(const char* bytes, std::size_t size, std::wstring& text)
{
    CCodePageDecoder* decoder = SelectedDecoder();
    if (!decoder)
    {
        text.assign(bytes, bytes + size);
        for (wchar_t& c : text)
            c = static_cast<unsigned char>(c);
        return;
    }
    decoder->Decode(bytes, size, text);
}

bool ThreadCodePageKeepsBlanks()
{
    const CCodePageDecoder* decoder = SelectedDecoder();
    return !decoder || decoder->KeepsBlanks();
}

bool ThreadCodePageKeepsAscii()
{
    const CCodePageDecoder* decoder = SelectedDecoder();
    return !decoder || decoder->KeepsAscii();
}

bool SelectThreadCodePage(unsigned int codePage) noexcept
{
    CCodePageDecoder probe;
    if (!probe.Open(codePage))
        return false;
    t_selectedCodePage = codePage;
    return true;
}

} // namespace Platform

// Lets a host on this platform choose the code page that the calling thread's imports decode
// from, as the thread's ANSI code page does on Windows. False, with nothing changed, for a page
// that this build cannot decode: the host learns it here instead of guessing from its own tables.
ORVA_EXPORT bool OrvaSetThreadCodePage(unsigned int codePage)
{
    return Platform::SelectThreadCodePage(codePage);
}
