// The module's entries, called from JavaScript. Each is a boundary: nothing thrown and no failure
// of the reader crosses it; the page learns of a failure from what an entry returns. One job at a
// time, as the module runs on the page's one worker.
#include "viewer/SliceSource.h"
#include "viewer/ViewerJob.h"

#include "host/kit/DisplayUnits.h"
#include "platform/Platform.h"

#include <emscripten.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The slices and the progress go through the functions that whoever loads the module puts on it:
// the page's worker (a File read with FileReaderSync) or a test under node (a file on disk).
// orvaReadSlice(offset, size) gives a Uint8Array of at most size bytes, or null when it cannot
// read.
// clang-format off
EM_JS(double, orva_read_slice, (double offset, char* buffer, double size), {
    try {
        const bytes = Module.orvaReadSlice(offset, size);
        if (!bytes || bytes.length > size)
            return -1;
        HEAPU8.set(bytes, buffer);
        return bytes.length;
    } catch (e) {
        return -1;
    }
});

EM_JS(void, orva_progress, (double percent), {
    try {
        if (Module.orvaProgress)
            Module.orvaProgress(percent);
    } catch (e) {
    }
});
// clang-format on

namespace
{

class CScriptSliceReader final : public Viewer::ISliceReader
{
public:
    long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) noexcept override
    {
        return static_cast<long long>(
            orva_read_slice(static_cast<double>(offset), buffer, static_cast<double>(size)));
    }
};

std::unique_ptr<Viewer::CViewerJob> g_job;

template <class Choice>
bool Choose(const char* name, const std::vector<std::pair<std::string, Choice>>& names,
            Choice& choice)
{
    for (const auto& [text, value] : names)
        if (name && text == name)
        {
            choice = value;
            return true;
        }
    return false;
}

} // namespace

extern "C"
{

    // Starts a job of the outputs (a set of Viewer::Bit) with the display units named as
    // orva-import's --angles and --lengths name them, decoding from codePage. 0 when it started, 1
    // for a unit or code page that this build does not know, 2 for want of memory.
    EMSCRIPTEN_KEEPALIVE int orva_viewer_begin(std::uint32_t outputs, const char* angles,
                                               const char* lengths, unsigned codePage)
    {
        try
        {
            g_job.reset();
            Host::CDisplayUnits units;
            if (!Choose(angles, Host::AngleDisplayNames(), units.angle) ||
                !Choose(lengths, Host::LengthDisplayNames(), units.length) ||
                !Platform::SelectThreadCodePage(codePage))
                return 1;
            g_job = std::make_unique<Viewer::CViewerJob>(outputs, units);
            g_job->OnProgress([](float percent) { orva_progress(percent); });
            return 0;
        }
        catch (...)
        {
            g_job.reset();
            return 2;
        }
    }

    // True when the build decodes the code page. It stays selected, which harms nothing: every job
    // selects its own.
    EMSCRIPTEN_KEEPALIVE int orva_viewer_decodes(unsigned codePage)
    {
        return Platform::SelectThreadCodePage(codePage);
    }

    // Imports the next file of the job, size bytes read through orvaReadSlice and shown as name.
    // The Viewer::FileOutcome as a number; Failed when no job was begun.
    EMSCRIPTEN_KEEPALIVE int orva_viewer_import(const char* name, double size)
    {
        try
        {
            if (!g_job || !name || !(size >= 0))
                return static_cast<int>(Viewer::FileOutcome::Failed);
            CScriptSliceReader reader;
            const auto bytes = static_cast<std::uint64_t>(size);
            Viewer::CSliceSource source(reader, bytes);
            return static_cast<int>(
                g_job->Import(name, bytes, source,
                              [&source]() -> std::string
                              { return source.Failed() ? "the browser could not read it" : ""; }));
        }
        catch (...)
        {
            return static_cast<int>(Viewer::FileOutcome::Failed);
        }
    }

    // Closes the job's documents; 0 when they are whole.
    EMSCRIPTEN_KEEPALIVE int orva_viewer_finish()
    {
        try
        {
            if (!g_job)
                return 1;
            g_job->Finish();
            return 0;
        }
        catch (...)
        {
            return 1;
        }
    }

    // The bytes of an output of the finished job (a Viewer::Output as a number), valid until the
    // next call into the module; orva_viewer_size gives their number. Null when there are none.
    EMSCRIPTEN_KEEPALIVE const char* orva_viewer_text(int output)
    {
        if (!g_job || output < 0 || output >= static_cast<int>(Viewer::Output::Count))
            return nullptr;
        return g_job->Text(static_cast<Viewer::Output>(output)).data();
    }

    EMSCRIPTEN_KEEPALIVE double orva_viewer_size(int output)
    {
        if (!g_job || output < 0 || output >= static_cast<int>(Viewer::Output::Count))
            return 0;
        return static_cast<double>(g_job->Text(static_cast<Viewer::Output>(output)).size());
    }

    // Ends the job and frees what it held.
    EMSCRIPTEN_KEEPALIVE void orva_viewer_end()
    {
        g_job.reset();
    }

} // extern "C"
