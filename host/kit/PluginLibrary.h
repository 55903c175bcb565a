// Loading the plug-in the way a host does: open the library by path, find CreatePlugin, make the
// plug-in object and check that it is the ORVA importer. Nothing of the plug-in is linked in;
// only its binary contract is known.
#pragma once

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

// The file name of the plug-in library on this platform ("liborva.so", "orva.dll").
const char* DefaultPluginName();
// The directory of the running executable, as UTF-8, with a trailing separator; empty if unknown.
std::string ExecutableDirectory();

// The Windows locale whose ANSI code page is codePage, for the code pages that are the ANSI code
// page of some locale (874, 932, 936, 949, 950, 1250 to 1258); none for any other.
std::optional<std::uint32_t> LocaleForAnsiCodePage(unsigned int codePage);

class CPluginLibrary
{
public:
    // Opens the library at path (UTF-8). On failure returns null and says why in error.
    static std::unique_ptr<CPluginLibrary> Open(const std::string& path, std::string& error);
    ~CPluginLibrary();

    CPluginLibrary(const CPluginLibrary&) = delete;
    CPluginLibrary& operator=(const CPluginLibrary&) = delete;

    // Calls CreatePlugin: a new object holding one reference for the caller, or null (error set).
    Plugin::IGroundBasedMIP* CreatePlugin(std::string& error) const;

    // Makes the calling thread decode files from codePage: on Windows by giving the thread a
    // locale with that ANSI code page, elsewhere through the plug-in's OrvaSetThreadCodePage.
    enum class CodePageResult
    {
        Selected,
        UnknownCodePage, // no decoding for that code page here (error set)
        CannotSelect     // the plug-in or the system cannot select one (error set)
    };
    CodePageResult SelectCodePage(unsigned int codePage, std::string& error) const;

private:
    explicit CPluginLibrary(void* handle) : m_handle(handle) {}

    void* Symbol(const char* name) const;

    void* m_handle;
};

// Takes over a string the plug-in returned and frees it the way the plug-in allocated it; a null
// string gives an empty one.
std::wstring TakeString(BSTR text);

// Checks name "ORVA", file mask "*.idx", kind 2 and the identifier of the ORVA plug-in, freeing
// every string the plug-in hands out. False (error set) when the object is another plug-in.
bool CheckIdentity(Plugin::IGroundBasedMIP* plugin, std::string& error);

// The host's list of files, walked by the plug-in.
class CPathList final : public IImportFileList
{
public:
    explicit CPathList(std::vector<std::wstring> paths) : m_paths(std::move(paths)) {}

    bool IsValid() override { return m_cursor < m_paths.size(); }
    void MoveNext() override
    {
        if (m_cursor < m_paths.size())
            ++m_cursor;
    }
    const wchar_t* GetPath() override
    {
        return m_cursor < m_paths.size() ? m_paths[m_cursor].c_str() : nullptr;
    }
    void Reset() override { m_cursor = 0; }

private:
    std::vector<std::wstring> m_paths;
    std::size_t m_cursor = 0;
};

} // namespace Host
