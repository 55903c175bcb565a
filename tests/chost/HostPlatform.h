/* What the integration host needs of its operating system: loading the plug-in, a directory of
   test files, freeing strings, choosing the Cyrillic code page for the calling thread. */
#ifndef ORVA_HOST_PLATFORM_H
#define ORVA_HOST_PLATFORM_H

#include "OrvaAbi.h"

#include <stdbool.h>
#include <stddef.h>

/* Loads the library at path; false with a description in error on failure. */
bool HostLoadLibrary(const char* path, char* error, size_t errorSize);
void* HostFindSymbol(const char* name);
void HostUnloadLibrary(void);

void HostFreeString(OrvaBstr text);

/* Writes the bytes to standard output as they are, with no translation of line ends. */
void HostWriteOutput(const char* bytes, size_t size);

/* A fresh directory for the test files, removed with everything in it by HostRemoveFiles. */
bool HostMakeDirectory(void);
/* The wide path of a file of that name in the directory, whether or not it exists. */
bool HostFilePath(const char* name, wchar_t* path, size_t capacity);
/* Writes the bytes as a file of that name in the directory and gives its wide path. */
bool HostWriteFile(const char* name, const char* bytes, size_t size, wchar_t* path,
                   size_t capacity);
void HostRemoveFiles(void);

/* Makes the calling thread's imports decode from code page 1251; how says how it was done. */
bool HostSelectCyrillic(const char** how);

#endif
