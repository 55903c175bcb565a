/* Reads a module's version resource through the version API, as Windows does for the file's
 * properties, and checks it against the project version.
 *   orva_check_version MODULE VERSION
 * Prints what it read; exits 1 when a value differs or is missing. */
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

static int failures = 0;

static void Fail(const char* what)
{
    fprintf(stderr, "%s\n", what);
    ++failures;
}

/* The value of one string of the first translation the module announces, or null. */
static const wchar_t* StringValue(const void* block, const wchar_t* name)
{
    struct Translation
    {
        WORD language;
        WORD codePage;
    };
    struct Translation* translation = NULL;
    UINT size = 0;
    if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", (void**)&translation, &size) ||
        size < sizeof *translation)
        return NULL;
    wchar_t path[128];
    swprintf(path, sizeof path / sizeof path[0], L"\\StringFileInfo\\%04x%04x\\%ls",
             translation->language, translation->codePage, name);
    wchar_t* value = NULL;
    if (!VerQueryValueW(block, path, (void**)&value, &size) || size == 0)
        return NULL;
    return value;
}

static void ExpectString(const void* block, const wchar_t* name, const wchar_t* expected)
{
    const wchar_t* value = StringValue(block, name);
    printf("%ls: %ls\n", name, value ? value : L"(none)");
    if (!value)
        Fail("a string is missing");
    else if (expected && wcscmp(value, expected) != 0)
        Fail("a string differs");
}

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        fprintf(stderr, "usage: orva_check_version MODULE VERSION\n");
        return 2;
    }
    const char* module = argv[1];
    unsigned int parts[4] = {0, 0, 0, 0};
    if (sscanf(argv[2], "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) < 3)
    {
        fprintf(stderr, "%s is not a version\n", argv[2]);
        return 2;
    }
    wchar_t version[64];
    if (!MultiByteToWideChar(CP_ACP, 0, argv[2], -1, version, sizeof version / sizeof version[0]))
        return 2;
    const char* slash = strrchr(module, '/');
    const char* backslash = strrchr(module, '\\');
    const char* base = slash > backslash ? slash + 1 : backslash ? backslash + 1 : module;
    wchar_t fileName[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, base, -1, fileName, MAX_PATH))
        return 2;

    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(module, &ignored);
    if (size == 0)
    {
        fprintf(stderr, "%s has no version resource (error %lu)\n", module, GetLastError());
        return 1;
    }
    static char block[65536];
    if (size > sizeof block || !GetFileVersionInfoA(module, 0, size, block))
    {
        fprintf(stderr, "cannot read the version resource of %s\n", module);
        return 1;
    }

    VS_FIXEDFILEINFO* fixed = NULL;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block, L"\\", (void**)&fixed, &fixedSize) || fixedSize < sizeof *fixed ||
        fixed->dwSignature != 0xFEEF04BD)
    {
        fprintf(stderr, "%s: the fixed file information is missing\n", module);
        return 1;
    }
    DWORD high = (parts[0] << 16) | parts[1];
    DWORD low = (parts[2] << 16) | parts[3];
    printf("FILEVERSION %lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16,
           fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
           fixed->dwFileVersionLS & 0xFFFF);
    printf("PRODUCTVERSION %lu.%lu.%lu.%lu\n", fixed->dwProductVersionMS >> 16,
           fixed->dwProductVersionMS & 0xFFFF, fixed->dwProductVersionLS >> 16,
           fixed->dwProductVersionLS & 0xFFFF);
    if (fixed->dwFileVersionMS != high || fixed->dwFileVersionLS != low)
        Fail("FILEVERSION differs");
    if (fixed->dwProductVersionMS != high || fixed->dwProductVersionLS != low)
        Fail("PRODUCTVERSION differs");

    ExpectString(block, L"FileVersion", version);
    ExpectString(block, L"ProductVersion", version);
    ExpectString(block, L"ProductName", L"ORVA");
    ExpectString(block, L"OriginalFilename", fileName);
    ExpectString(block, L"FileDescription", NULL);
    return failures == 0 ? 0 : 1;
}
