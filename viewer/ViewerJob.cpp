#include "viewer/ViewerJob.h"

#include "host/formats/csv/CsvReportSink.h"
#include "host/formats/csv/CsvSink.h"
#include "host/formats/geojson/GeoJsonSink.h"
#include "host/formats/json/JsonSink.h"
#include "host/formats/summary/InfoSink.h"
#include "host/formats/svg/SvgSink.h"
#include "host/kit/SinkFanOut.h"
#include "host/kit/Utf8.h"
#include "plugin/ReaderCore.h"

#include <new>
#include <vector>

namespace Viewer
{

using namespace Host;

// The sinks of one file, as orva-import makes them for each file of its list.
class CViewerJob::CFileSinks final : public CSinkFanOut
{
public:
    CFileSinks(CViewerJob& job, std::size_t index)
    {
        const CDisplayUnits& units = job.m_units;
        if (job.Wants(Output::Summary))
            Keep(std::make_unique<CInfoSink>(job.Sink(Output::Summary), InfoLayout::Json, index));
        if (job.Wants(Output::Plan))
            Keep(std::make_unique<CSvgSink>(job.m_plan.emplace_back()));
        if (job.Wants(Output::Json))
            Keep(std::make_unique<CJsonSink>(job.Sink(Output::Json), index, units));
        if (job.Wants(Output::GeoJson))
            Keep(std::make_unique<CGeoJsonSink>(*job.m_features, units));
        IByteSink* points = Table(job, Output::Points);
        IByteSink* stations = Table(job, Output::Stations);
        IByteSink* observations = Table(job, Output::Observations);
        IByteSink* extraValues = Table(job, Output::ExtraValues);
        if (points || stations || observations || extraValues)
            Keep(std::make_unique<CCsvSink>(points, stations, observations, extraValues, units));
        IByteSink* messages = Table(job, Output::Messages);
        IByteSink* files = Table(job, Output::Files);
        if (messages || files)
            Keep(std::make_unique<CCsvReportSink>(messages, files));
    }

private:
    static IByteSink* Table(CViewerJob& job, Output output)
    {
        return job.Wants(output) ? &job.Sink(output) : nullptr;
    }
    void Keep(std::unique_ptr<IRecordSink> sink)
    {
        Add(sink.get());
        m_owned.push_back(std::move(sink));
    }

    std::vector<std::unique_ptr<IRecordSink>> m_owned;
};

CViewerJob::CViewerJob(std::uint32_t outputs, const CDisplayUnits& units)
    : m_outputs(outputs), m_units(units), m_factory(CUnitConverterFactory::Create(),
                                                    [](CUnitConverterFactory* factory)
                                                    {
                                                        if (factory)
                                                            factory->Release();
                                                    })
{
    if (!m_factory)
        throw std::bad_alloc();
    m_features = std::make_unique<CFirstSeparatorDropped>(Sink(Output::GeoJson));
    StartDocuments();
}

CViewerJob::~CViewerJob() = default;

// The openings and header rows, as orva-import writes them before the first file.
void CViewerJob::StartDocuments()
{
    if (Wants(Output::Summary))
        WriteInfoDocumentStart(Sink(Output::Summary));
    if (Wants(Output::Json))
        WriteJsonDocumentStart(Sink(Output::Json), m_units);
    if (Wants(Output::GeoJson))
        WriteGeoJsonDocumentStart(Sink(Output::GeoJson));
    const Output tables[] = {Output::Points, Output::Stations, Output::Observations,
                             Output::ExtraValues};
    for (std::size_t i = 0; i < std::size(tables); ++i)
        if (Wants(tables[i]))
            WriteCsvHeader(static_cast<CsvTable>(i), Sink(tables[i]));
    if (Wants(Output::Messages))
        WriteCsvReportHeader(CsvReport::Messages, Sink(Output::Messages));
    if (Wants(Output::Files))
        WriteCsvReportHeader(CsvReport::Files, Sink(Output::Files));
}

FileOutcome CViewerJob::Import(const std::string& name, std::uint64_t size, IByteSource& source,
                               const std::function<std::string()>& whyUnreadable)
{
    if (m_finished)
        return FileOutcome::Failed;
    if (size > LargestFile)
        return FileOutcome::TooLarge;
    CFileSinks sinks(*this, m_files++);
    CRecordReceiver receiver(m_factory.get(), {&sinks});
    receiver.SetDisplayUnits(m_units);
    receiver.ShowPathAs(name);
    receiver.ExplainFileErrors(whyUnreadable);
    if (m_onProgress)
        receiver.OnProgress([this](const std::string&, float percent) { m_onProgress(percent); });
    // The converters tell this file's receiver which value failed; the receiver knows the line.
    m_factory->SetEvents(&receiver);
    ImportSource(FromUtf8(name), &source, &receiver, &receiver);
    m_factory->SetEvents(nullptr);
    if (receiver.Files() == 0)
        receiver.BeginFile(FromUtf8(name).c_str());
    receiver.Finish();
    if (receiver.Failed())
        return FileOutcome::Failed;
    return receiver.FilesNotImported() ? FileOutcome::NotImported : FileOutcome::Imported;
}

void CViewerJob::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    const bool anyFile = m_files > 0;
    if (Wants(Output::Summary))
        WriteInfoDocumentEnd(Sink(Output::Summary), anyFile);
    if (Wants(Output::Json))
        WriteJsonDocumentEnd(Sink(Output::Json), anyFile);
    if (Wants(Output::GeoJson))
        WriteGeoJsonDocumentEnd(Sink(Output::GeoJson));
    if (Wants(Output::Plan))
        WriteSvgPlan(std::vector<CPlanFile>(m_plan.begin(), m_plan.end()), Sink(Output::Plan));
}

} // namespace Viewer
