#include "host/cli/ImportJob.h"

#include "host/cli/FileProblem.h"
#include "host/cli/MessageSink.h"
#include "host/cli/RecordPipe.h"
#include "host/formats/csv/CsvReportSink.h"
#include "host/formats/csv/CsvSink.h"
#include "host/formats/geojson/GeoJsonSink.h"
#include "host/formats/json/JsonSink.h"
#include "host/formats/summary/InfoSink.h"
#include "host/formats/svg/SvgPlan.h"
#include "host/formats/svg/SvgSink.h"
#include "host/io/OrderedOutput.h"
#include "host/io/ReplacedFiles.h"
#include "host/kit/FileNames.h"
#include "host/kit/RecordReceiver.h"
#include "host/kit/SinkFanOut.h"
#include "host/kit/UnitConverters.h"
#include "host/kit/Utf8.h"

#include "platform/Platform.h"
#include "plugin/ReaderCore.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace Host
{
namespace
{

// The destinations of one format, each taken in file order.
class COutputs
{
public:
    virtual ~COutputs() = default;
    // The sink of file index, writing to that file's producers.
    virtual std::unique_ptr<IRecordSink> SinkFor(std::size_t index) = 0;
    // File index wrote its last record.
    virtual void Finish(std::size_t index) = 0;
    // Every file has finished; complete when the run did all it had to, and the outputs are to
    // take the place of those from before.
    virtual void Close(bool complete) = 0;
};

class CJsonOutputs final : public COutputs
{
public:
    // To stdout when file is empty.
    CJsonOutputs(const std::string& file, std::size_t files, const CDisplayUnits& units)
        : m_units(units), m_stdout(stdout, "the output"),
          m_document(file.empty() ? m_stdout : m_file.Add(file)), m_ordered(m_document, files)
    {
        WriteJsonDocumentStart(m_document, m_units);
    }

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CJsonSink>(m_ordered.Producer(index), index, m_units);
    }
    void Finish(std::size_t index) override { m_ordered.Finish(index); }
    void Close(bool complete) override
    {
        WriteJsonDocumentEnd(m_document, m_ordered.Producers() > 0);
        m_stdout.Close();
        if (complete)
            m_file.Commit();
    }

private:
    CDisplayUnits m_units;
    CStreamSink m_stdout;
    CReplacedFiles m_file;
    IByteSink& m_document;
    COrderedOutput m_ordered;
};

class CInfoOutputs final : public COutputs
{
public:
    CInfoOutputs(std::size_t files, InfoLayout layout, std::atomic<std::uint64_t>& notes)
        : m_layout(layout), m_notes(notes), m_stdout(stdout, "the output"),
          m_ordered(m_stdout, files)
    {
        if (m_layout == InfoLayout::Json)
            WriteInfoDocumentStart(m_stdout);
    }

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CInfoSink>(m_ordered.Producer(index), m_layout, index, &m_notes);
    }
    void Finish(std::size_t index) override { m_ordered.Finish(index); }
    void Close(bool) override
    {
        if (m_layout == InfoLayout::Json)
            WriteInfoDocumentEnd(m_stdout, m_ordered.Producers() > 0);
        m_stdout.Close();
    }

private:
    InfoLayout m_layout;
    std::atomic<std::uint64_t>& m_notes;
    CStreamSink m_stdout;
    COrderedOutput m_ordered;
};

// The tables, all in one directory, each made by one of the sinks of a file.
class CCsvOutputs final : public COutputs
{
public:
    CCsvOutputs(const std::string& directory, std::size_t files, const CDisplayUnits& units)
        : m_units(units)
    {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::path root = fs::u8path(directory);
        fs::create_directories(root, error);
        if (error)
            throw COutputError("cannot create " + directory + ": " + error.message());
        // In the order of CsvTable, then the report's tables.
        const char* const names[] = {"points.csv",       "stations.csv", "observations.csv",
                                     "extra_values.csv", "messages.csv", "files.csv"};
        for (std::size_t i = 0; i < std::size(names); ++i)
        {
            IByteSink& file = m_files.Add((root / names[i]).u8string());
            if (i == MessagesTable)
                WriteCsvReportHeader(CsvReport::Messages, file);
            else if (i == FilesTable)
                WriteCsvReportHeader(CsvReport::Files, file);
            else
                WriteCsvHeader(static_cast<CsvTable>(i), file);
            m_ordered.push_back(std::make_unique<COrderedOutput>(file, files));
        }
    }

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CCsvSinks>(
            CCsvSink(&m_ordered[0]->Producer(index), &m_ordered[1]->Producer(index),
                     &m_ordered[2]->Producer(index), &m_ordered[3]->Producer(index), m_units),
            CCsvReportSink(&m_ordered[MessagesTable]->Producer(index),
                           &m_ordered[FilesTable]->Producer(index)));
    }
    void Finish(std::size_t index) override
    {
        for (auto& ordered : m_ordered)
            ordered->Finish(index);
    }
    void Close(bool complete) override
    {
        if (complete)
            m_files.Commit();
    }

