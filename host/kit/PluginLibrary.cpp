#include "host/kit/PluginLibrary.h"

#include "host/kit/Utf8.h"

#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>

#include <oleauto.h> // after windows.h, which it needs
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace Host
{
namespace
{

// {3CA97BE5-5CFF-4D66-87C6-73401443A96E}
constexpr GUID OrvaPluginId = {
    0x3CA97BE5, 0x5CFF, 0x4D66, {0x87, 0xC6, 0x73, 0x40, 0x14, 0x43, 0xA9, 0x6E}};

constexpr std::int32_t ImportPluginKind = 2;

#if defined(_WIN32)
std::string LastError()
{
    DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? ToUtf8(text) : "error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}
#endif

} // namespace

std::wstring TakeString(BSTR text)
{
    if (!text)
        return std::wstring();
    std::wstring copy(text);
#if defined(_WIN32)
    SysFreeString(text);
#else
    std::free(reinterpret_cast<char*>(text) - 4);
#endif
    return copy;
}

const char* DefaultPluginName()
{
#if defined(_WIN32)
    return "orva.dll";
#else
    return "liborva.so";
#endif
}

std::string ExecutableDirectory()
{
#if defined(_WIN32)
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;)
    {
        DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
        {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    std::size_t slash = buffer.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : ToUtf8(buffer.substr(0, slash + 1));
#else
    std::string buffer(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
        return std::string();
    buffer.resize(static_cast<std::size_t>(length));
    std::size_t slash = buffer.rfind('/');
    return slash == std::string::npos ? std::string() : buffer.substr(0, slash + 1);
#endif
}

std::optional<std::uint32_t> LocaleForAnsiCodePage(unsigned int codePage)
{
    struct Entry
    {
        unsigned int codePage;
        std::uint32_t locale;
    };
    static const Entry table[] = {
        {874, 0x041E},  // Thai
        {932, 0x0411},  // Japanese
        {936, 0x0804},  // Chinese (simplified)
        {949, 0x0412},  // Korean
        {950, 0x0404},  // Chinese (traditional)
        {1250, 0x0405}, // Czech
        {1251, 0x0419}, // Russian
        {1252, 0x0409}, // English (United States)
        {1253, 0x0408}, // Greek
        {1254, 0x041F}, // Turkish
        {1255, 0x040D}, // Hebrew
        {1256, 0x0401}, // Arabic (Saudi Arabia)
        {1257, 0x0427}, // Lithuanian
        {1258, 0x042A}, // Vietnamese
    };
    for (const Entry& entry : table)
        if (entry.codePage == codePage)
            return entry.locale;
    return std::nullopt;
}

std::unique_ptr<CPluginLibrary> CPluginLibrary::Open(const std::string& path, std::string& error)
{
#if defined(_WIN32)
    std::wstring wide = FromUtf8(path);
    // With a full path the library's own directory is searched for what it needs, not ours.
    wchar_t full[MAX_PATH * 4];
    DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    if (length > 0 && length < std::size(full))
        wide.assign(full, length);
    HMODULE handle = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!handle)
    {
        error = "cannot load the plug-in " + path + ": " + LastError();
        return nullptr;
    }
    return std::unique_ptr<CPluginLibrary>(new CPluginLibrary(handle));
#else
    // A name without a slash would be looked up in the library search path, not taken as a file.
    std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* reason = dlerror();
        error = "cannot load the plug-in " + path + ": " + (reason ? reason : "unknown error");
        return nullptr;
    }
    return std::unique_ptr<CPluginLibrary>(new CPluginLibrary(handle));
#endif
}

CPluginLibrary::~CPluginLibrary()
{
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(m_handle));
#else
    dlclose(m_handle);
#endif
}

void* CPluginLibrary::Symbol(const char* name) const
{
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
#else
    return dlsym(m_handle, name);
#endif
}

Plugin::IGroundBasedMIP* CPluginLibrary::CreatePlugin(std::string& error) const
{
    void* symbol = Symbol("CreatePlugin");
    if (!symbol)
    {
        error = "the library does not export CreatePlugin";
        return nullptr;
    }
    CreatePluginFunction create = nullptr;
    static_assert(sizeof create == sizeof symbol, "function and data pointers of one size");
    std::memcpy(&create, &symbol, sizeof create);
    Plugin::IGroundBasedMIP* plugin = create();
    if (!plugin)
        error = "CreatePlugin returned no plug-in object";
    return plugin;
}

CPluginLibrary::CodePageResult CPluginLibrary::SelectCodePage(unsigned int codePage,
                                                              std::string& error) const
{
#if defined(_WIN32)
    std::optional<std::uint32_t> locale = LocaleForAnsiCodePage(codePage);
    if (!locale)
    {
        error = "code page " + std::to_string(codePage) + " is not the ANSI code page of a locale";
        return CodePageResult::UnknownCodePage;
    }
    LCID lcid = MAKELCID(*locale, SORT_DEFAULT);
    unsigned int actual = 0;
    if (GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&actual), sizeof actual / sizeof(wchar_t)) == 0 ||
        actual != codePage)
    {
        error = "this system has no locale with the ANSI code page " + std::to_string(codePage);
        return CodePageResult::UnknownCodePage;
    }
    if (!SetThreadLocale(lcid))
    {
        error = "cannot select code page " + std::to_string(codePage) + ": " + LastError();
        return CodePageResult::CannotSelect;
    }
    return CodePageResult::Selected;
#else
    // Only the plug-in knows which pages it decodes: it answers for itself.
    void* symbol = Symbol("OrvaSetThreadCodePage");
    if (!symbol)
    {
        error = "the plug-in does not export OrvaSetThreadCodePage";
        return CodePageResult::CannotSelect;
    }
    bool (*select)(unsigned int) = nullptr;
    std::memcpy(&select, &symbol, sizeof select);
    if (!select(codePage))
    {
        error = "code page " + std::to_string(codePage) + " cannot be decoded by the plug-in";
        return CodePageResult::UnknownCodePage;
    }
    return CodePageResult::Selected;
#endif
}

bool CheckIdentity(Plugin::IGroundBasedMIP* plugin, std::string& error)
{
    std::wstring name = TakeString(plugin->GetName());
    std::wstring mask = TakeString(plugin->GetFileMask());
    std::int32_t kind = plugin->GetKind();
#if PLUGIN_MICROSOFT_ABI
    GUID id = plugin->GetId();
#else
    GUID id{};
    plugin->GetId(&id);
#endif
    if (name != L"ORVA" || mask != L"*.idx" || kind != ImportPluginKind ||
        std::memcmp(&id, &OrvaPluginId, sizeof id) != 0)
    {
        error = "the library is not the ORVA import plug-in (name \"" + ToUtf8(name) +
                "\", file mask \"" + ToUtf8(mask) + "\", kind " + std::to_string(kind) + ")";
        return false;
    }
    return true;
}

} // namespace Host
