#include "plugin/ImportDriver.h"

#include "parser/Parser.h"
#include "plugin/ByteSearch.h"

#include <algorithm>
#include <cstring>

void Import(IImportFileList* files, IGroundDataReceiver* receiver) noexcept
{
    if (!files || !receiver)
        return;
    files->Reset();
    while (files->IsValid())
    {
        // The list's pointer is valid only until its next call: the path is copied first.
        const wchar_t* listed = files->GetPath();
        std::wstring path;
        bool copied = true;
        try
        {
            if (listed)
                path = listed;
        }
        catch (...)
        {
            copied = false;
        }
        if (copied)
            ImportFile(path, receiver);
        else
        {
            receiver->BeginFile(listed);
            Driver::ReportFileMessage(receiver, MessageId::CannotOpenFile);
        }
        files->MoveNext();
    }
}

void ImportFile(const std::wstring& path, IGroundDataReceiver* receiver,
                IReadObserver* observer) noexcept
{
    if (receiver)
        Driver::ImportFileWith<CParser>(path, receiver, observer);
}

void ImportSource(const std::wstring& shownPath, IByteSource* source, IGroundDataReceiver* receiver,
                  IReadObserver* observer) noexcept
{
    if (receiver)
        Driver::ImportSourceWith<CParser>(shownPath, source, receiver, observer);
}

