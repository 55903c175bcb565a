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
    m_count = static_cast<std::size_t>(std::count(m_bytes.begin(), m_bytes.end(), '\n'));
    if (!m_bytes.empty() && m_bytes.back() != '\n')
        ++m_count;
    return status;
}

bool CFileLines::DecodeNext(std::wstring& text)
{
    if (m_cursor >= m_bytes.size())
        return false;
    const char* begin = m_bytes.data() + m_cursor;
    const std::size_t rest = m_bytes.size() - m_cursor;
    const auto* lineFeed = static_cast<const char*>(std::memchr(begin, '\n', rest));
    std::size_t size = lineFeed ? static_cast<std::size_t>(lineFeed - begin) : rest;
    m_cursor += lineFeed ? size + 1 : size;
    if (lineFeed && size > 0 && begin[size - 1] == '\r')
        --size;
    if (const auto* nul = static_cast<const char*>(std::memchr(begin, '\0', size)))
        size = static_cast<std::size_t>(nul - begin);
    Platform::DecodeThreadCodePage(begin, size, text);
    return true;
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
