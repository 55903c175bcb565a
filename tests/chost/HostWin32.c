/* The integration host's system layer on Windows. */
#define WIN32_LEAN_AND_MEAN
#define UNICODE
#define _UNICODE

#include "HostPlatform.h"

#include <windows.h>

#include <oleauto.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

static HMODULE g_library;
static wchar_t g_directory[MAX_PATH];
static wchar_t g_written[16][MAX_PATH + 64];
static int g_writtenCount;

bool HostLoadLibrary(const char* path, char* error, size_t errorSize)
{
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH))
    {
        snprintf(error, errorSize, "path too long");
        return false;
    }
    g_library = LoadLibraryW(wide);
    if (!g_library)
        snprintf(error, errorSize, "LoadLibraryW failed with error %lu",
                 (unsigned long)GetLastError());
    return g_library != NULL;
}

void* HostFindSymbol(const char* name)
{
    FARPROC symbol = GetProcAddress(g_library, name);
    void* result;
    memcpy(&result, &symbol, sizeof result);
    return result;
}

void HostUnloadLibrary(void)
{
    if (g_library)
        FreeLibrary(g_library);
    g_library = NULL;
}

void HostFreeString(OrvaBstr text)
{
    SysFreeString(text);
}

void HostWriteOutput(const char* bytes, size_t size)
{
    fflush(stdout);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    while (size > 0)
    {
        DWORD written = 0;
        if (!WriteFile(output, bytes, (DWORD)size, &written, NULL) || written == 0)
            return;
        bytes += written;
        size -= written;
    }
}

bool HostMakeDirectory(void)
{
    wchar_t base[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, base);
    if (length == 0 || length > MAX_PATH - 40)
        return false;
    swprintf(g_directory, MAX_PATH, L"%lsorva-chost-%lu", base,
             (unsigned long)GetCurrentProcessId());
    return CreateDirectoryW(g_directory, NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool HostFilePath(const char* name, wchar_t* path, size_t capacity)
{
    size_t length = wcslen(g_directory);
    if (length + 2 >= capacity)
        return false;
    wmemcpy(path, g_directory, length);
    path[length++] = L'\\';
    return MultiByteToWideChar(CP_ACP, 0, name, -1, path + length, (int)(capacity - length)) > 0;
}

bool HostWriteFile(const char* name, const char* bytes, size_t size, wchar_t* path, size_t capacity)
{
    if (g_writtenCount == 16 || !HostFilePath(name, path, capacity))
        return false;
    wcsncpy(g_written[g_writtenCount], path, MAX_PATH + 63);
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ++g_writtenCount;
    DWORD written = 0;
    BOOL ok = size == 0 || WriteFile(file, bytes, (DWORD)size, &written, NULL);
    CloseHandle(file);
    return ok && written == size;
}

void HostRemoveFiles(void)
{
    for (int i = 0; i < g_writtenCount; ++i)
        DeleteFileW(g_written[i]);
    g_writtenCount = 0;
    RemoveDirectoryW(g_directory);
}

/* The plug-in decodes from the thread's ANSI code page, that of the thread's locale. */
bool HostSelectCyrillic(const char** how)
{
    DWORD page = 0;
    if (GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       (LPWSTR)&page, sizeof page / sizeof(wchar_t)) &&
        page == 1251)
    {
        *how = "the thread's locale already has ANSI code page 1251";
        return true;
    }
    *how = "SetThreadLocale(Russian)";
    return SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT)) != 0;
}
