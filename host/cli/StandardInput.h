// Standard input as a file to import: the plug-in imports paths, so the bytes are copied to a
// temporary file, which goes when the spool does (or with the program, however it ends).
#pragma once

#include <cstdio>
#include <string>

namespace Host
{

// What the outputs call a file read from standard input.
constexpr const char* StandardInputName = "<stdin>";

class CStandardInputFile
{
public:
    // Copies everything from in until its end; throws COutputError when the copy cannot be made
    // and std::runtime_error when in cannot be read.
    explicit CStandardInputFile(std::FILE* in);
    ~CStandardInputFile();

    CStandardInputFile(const CStandardInputFile&) = delete;
    CStandardInputFile& operator=(const CStandardInputFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace Host
