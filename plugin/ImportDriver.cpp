#include "plugin/ImportDriver.h"

#include "parser/Parser.h"

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

void ImportFile(const std::wstring& path, IGroundDataReceiver* receiver) noexcept
{
    Driver::ImportFileWith<CParser>(path, receiver);
}

namespace Driver
{
namespace
{

// The end-of-file mark of text-mode reading.
constexpr unsigned int ControlZ = 0x1A;

} // namespace

Platform::ReadStatus CFileLines::Read(const std::wstring& path)
{
    m_cursor = 0;
    m_count = 0;
    const Platform::ReadStatus status = Platform::ReadWholeFile(path.c_str(), m_bytes);
    if (status != Platform::ReadStatus::Read)
    {
        std::string().swap(m_bytes);
        return status;
    }
    std::size_t markSize = 0;
    m_encoding = DetectByteOrderMark(m_bytes.data(), m_bytes.size(), markSize);
    m_cursor = markSize;
    const std::size_t unit = UnitSize();
    // A byte left over from the last UTF-16 unit is no character.
    const std::size_t end = m_bytes.size() - (m_bytes.size() - m_cursor) % unit;
    m_bytes.resize(Find(m_cursor, end, ControlZ));
    for (std::size_t at = Find(m_cursor, m_bytes.size(), '\n'); at < m_bytes.size();
         at = Find(at + unit, m_bytes.size(), '\n'))
        ++m_count;
    if (m_bytes.size() > m_cursor && !IsUnit(m_bytes.size() - unit, '\n'))
        ++m_count;
    return status;
}

bool CFileLines::DecodeNext(std::wstring& text)
{
    if (m_cursor >= m_bytes.size())
        return false;
    const std::size_t unit = UnitSize();
    const std::size_t lineFeed = Find(m_cursor, m_bytes.size(), '\n');
    std::size_t end = lineFeed;
    const std::size_t begin = m_cursor;
    m_cursor = lineFeed < m_bytes.size() ? lineFeed + unit : lineFeed;
    if (lineFeed < m_bytes.size() && end > begin && IsUnit(end - unit, '\r'))
        end -= unit;
    end = Find(begin, end, 0);
    Decode(m_bytes.data() + begin, end - begin, text);
    return true;
}

std::size_t CFileLines::UnitSize() const
{
    return m_encoding == TextEncoding::Utf16LittleEndian ||
                   m_encoding == TextEncoding::Utf16BigEndian
               ? 2
               : 1;
}

bool CFileLines::IsUnit(std::size_t offset, unsigned int unit) const
{
    const auto* b = reinterpret_cast<const unsigned char*>(m_bytes.data()) + offset;
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

std::size_t CFileLines::Find(std::size_t from, std::size_t end, unsigned int unit) const
{
    if (UnitSize() == 1)
    {
        const void* found = std::memchr(m_bytes.data() + from, static_cast<int>(unit), end - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_bytes.data())
                     : end;
    }
    for (std::size_t at = from; at < end; at += 2)
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
