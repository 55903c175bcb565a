// Output files that appear together or not at all. Each is written to a temporary file beside
// the file it replaces; Commit puts all of them in place at the end, and until then, or when the
// run fails, the files from before stay as they were.
#pragma once

#include "host/io/ByteSink.h"

#include <memory>
#include <string>
#include <vector>

namespace Host
{

class CReplacedFiles
{
public:
    CReplacedFiles() = default;
    // Takes the temporary files away unless they were committed.
    ~CReplacedFiles();

    CReplacedFiles(const CReplacedFiles&) = delete;
    CReplacedFiles& operator=(const CReplacedFiles&) = delete;

    // The sink of the file that will be at path (UTF-8), whose folder exists; messages name it by
    // path. Throws COutputError when no temporary file can be made there.
    IByteSink& Add(const std::string& path);

    // Closes the temporary files and renames each onto its path. On failure every file is as it
    // was before the run and COutputError says why.
    void Commit();

    // Closes and removes the temporary files.
    void Discard() noexcept;

private:
    struct CEntry
    {
        std::string path;
        std::string temporary;
        std::string previous; // where the old file waits while the new ones are put in place
        std::unique_ptr<CStreamSink> sink;
    };

    void CheckReplaceable() const;
    void MovePreviousAside();
    void PutInPlace();
    void RestorePrevious() noexcept;

    std::vector<CEntry> m_entries;
};

} // namespace Host
