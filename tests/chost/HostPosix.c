/* The integration host's system layer on POSIX systems. */
#define _POSIX_C_SOURCE 200809L
#define _DEFAULT_SOURCE

#include "HostPlatform.h"

#if !defined(ORVA_CHOST_LINKED)
#include <dlfcn.h>
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char g_directory[512];
static char g_written[16][600];
static int g_writtenCount;

#if defined(ORVA_CHOST_LINKED)
/* WebAssembly loads no library: the plug-in is linked into the host, and "loading" it only
   hands out its two entries by name. */
OrvaPlugin* CreatePlugin(void);
bool OrvaSetThreadCodePage(unsigned int codePage);

bool HostLoadLibrary(const char* path, char* error, size_t errorSize)
{
    (void)path;
    (void)error;
    (void)errorSize;
    return true;
}

void* HostFindSymbol(const char* name)
{
    if (strcmp(name, "CreatePlugin") == 0)
        return (void*)CreatePlugin;
    if (strcmp(name, "OrvaSetThreadCodePage") == 0)
        return (void*)OrvaSetThreadCodePage;
    return NULL;
}

void HostUnloadLibrary(void) {}
#else
static void* g_library;

bool HostLoadLibrary(const char* path, char* error, size_t errorSize)
{
    g_library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!g_library)
        snprintf(error, errorSize, "%s", dlerror());
    return g_library != NULL;
}

void* HostFindSymbol(const char* name)
{
    void* symbol = dlsym(g_library, name);
    return symbol;
}

void HostUnloadLibrary(void)
{
    if (g_library)
        dlclose(g_library);
    g_library = NULL;
}
#endif

/* The block starts at the 32-bit count before the first character. */
void HostFreeString(OrvaBstr text)
{
    if (text)
        free((char*)text - 4);
}

void HostWriteOutput(const char* bytes, size_t size)
{
    fwrite(bytes, 1, size, stdout);
    fflush(stdout);
}

bool HostMakeDirectory(void)
{
    const char* base = getenv("TMPDIR");
    if (!base || !*base)
        base = "/tmp";
    snprintf(g_directory, sizeof g_directory, "%s/orva-chost-XXXXXX", base);
    return mkdtemp(g_directory) != NULL;
}

static bool Widen(const char* narrow, wchar_t* wide, size_t capacity)
{
    size_t length = mbstowcs(wide, narrow, capacity);
    if (length == (size_t)-1 || length >= capacity)
        return false;
    return true;
}

bool HostFilePath(const char* name, wchar_t* path, size_t capacity)
{
    char narrow[600];
    snprintf(narrow, sizeof narrow, "%s/%s", g_directory, name);
    return Widen(narrow, path, capacity);
}

bool HostWriteFile(const char* name, const char* bytes, size_t size, wchar_t* path, size_t capacity)
{
    if (g_writtenCount == 16)
        return false;
    char* narrow = g_written[g_writtenCount];
    snprintf(narrow, sizeof g_written[0], "%s/%s", g_directory, name);
    FILE* file = fopen(narrow, "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes, 1, size, file) == size;
    written = fclose(file) == 0 && written;
    ++g_writtenCount;
    return written && Widen(narrow, path, capacity);
}

void HostRemoveFiles(void)
{
    for (int i = 0; i < g_writtenCount; ++i)
        remove(g_written[i]);
    g_writtenCount = 0;
    rmdir(g_directory);
}

bool HostSelectCyrillic(const char** how)
{
    OrvaSetThreadCodePageFunction select =
        (OrvaSetThreadCodePageFunction)HostFindSymbol("OrvaSetThreadCodePage");
    if (!select)
    {
        *how = "the library exports no OrvaSetThreadCodePage";
        return false;
    }
    *how = "OrvaSetThreadCodePage(1251)";
    return select(1251);
}