private:
    CDisplayUnits m_units;
    static constexpr std::size_t MessagesTable = 4;
    static constexpr std::size_t FilesTable = 5;

    // The record tables and the report tables of one file.
    class CCsvSinks final : public CSinkFanOut
    {
    public:
        CCsvSinks(CCsvSink records, CCsvReportSink report)
            : m_records(std::move(records)), m_report(std::move(report))
        {
            Add(&m_records);
            Add(&m_report);
        }

    private:
        CCsvSink m_records;
        CCsvReportSink m_report;
    };

    // Declared first: the ordered outputs write to these files until they are destroyed.
    CReplacedFiles m_files;
    std::vector<std::unique_ptr<COrderedOutput>> m_ordered;
};

class CGeoJsonOutputs final : public COutputs
{
public:
    CGeoJsonOutputs(std::size_t files, const CDisplayUnits& units)
        : m_units(units), m_stdout(stdout, "the output"), m_features(m_stdout),
          m_ordered(m_features, files)
    {
        WriteGeoJsonDocumentStart(m_stdout);
    }

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CGeoJsonSink>(m_ordered.Producer(index), m_units);
    }
    void Finish(std::size_t index) override { m_ordered.Finish(index); }
    void Close(bool) override
    {
        WriteGeoJsonDocumentEnd(m_stdout);
        m_stdout.Close();
    }

private:
    CDisplayUnits m_units;
    CStreamSink m_stdout;
    CFirstSeparatorDropped m_features;
    COrderedOutput m_ordered;
};

// The plan is drawn once every file is in; each file fills its own part, on its own thread.
class CSvgOutputs final : public COutputs
{
public:
    explicit CSvgOutputs(std::size_t files) : m_stdout(stdout, "the output"), m_plan(files) {}

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CSvgSink>(m_plan[index]);
    }
    void Finish(std::size_t) override {}
    void Close(bool) override
    {
        WriteSvgPlan(m_plan, m_stdout);
        m_stdout.Close();
    }

private:
    CStreamSink m_stdout;
    std::vector<CPlanFile> m_plan;
};

struct CShared
{
    // Null for the reader linked into this program.
    const CPluginLibrary* library;
    Plugin::IGroundBasedMIP* plugin;
    const CImportJob& job;
    CConsole& console;
    COutputs& outputs;
    COrderedOutput& messages;
    // How many files, from the one being written on, may be read at once.
    std::size_t window;
    // Whether each file's sinks run on a thread of their own.
    bool pipeSinks;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> notImported{0};
    std::atomic<std::uint64_t> reports{0};
    std::atomic<bool> failed{false};
};

void ImportOne(CShared& shared, std::size_t index, CUnitConverterFactory* factory)
{
    const std::string& path = shared.job.files[index];
    std::unique_ptr<IRecordSink> sink = shared.outputs.SinkFor(index);
    CMessageSink messages(shared.messages.Producer(index));
    // The summary lists the messages itself, on stdout.
    const bool summary =
        shared.job.format == OutputFormat::Info || shared.job.format == OutputFormat::InfoJson;
    std::vector<IRecordSink*> sinks{sink.get()};
    if (!summary)
        sinks.push_back(&messages);
    // With a core to spare, the outputs are written while the plug-in reads on.
    std::optional<CRecordPipe> pipe;
    if (shared.pipeSinks)
    {
        try
        {
            pipe.emplace(sinks);
            sinks = {&*pipe};
        }
        catch (const std::system_error&)
        {
        }
    }
    CRecordReceiver receiver(factory, std::move(sinks));
    if (!summary)
        receiver.SetDisplayUnits(shared.job.units);
    receiver.OnOutputError(shared.job.onOutputError);
    if (index < shared.job.shownNames.size())
        receiver.ShowPathAs(shared.job.shownNames[index]);
    receiver.ExplainFileErrors([&path] { return WhyUnreadable(path); });
    // Only the file whose output is being written draws the bar; the others would fight over it.
    receiver.OnProgress(
        [&shared, index](const std::string& file, float percent)
        {
            if (shared.messages.Current() == index)
                shared.console.Progress(file, percent);
        });
    const std::wstring widePath = WideFileName(path);
    // The factory serves this thread's files one after the other; its converters tell this
    // file's receiver which value failed, and the receiver knows the line.
    factory->SetEvents(&receiver);
    if (shared.library)
    {
        CPathList list({widePath});
        shared.plugin->Import(&list, &receiver);
    }
    else
        ImportFile(widePath, &receiver, &receiver);
    factory->SetEvents(nullptr);
    // A plug-in that skipped the file still gets its entry, so that the document stays whole.
    if (receiver.Files() == 0)
        receiver.BeginFile(widePath.c_str());
    receiver.Finish();
    if (receiver.Failed())
        shared.failed = true;
    shared.notImported += receiver.FilesNotImported();
    shared.reports += receiver.Reports();
    shared.outputs.Finish(index);
    shared.messages.Finish(index);
}

