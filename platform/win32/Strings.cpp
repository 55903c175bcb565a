#include "platform/Platform.h"

#include <windows.h>

#include <oleauto.h>

namespace Platform
{
namespace
{

// The module this code is linked into (the plug-in DLL, or a test program), not the process's
// executable: the message table travels with the code that reads it.
HMODULE OwnModule()
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&OwnModule), &module))
        return nullptr;
    return module;
}

} // namespace

// A string table keeps sixteen entries a block, block id/16 + 1; each entry is a 16-bit length
// followed by that many UTF-16 units, an absent entry having length 0.
bool LoadModuleString(std::int32_t id, std::wstring& text)
{
    if (id < 0 || id / 16 + 1 > 0xFFFF)
        return false;
    HMODULE module = OwnModule();
    if (!module)
        return false;
    LPCWSTR block = MAKEINTRESOURCEW(id / 16 + 1);
    HRSRC resource =
        ::FindResourceExW(module, RT_STRING, block, MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    if (!resource)
        resource = ::FindResourceW(module, block, RT_STRING);
    if (!resource)
        return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* data = loaded ? static_cast<const WCHAR*>(::LockResource(loaded)) : nullptr;
    if (!data)
        return false;
    const std::size_t units = ::SizeofResource(module, resource) / sizeof(WCHAR);
    std::size_t position = 0;
    for (int entry = 0; entry < id % 16; ++entry)
    {
        if (position >= units)
            return false;
        position += 1 + data[position];
    }
    if (position >= units || data[position] == 0 || position + 1 + data[position] > units)
        return false;
    text.assign(reinterpret_cast<const wchar_t*>(data + position + 1), data[position]);
    return true;
}

BSTR AllocateString(const wchar_t* text) noexcept
{
    return text ? ::SysAllocString(text) : nullptr;
}

void FreeString(BSTR text) noexcept
{
    ::SysFreeString(text);
}

std::uint32_t StringByteLength(BSTR text) noexcept
{
    return ::SysStringByteLen(text);
}

} // namespace Platform
