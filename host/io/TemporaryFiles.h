// Files this program makes for the length of a run: the spooled standard input and the outputs
// written beside the files they replace. Each is registered until its owner renames or removes
// it, so that a program that ends at once after a failure can still take them away.
#pragma once

#include <cstdio>
#include <string>

namespace Host
{

struct CTemporaryFile
{
    std::string path;  // UTF-8
    std::FILE* stream; // open for writing in binary mode; the caller closes it
};

// A new file in directory (UTF-8; empty for the current one) named prefix, a random part and
// suffix, open for writing. It can be removed while open, on Windows too. Throws COutputError
// when none can be made.
CTemporaryFile CreateTemporaryFile(const std::string& directory, const std::string& prefix,
                                   const std::string& suffix);

// A file for a spool, open for reading and writing, that no other program can open and that the
// system removes however the process ends: unlinked at once on POSIX, deleted on close on
// Windows. Made in the system's folder for temporary files; throws COutputError when it cannot.
std::FILE* OpenScratchFile();

// The file is no longer temporary (it was renamed) or is gone.
void ForgetTemporaryFile(const std::string& path);

// Removes the file and forgets it; false when it could not be removed.
bool RemoveTemporaryFile(const std::string& path) noexcept;

// Removes every file still registered, as the last thing a failing program does; safe while
// other threads write to them.
void RemoveTemporaryFiles() noexcept;

} // namespace Host
