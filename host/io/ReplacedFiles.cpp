#include "host/io/ReplacedFiles.h"

#include "host/io/TemporaryFiles.h"

#include <filesystem>
#include <system_error>

namespace Host
{
namespace
{

namespace fs = std::filesystem;

std::string Folder(const std::string& path)
{
    return fs::u8path(path).parent_path().u8string();
}

std::string FileName(const std::string& path)
{
    return fs::u8path(path).filename().u8string();
}

// A dot first keeps the temporary files out of a plain listing.
std::string TemporaryPrefix(const std::string& path)
{
    return "." + FileName(path) + ".";
}

void Rename(const std::string& from, const std::string& to, const std::string& shownPath)
{
    std::error_code error;
    fs::rename(fs::u8path(from), fs::u8path(to), error);
    if (error)
        throw COutputError("cannot write " + shownPath + ": " + error.message());
}

} // namespace

CReplacedFiles::~CReplacedFiles()
{
    Discard();
}

IByteSink& CReplacedFiles::Add(const std::string& path)
{
    CTemporaryFile file = CreateTemporaryFile(Folder(path), TemporaryPrefix(path), ".tmp");
    CEntry entry;
    entry.path = path;
    entry.temporary = file.path;
    try
    {
        entry.sink = CStreamSink::Own(file.stream, path);
        m_entries.push_back(std::move(entry));
    }
    catch (...)
    {
        if (!entry.sink)
            std::fclose(file.stream);
        entry.sink.reset();
        RemoveTemporaryFile(file.path);
        throw;
    }
    return *m_entries.back().sink;
}

void CReplacedFiles::Commit()
{
    try
    {
        for (CEntry& entry : m_entries)
            entry.sink->Close();
        CheckReplaceable();
        MovePreviousAside();
        PutInPlace();
    }
    catch (...)
    {
        Discard();
        throw;
    }
    for (CEntry& entry : m_entries)
    {
        std::error_code ignored;
        if (!entry.previous.empty())
            fs::remove(fs::u8path(entry.previous), ignored);
    }
    m_entries.clear();
}

void CReplacedFiles::Discard() noexcept
{
    for (CEntry& entry : m_entries)
    {
        entry.sink.reset();
        RemoveTemporaryFile(entry.temporary);
    }
    m_entries.clear();
}

// A folder in the way would be moved aside like a file, and could not be removed after.
void CReplacedFiles::CheckReplaceable() const
{
    for (const CEntry& entry : m_entries)
    {
        std::error_code error;
        if (fs::is_directory(fs::symlink_status(fs::u8path(entry.path), error)))
            throw COutputError("cannot write " + entry.path + ": it is a folder");
    }
}

void CReplacedFiles::MovePreviousAside()
{
    for (CEntry& entry : m_entries)
    {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(fs::u8path(entry.path), error)))
            continue;
        // A name of its own that nobody else takes; the file made for it is renamed over. It
        // holds the old file, which nothing but a successful commit may remove.
        CTemporaryFile file =
            CreateTemporaryFile(Folder(entry.path), TemporaryPrefix(entry.path), ".old");
        std::fclose(file.stream);
        ForgetTemporaryFile(file.path);
        try
        {
            Rename(entry.path, file.path, entry.path);
        }
        catch (...)
        {
            std::error_code ignored;
            fs::remove(fs::u8path(file.path), ignored);
            RestorePrevious();
            throw;
        }
        entry.previous = file.path;
    }
}

void CReplacedFiles::PutInPlace()
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
    {
        CEntry& entry = m_entries[i];
        try
        {
            Rename(entry.temporary, entry.path, entry.path);
        }
        catch (...)
        {
            // The new files placed so far go back to being temporary, and the old ones return.
            for (std::size_t placed = 0; placed < i; ++placed)
            {
                std::error_code ignored;
                fs::rename(fs::u8path(m_entries[placed].path),
                           fs::u8path(m_entries[placed].temporary), ignored);
            }
            RestorePrevious();
            throw;
        }
    }
    for (CEntry& entry : m_entries)
        ForgetTemporaryFile(entry.temporary);
}

void CReplacedFiles::RestorePrevious() noexcept
{
    for (CEntry& entry : m_entries)
    {
        if (entry.previous.empty())
            continue;
        std::error_code error;
        fs::rename(fs::u8path(entry.previous), fs::u8path(entry.path), error);
        if (!error)
            entry.previous.clear();
    }
}

} // namespace Host