namespace Driver
{
namespace
{

// The end-of-file mark of text-mode reading.
constexpr unsigned int ControlZ = 0x1A;

} // namespace

bool CFileLines::Read(IByteSource& source)
{
    m_source = &source;
    m_count = 0;
    m_failed = false;
    m_holdWhole = !source.IsRewindable();
    m_walking = false;
    m_clean = false;
    if (!Start() || !CountLines())
        return false;
    m_walking = true;
    if (m_holdWhole)
    {
        m_begin = m_searched = m_textStart;
        FindNextNul();
        return true;
    }
    return source.Rewind() && Start();
}

bool CFileLines::Start()
{
    // The window's room stays: the walk after the count reads the same blocks into it.
    m_begin = m_checked = m_end = m_searched = 0;
    m_nextNul = kNoNul;
    m_atEnd = false;
    m_encoding = TextEncoding::ThreadCodePage;
    m_unitSize = 1;
    // The mark is read before any unit is checked: its bytes decide what a unit is.
    constexpr std::size_t kLongestMark = 3;
    while (m_end < kLongestMark && ReadMore())
    {
    }
    if (m_failed)
        return false;
    std::size_t markSize = 0;
    m_encoding = DetectByteOrderMark(m_buffer.data(), m_end, markSize);
    m_unitSize =
        m_encoding == TextEncoding::Utf16LittleEndian || m_encoding == TextEncoding::Utf16BigEndian
            ? 2
            : 1;
    m_indentIsBytes =
        m_encoding == TextEncoding::Utf8 ||
        (m_encoding == TextEncoding::ThreadCodePage && Platform::ThreadCodePageKeepsBlanks());
    m_asciiIsBytes =
        m_encoding == TextEncoding::Utf8 ||
        (m_encoding == TextEncoding::ThreadCodePage && Platform::ThreadCodePageKeepsAscii());
    m_begin = m_checked = m_searched = m_textStart = markSize;
    CheckForControlZ();
    return true;
}

bool CFileLines::CountLines()
{
    if (UnitSize() != 1)
    {
        const char* line = nullptr;
        std::size_t size = 0;
        while (NextLine(line, size))
            ++m_count;
        return !m_failed;
    }
    // The LFs of each block at once, and the Ctrl-Z and NULs in the same walk; the window moves
    // as NextLine's would, so that a source held whole or read again sees the same bytes.
    bool sawNul = false;
    bool sawControlZ = false;
    for (;;)
    {
        const char* data = m_buffer.data();
        const char* afterLast = data + m_begin;
        const char* textEnd =
            CountByteBefore(data + m_searched, data + m_end, '\n', static_cast<char>(ControlZ),
                            '\0', m_count, afterLast, sawNul);
        m_begin = static_cast<std::size_t>(afterLast - data);
        m_checked = m_searched = static_cast<std::size_t>(textEnd - data);
        if (m_checked != m_end)
        {
            m_end = m_checked;
            m_atEnd = true;
            sawControlZ = true;
        }
        if (!ReadMore())
            break;
    }
    if (m_failed)
        return false;
    // The last line, without LF.
    if (m_checked != m_begin)
        ++m_count;
    m_clean = !sawNul && !sawControlZ;
    return true;
}

bool CFileLines::NextLine(const char*& line, std::size_t& size)
{
    const std::size_t unit = UnitSize();
    for (;;)
    {
        const std::size_t lineFeed = Find(m_searched, m_checked, '\n');
        if (lineFeed < m_checked)
        {
            std::size_t end = lineFeed;
            if (end > m_begin && IsUnit(end - unit, '\r'))
                end -= unit;
            line = m_buffer.data() + m_begin;
            size = end - m_begin;
            m_begin = m_searched = lineFeed + unit;
            return true;
        }
        m_searched = m_checked;
        if (!Fill())
        {
            if (m_failed || m_checked == m_begin)
                return false;
            // The last line, without LF: a CR at its end stays.
            line = m_buffer.data() + m_begin;
            size = m_checked - m_begin;
            m_begin = m_searched = m_checked;
            return true;
        }
    }
}

bool CFileLines::Fill()
{
    if (!ReadMore())
        return false;
    CheckForControlZ();
    return true;
}

bool CFileLines::ReadMore()
{
    if (m_atEnd)
        return false;
    constexpr std::size_t kBlock = 256 * 1024;
    if (!m_holdWhole && m_begin > 0)
    {
        // The walked lines go; the line being read moves to the front. The buffer's size is its
        // room, kept from fill to fill.
        std::memmove(&m_buffer[0], m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_checked -= m_begin;
        m_searched -= m_begin;
        if (m_nextNul != kNoNul)
            m_nextNul -= m_begin;
        m_begin = 0;
        // A window grown by a long line shrinks back once that line is walked.
        if (m_buffer.size() > 4 * kBlock && m_end < kBlock)
        {
            m_buffer.resize(m_end);
            m_buffer.shrink_to_fit();
        }
    }
    if (m_buffer.size() - m_end < kBlock / 2)
        m_buffer.resize(std::max(m_buffer.size() + m_buffer.size() / 2, m_end + kBlock));
    std::size_t got = 0;
    const std::size_t room = m_buffer.size() - m_end;
    // A source of the host's that claims more than it was given room for has failed too.
    if (!m_source->Read(&m_buffer[m_end], room, got) || got > room)
    {
        m_failed = true;
        m_atEnd = true;
        return false;
    }
    if (got == 0)
    {
        // A byte left over from the last UTF-16 unit is no character.
        m_atEnd = true;
        return false;
    }
    m_end += got;
    return true;
}

void CFileLines::CheckForControlZ()
{
    const std::size_t unit = UnitSize();
    // Bytes that are counted are checked by the count, as it walks them.
    if (unit == 1 && !m_walking)
        return;
    if (m_clean)
    {
        m_checked = m_end;
        return;
    }
    const std::size_t whole = m_end - (m_end - m_checked) % unit;
    const std::size_t unchecked = m_checked;
    bool nulWanted = m_walking && m_nextNul == kNoNul;
    std::size_t controlZ = whole;
    if (nulWanted && unit == 1)
    {
        // Both in one walk: a NUL found first is the next NUL, and the rest of the block is
        // searched for Ctrl-Z alone; a Ctrl-Z found first has no NUL before it.
        const std::size_t hit = FindEither(unchecked, whole, 0, ControlZ);
        controlZ = hit;
        if (hit < whole && m_buffer[hit] == '\0')
        {
            m_nextNul = hit;
            controlZ = Find(hit + 1, whole, ControlZ);
        }
        nulWanted = false;
    }
    else
        controlZ = Find(unchecked, whole, ControlZ);
    if (controlZ < whole)
    {
        m_end = m_checked = controlZ;
        m_atEnd = true;
    }
    else
        m_checked = whole;
    if (nulWanted)
    {
        const std::size_t nul = Find(unchecked, m_checked, 0);
        if (nul < m_checked)
            m_nextNul = nul;
    }
}

void CFileLines::FindNextNul()
{
    if (m_clean)
    {
        m_nextNul = kNoNul;
        return;
    }
    const std::size_t nul = Find(m_begin, m_checked, 0);
    m_nextNul = nul < m_checked ? nul : kNoNul;
}

bool CFileLines::DecodeNext(std::wstring& text, Indent indent)
{
    const char* bytes = nullptr;
    std::size_t size = 0;
    if (!NextText(bytes, size, indent))
        return false;
    Decode(bytes, size, text);
    return true;
}

bool CFileLines::NextText(const char*& bytes, std::size_t& size, Indent indent)
{
    const char* line = nullptr;
    if (!NextLine(line, size))
        return false;
    std::size_t lineSize = size;
    const std::size_t begin = static_cast<std::size_t>(line - m_buffer.data());
    if (m_nextNul < begin + size)
    {
        lineSize = m_nextNul - begin;
        // NextLine has walked past the line: the next NUL is looked for from there on.
        FindNextNul();
    }
    // An indent dropped here is neither decoded nor moved out of the decoded line by the trim.
    if (indent == Indent::MayDrop && m_indentIsBytes)
    {
        const char* text = SkipBlanks(line, line + lineSize);
        lineSize -= static_cast<std::size_t>(text - line);
        line = text;
    }
    bytes = line;
    size = lineSize;
    return true;
}

bool CFileLines::IsUnit(std::size_t offset, unsigned int unit) const
{
    const auto* b = reinterpret_cast<const unsigned char*>(m_buffer.data()) + offset;
    if (m_unitSize == 1)
        return b[0] == unit;
    switch (m_encoding)
    {
    case TextEncoding::Utf16LittleEndian:
        return b[0] == (unit & 0xFF) && b[1] == (unit >> 8);
    case TextEncoding::Utf16BigEndian:
        return b[1] == (unit & 0xFF) && b[0] == (unit >> 8);
    default:
        return b[0] == unit;
    }
}

std::size_t CFileLines::FindEither(std::size_t from, std::size_t end, char first, char second) const
{
    if (from >= end)
        return end;
    const char* data = m_buffer.data();
    return static_cast<std::size_t>(FindEitherByte(data + from, data + end, first, second) - data);
}

std::size_t CFileLines::Find(std::size_t from, std::size_t end, unsigned int unit) const
{
    if (UnitSize() == 1)
    {
        if (from >= end)
            return end;
        const char* data = m_buffer.data();
        return static_cast<std::size_t>(FindByte(data + from, data + end, static_cast<char>(unit)) -
                                        data);
    }
    for (std::size_t at = from; at + 2 <= end; at += 2)
        if (IsUnit(at, unit))
            return at;
    return end;
}

void CFileLines::Decode(const char* begin, std::size_t size, std::wstring& text) const
{
    switch (m_encoding)
    {
    case TextEncoding::Utf8:
        DecodeUtf8(begin, size, text);
        break;
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
        DecodeUtf16(begin, size / 2, m_encoding == TextEncoding::Utf16BigEndian, text);
        break;
    case TextEncoding::ThreadCodePage:
        Platform::DecodeThreadCodePage(begin, size, text);
        break;
    }
}

void ReportFileMessage(IGroundDataReceiver* receiver, std::int32_t id) noexcept
{
    std::wstring text;
    try
    {
        text = LoadMessageText(id);
    }
    catch (...)
    {
        // Out of memory: the host still learns that the file went wrong.
        text.clear();
    }
    receiver->ReportFileError(text.c_str());
}

} // namespace Driver
