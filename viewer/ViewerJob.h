// The import the page runs: the files of one drop, one after the other, into the outputs that
// orva-import writes for them (the same sinks), held in memory until the page takes them. Only
// the outputs asked for are made, so that viewing a large job does not also hold its JSON.
#pragma once

#include "host/formats/geojson/GeoJsonSink.h"
#include "host/formats/svg/SvgPlan.h"
#include "host/kit/DisplayUnits.h"
#include "host/kit/RecordReceiver.h"
#include "plugin/ByteSource.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace Viewer
{

// Each one document for all the files of the job.
enum class Output
{
    Summary, // orva-import info --format json
    Plan,    // --format svg
    Json,    // the default output
    GeoJson, // --format geojson
    Points,  // the tables of --format csv
    Stations,
    Observations,
    ExtraValues,
    Messages,
    Files,
    Count
};

// The bit of an output in a set of them.
constexpr std::uint32_t Bit(Output output)
{
    return std::uint32_t{1} << static_cast<unsigned>(output);
}

// How an import of one file ended.
enum class FileOutcome
{
    Imported,
    NotImported, // the reader reported a file error (it could not read the file)
    TooLarge,    // past what the page reads: not read at all
    Failed       // memory ran out; the outputs are incomplete
};

class CViewerJob
{
public:
    // Past this a file is not read: its lines are counted in 32 bits, and a browser's array of
    // bytes ends there too.
    static constexpr std::uint64_t LargestFile = 0x7FFFFFFF;

    using ProgressHandler = std::function<void(float percent)>;

    CViewerJob(std::uint32_t outputs, const Host::CDisplayUnits& units);
    ~CViewerJob();

    CViewerJob(const CViewerJob&) = delete;
    CViewerJob& operator=(const CViewerJob&) = delete;

    void OnProgress(ProgressHandler handler) { m_onProgress = std::move(handler); }

    // Imports the next file of the job, size bytes from source, shown as name (UTF-8) in the
    // outputs; whyUnreadable gives the cause of a file error.
    FileOutcome Import(const std::string& name, std::uint64_t size, IByteSource& source,
                       const std::function<std::string()>& whyUnreadable);
    // Closes the documents; nothing may be imported after.
    void Finish();

    const std::string& Text(Output output) const
    {
        return m_texts[static_cast<std::size_t>(output)].text;
    }

private:
    class CFileSinks;
    class CText final : public Host::IByteSink
    {
    public:
        void Write(const char* data, std::size_t size) override { text.append(data, size); }
        std::string text;
    };

    bool Wants(Output output) const { return (m_outputs & Bit(output)) != 0; }
    CText& Sink(Output output) { return m_texts[static_cast<std::size_t>(output)]; }
    void StartDocuments();

    std::uint32_t m_outputs;
    Host::CDisplayUnits m_units;
    ProgressHandler m_onProgress;
    std::size_t m_files = 0;
    bool m_finished = false;

    std::array<CText, static_cast<std::size_t>(Output::Count)> m_texts;
    std::unique_ptr<Host::CFirstSeparatorDropped>
        m_features; // the GeoJSON features, but the first separator
    // The plan's share of each file, drawn at the end; a deque, as the sinks hold references.
    std::deque<Host::CPlanFile> m_plan;
    std::unique_ptr<Host::CUnitConverterFactory, void (*)(Host::CUnitConverterFactory*)> m_factory;
};

} // namespace Viewer