void Work(CShared& shared)
{
    try
    {
        if (shared.job.codePage)
        {
            std::string ignored;
            if (shared.library)
                shared.library->SelectCodePage(*shared.job.codePage, ignored);
            else
                Platform::SelectThreadCodePage(*shared.job.codePage);
        }
        CUnitConverterFactory* factory = CUnitConverterFactory::Create();
        std::unique_ptr<CUnitConverterFactory, void (*)(CUnitConverterFactory*)> release(
            factory, [](CUnitConverterFactory* f) { f->Release(); });
        for (std::size_t index = shared.next++; index < shared.job.files.size();
             index = shared.next++)
        {
            // A file far ahead of the one being written would only add to the spools.
            shared.messages.WaitForWindow(index, shared.window);
            ImportOne(shared, index, factory);
        }
    }
    catch (const COutputError& error)
    {
        shared.failed = true;
        if (shared.job.onOutputError)
            shared.job.onOutputError(error);
    }
    catch (...)
    {
        shared.failed = true;
    }
}

std::unique_ptr<COutputs> MakeOutputs(const CImportJob& job, std::atomic<std::uint64_t>& notes)
{
    switch (job.format)
    {
    case OutputFormat::Json:
        break;
    case OutputFormat::Csv:
        return std::make_unique<CCsvOutputs>(job.outputDirectory, job.files.size(), job.units);
    case OutputFormat::Info:
        return std::make_unique<CInfoOutputs>(job.files.size(), InfoLayout::Text, notes);
    case OutputFormat::InfoJson:
        return std::make_unique<CInfoOutputs>(job.files.size(), InfoLayout::Json, notes);
    case OutputFormat::Svg:
        return std::make_unique<CSvgOutputs>(job.files.size());
    case OutputFormat::GeoJson:
        return std::make_unique<CGeoJsonOutputs>(job.files.size(), job.units);
    }
    return std::make_unique<CJsonOutputs>(job.outputFile, job.files.size(), job.units);
}

} // namespace

unsigned DefaultThreads()
{
    unsigned cores = std::thread::hardware_concurrency();
    return cores ? cores : 1;
}

CImportOutcome RunImport(const CPluginLibrary* library, Plugin::IGroundBasedMIP* plugin,
                         const CImportJob& job, CConsole& console)
{
    CImportOutcome outcome;
    try
    {
        std::atomic<std::uint64_t> notes{0};
        std::unique_ptr<COutputs> outputs = MakeOutputs(job, notes);
        COrderedOutput messages(console, job.files.size());
        std::size_t threads =
            std::min<std::size_t>(job.threads ? job.threads : 1, job.files.size());
        CShared shared{library,  plugin,   job,         console,
                       *outputs, messages, 4 * threads, threads < DefaultThreads()};
        if (threads <= 1)
            Work(shared);
        else
        {
            std::vector<std::thread> workers;
            try
            {
                for (std::size_t i = 0; i < threads; ++i)
                    workers.emplace_back([&shared] { Work(shared); });
            }
            catch (const std::system_error&)
            {
                // Fewer threads than asked for still import every file; none at all, this one.
                if (workers.empty())
                    Work(shared);
            }
            for (std::thread& worker : workers)
                worker.join();
        }
        console.ClearProgress();
        outcome.filesNotImported = shared.notImported;
        outcome.failed = shared.failed;
        outcome.reports = shared.reports + notes;
        outputs->Close(!shared.failed);
    }
    catch (const COutputError& error)
    {
        outcome.failed = true;
        if (job.onOutputError)
            job.onOutputError(error);
    }
    return outcome;
}

} // namespace Host
