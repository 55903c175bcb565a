// The few Windows functions the host calls, declared as the Windows SDK declares them (the SDK is
// not on this machine). They are linked through mingw-w64's import libraries of KERNEL32, SHELL32
// and OLEAUT32.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "plugin/PluginConfig.h" // BSTR

extern "C"
{
    typedef void* HANDLE;
    typedef void* HMODULE;
    typedef unsigned long DWORD;
    typedef int BOOL;
    typedef int64_t(__stdcall* FARPROC)();

    __declspec(dllimport) HMODULE __stdcall LoadLibraryW(const wchar_t* fileName);
    __declspec(dllimport) FARPROC __stdcall GetProcAddress(HMODULE module, const char* name);
    __declspec(dllimport) BOOL __stdcall FreeLibrary(HMODULE module);
    __declspec(dllimport) DWORD __stdcall GetLastError();
    __declspec(dllimport) HANDLE __stdcall GetStdHandle(DWORD which);
    __declspec(dllimport) BOOL __stdcall WriteFile(HANDLE file, const void* bytes, DWORD size,
                                                   DWORD* written, void* overlapped);
    __declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);
    __declspec(dllimport) wchar_t* __stdcall GetCommandLineW();
    __declspec(dllimport) void* __stdcall LocalFree(void* memory);
    __declspec(dllimport) HANDLE __stdcall GetProcessHeap();
    __declspec(dllimport) void* __stdcall HeapAlloc(HANDLE heap, DWORD flags, size_t size);
    __declspec(dllimport) BOOL __stdcall HeapFree(HANDLE heap, DWORD flags, void* memory);

    __declspec(dllimport) wchar_t** __stdcall CommandLineToArgvW(const wchar_t* commandLine,
                                                                 int* count);

    __declspec(dllimport) void __stdcall SysFreeString(BSTR text);
    __declspec(dllimport) unsigned int __stdcall SysStringByteLen(BSTR text);
}

constexpr DWORD StdOutputHandle = static_cast<DWORD>(-11);
constexpr DWORD StdErrorHandle = static_cast<DWORD>(-12);
