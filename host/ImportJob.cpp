#include "host/ImportJob.h"

#include "host/CsvSink.h"
#include "host/GeoJsonSink.h"
#include "host/JsonSink.h"
#include "host/MessageSink.h"
#include "host/OrderedOutput.h"
#include "host/RecordReceiver.h"
#include "host/SvgPlan.h"
#include "host/SvgSink.h"
#include "host/UnitConverters.h"
#include "host/Utf8.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
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
    // Every file has finished.
    virtual void Close() = 0;
};

class CJsonOutputs final : public COutputs
{
public:
    explicit CJsonOutputs(std::size_t files)
        : m_stdout(stdout, "the output"), m_ordered(m_stdout, files)
    {
        WriteJsonDocumentStart(m_stdout);
    }

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CJsonSink>(m_ordered.Producer(index), index);
    }
    void Finish(std::size_t index) override { m_ordered.Finish(index); }
    void Close() override
    {
        WriteJsonDocumentEnd(m_stdout, m_ordered.Producers() > 0);
        m_stdout.Close();
    }

private:
    CStreamSink m_stdout;
    COrderedOutput m_ordered;
};

class CCsvOutputs final : public COutputs
{
public:
    CCsvOutputs(const std::string& directory, std::size_t files)
    {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::path root = fs::u8path(directory);
        fs::create_directories(root, error);
        if (error)
            throw COutputError("cannot create " + directory + ": " + error.message());
        const struct
        {
            const char* name;
            CsvTable table;
        } tables[] = {{"points.csv", CsvTable::Points},
                      {"stations.csv", CsvTable::Stations},
                      {"observations.csv", CsvTable::Observations}};
        for (const auto& table : tables)
        {
            m_files.push_back(CStreamSink::Create((root / table.name).u8string()));
            WriteCsvHeader(table.table, *m_files.back());
            m_ordered.push_back(std::make_unique<COrderedOutput>(*m_files.back(), files));
        }
    }

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CCsvSink>(&m_ordered[0]->Producer(index),
                                          &m_ordered[1]->Producer(index),
                                          &m_ordered[2]->Producer(index));
    }
    void Finish(std::size_t index) override
    {
        for (auto& ordered : m_ordered)
            ordered->Finish(index);
    }
    void Close() override
    {
        for (auto& file : m_files)
            file->Close();
    }

private:
    std::vector<std::unique_ptr<CStreamSink>> m_files;
    std::vector<std::unique_ptr<COrderedOutput>> m_ordered;
};

class CGeoJsonOutputs final : public COutputs
{
public:
    explicit CGeoJsonOutputs(std::size_t files)
        : m_stdout(stdout, "the output"), m_features(m_stdout), m_ordered(m_features, files)
    {
        WriteGeoJsonDocumentStart(m_stdout);
    }

    std::unique_ptr<IRecordSink> SinkFor(std::size_t index) override
    {
        return std::make_unique<CGeoJsonSink>(m_ordered.Producer(index));
    }
    void Finish(std::size_t index) override { m_ordered.Finish(index); }
    void Close() override
    {
        WriteGeoJsonDocumentEnd(m_stdout);
        m_stdout.Close();
    }

private:
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
    void Close() override
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
    const CPluginLibrary& library;
    Plugin::IGroundBasedMIP* plugin;
    const CImportJob& job;
    CConsole& console;
    COutputs& outputs;
    COrderedOutput& messages;
    // How many files, from the one being written on, may be read at once.
    std::size_t window;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> notImported{0};
    std::atomic<bool> failed{false};
};

void ImportOne(CShared& shared, std::size_t index, IUnitConverterFactory* factory)
{
    const std::string& path = shared.job.files[index];
    std::unique_ptr<IRecordSink> sink = shared.outputs.SinkFor(index);
    CMessageSink messages(shared.messages.Producer(index));
    CRecordReceiver receiver(factory, {sink.get(), &messages});
    receiver.OnOutputError(shared.job.onOutputError);
    // Only the file whose output is being written draws the bar; the others would fight over it.
    receiver.OnProgress(
        [&shared, index](const std::string& file, float percent)
        {
            if (shared.messages.Current() == index)
                shared.console.Progress(file, percent);
        });
    CPathList list({FromUtf8(path)});
    shared.plugin->Import(&list, &receiver);
    // A plug-in that skipped the file still gets its entry, so that the document stays whole.
    if (receiver.Files() == 0)
        receiver.BeginFile(FromUtf8(path).c_str());
    receiver.Finish();
    if (receiver.Failed())
        shared.failed = true;
    shared.notImported += receiver.FilesNotImported();
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
            shared.library.SelectCodePage(*shared.job.codePage, ignored);
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

} // namespace

unsigned DefaultThreads()
{
    unsigned cores = std::thread::hardware_concurrency();
    return cores ? cores : 1;
}

CImportOutcome RunImport(const CPluginLibrary& library, Plugin::IGroundBasedMIP* plugin,
                         const CImportJob& job, CConsole& console)
{
    CImportOutcome outcome;
    try
    {
        std::unique_ptr<COutputs> outputs;
        if (job.format == OutputFormat::Csv)
            outputs = std::make_unique<CCsvOutputs>(job.outputDirectory, job.files.size());
        else if (job.format == OutputFormat::Svg)
            outputs = std::make_unique<CSvgOutputs>(job.files.size());
        else if (job.format == OutputFormat::GeoJson)
            outputs = std::make_unique<CGeoJsonOutputs>(job.files.size());
        else
            outputs = std::make_unique<CJsonOutputs>(job.files.size());
        COrderedOutput messages(console, job.files.size());
        std::size_t threads =
            std::min<std::size_t>(job.threads ? job.threads : 1, job.files.size());
        CShared shared{library, plugin, job, console, *outputs, messages, 4 * threads};
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
        outputs->Close();
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
