// The plug-in's own throughput and memory on large files, beside a naive reader of the same
// files run in the same process, so that the figures hold as ratios on a busy machine.
//
//   orva_bench [--plugin PATH] [--rounds N] FILE...
//
// The plug-in is loaded as a host loads it and imports into a receiver and converters that cost
// nothing: what is measured is the plug-in alone. The naive reader is what a first attempt at an
// importer looks like: each line read with getline, split with Boost's escaped_list_separator,
// each field trimmed and read with wcstod.
//
// For each file it prints, after a first import that is measured for memory alone:
//   plugin  MB/s, rows/s, peak memory of the import as a multiple of the file's size
//   naive   MB/s, rows/s
//   floor   MB/s, lines/s of the file read in blocks and cut into lines, nothing parsed
//   ratio   plugin MB/s over naive MB/s, and over the floor's
// Times are the best of the rounds, the two readers taking turns. Exit status 1 when a run
// delivers a different number of records than the first, or a file is missing or empty.

#include "bench/CountingReceiver.h"
#include "bench/ProcessMemory.h"
#include "host/kit/PluginLibrary.h"
#include "host/kit/Utf8.h"
#include "plugin/ByteSearch.h"

#include <boost/algorithm/string/trim.hpp>
#include <boost/tokenizer.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <string>
#include <vector>

namespace
{

// Takes any text as the value of its first character: no number is parsed, yet the value
// depends on the text, so the plug-in's work cannot be skipped.
template <class I> class CFreeConverter final : public I
{
public:
    void AddRef() override {}
    bool Release() override { return false; } // lives as long as the factory
    bool Convert(const wchar_t* text, double* value) override
    {
        *value = static_cast<double>(text[0]);
        return true;
    }
};

class CFreeFactory final : public IUnitConverterFactory
{
public:
    void AddRef() override {}
    bool Release() override { return false; }
    Plugin::IAngleConverter* CreateAngleConverter(std::int32_t) override { return &m_angle; }
    ILinearConverter* CreateLinearConverter(std::int32_t) override { return &m_linear; }
    IPressureConverter* CreatePressureConverter(std::int32_t) override { return &m_pressure; }
    ITemperatureConverter* CreateTemperatureConverter(std::int32_t) override
    {
        return &m_temperature;
    }

private:
    CFreeConverter<Plugin::IAngleConverter> m_angle;
    CFreeConverter<ILinearConverter> m_linear;
    CFreeConverter<IPressureConverter> m_pressure;
    CFreeConverter<ITemperatureConverter> m_temperature;
};

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct CRun
{
    double seconds = 0.0;
    std::uint64_t rows = 0;
};

CRun ImportWithPlugin(Plugin::IGroundBasedMIP* plugin, const std::string& path)
{
    CFreeFactory factory;
    Bench::CCountingReceiver receiver(&factory);
    Host::CPathList list({Host::FromUtf8(path)});
    const Clock::time_point start = Clock::now();
    plugin->Import(&list, &receiver);
    CRun run{SecondsSince(start), receiver.Records()};
    if (receiver.messages != 0)
        std::fprintf(stderr, "orva_bench: %s: %llu messages\n", path.c_str(),
                     static_cast<unsigned long long>(receiver.messages));
    return run;
}

// Every field of every line, as a number where it reads as one; a row is a line of two or more
// fields. Bytes stand for the characters of their own number.
CRun ReadNaively(const std::string& path)
{
    using Separator = boost::escaped_list_separator<wchar_t>;
    using Tokenizer = boost::tokenizer<Separator, std::wstring::const_iterator, std::wstring>;
    const Clock::time_point start = Clock::now();
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    std::wstring line;
    CRun run;
    double sum = 0.0;
    const Separator separator(L"\\", L",", L"'\"");
    while (std::getline(in, bytes))
    {
        line.assign(bytes.begin(), bytes.end());
        std::size_t fields = 0;
        try
        {
            for (std::wstring field : Tokenizer(line, separator))
            {
                boost::algorithm::trim(field);
                wchar_t* end = nullptr;
                sum += std::wcstod(field.c_str(), &end);
                ++fields;
            }
        }
        catch (const boost::escaped_list_error&)
        {
            // A line the naive reader cannot split is skipped, as it would be there.
        }
        if (fields > 1)
            ++run.rows;
    }
    run.seconds = SecondsSince(start);
    if (sum == -1.0) // keeps the numbers from being optimised away
        std::puts("");
    return run;
}

// What the machine allows: the file read in the blocks the plug-in reads and cut into lines,
// nothing decoded or parsed. Its rows are the lines.
CRun ReadLinesOnly(const std::string& path)
{
    const Clock::time_point start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    CRun run;
    if (!file)
        return run;
    std::vector<char> block(256 * 1024);
    const char* afterLast = nullptr;
    for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), file)) != 0;)
        run.rows += Driver::CountByte(block.data(), block.data() + got, '\n', afterLast);
    std::fclose(file);
    run.seconds = SecondsSince(start);
    return run;
}

std::uint64_t FileSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? static_cast<std::uint64_t>(in.tellg()) : 0;
}

void PrintRate(const char* label, const CRun& run, std::uint64_t bytes)
{
    std::printf("  %-7s %8.1f MB/s %11.0f rows/s %7.3f s\n", label, bytes / 1e6 / run.seconds,
                run.rows / run.seconds, run.seconds);
}

struct COptions
{
    std::string plugin;
    int rounds = 3;
    std::vector<std::string> files;
};

bool ParseArguments(int argc, char** argv, COptions& options)
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--plugin") == 0 && i + 1 < argc)
            options.plugin = argv[++i];
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            options.rounds = std::max(1, std::atoi(argv[++i]));
        else if (argv[i][0] == '-')
            return false;
        else
            options.files.emplace_back(argv[i]);
    }
    if (options.plugin.empty())
        options.plugin = Host::ExecutableDirectory() + Host::DefaultPluginName();
    return !options.files.empty();
}

// Imports the file once for memory, then the readers in turns. False when the counts differ.
bool BenchFile(Plugin::IGroundBasedMIP* plugin, const std::string& path, int rounds)
{
    const std::uint64_t bytes = FileSize(path);
    if (bytes == 0)
    {
        std::fprintf(stderr, "orva_bench: %s: no such file, or empty\n", path.c_str());
        return false;
    }
    const std::uint64_t before = Bench::CurrentResidentBytes();
    Bench::ResetPeakResidentBytes();
    const CRun first = ImportWithPlugin(plugin, path);
    const std::uint64_t peak = Bench::PeakResidentBytes();
    const double growth = peak > before ? static_cast<double>(peak - before) : 0.0;

    CRun bestPlugin = first;
    CRun bestNaive;
    CRun bestFloor;
    bool same = true;
    for (int round = 0; round < rounds; ++round)
    {
        const CRun naive = ReadNaively(path);
        if (round == 0 || naive.seconds < bestNaive.seconds)
            bestNaive = naive;
        const CRun floor = ReadLinesOnly(path);
        if (round == 0 || floor.seconds < bestFloor.seconds)
            bestFloor = floor;
        const CRun again = ImportWithPlugin(plugin, path);
        same = same && again.rows == first.rows;
        if (again.seconds < bestPlugin.seconds)
            bestPlugin = again;
    }

    std::printf("%s: %.1f MB, %llu records\n", path.c_str(), bytes / 1e6,
                static_cast<unsigned long long>(first.rows));
    PrintRate("plugin", bestPlugin, bytes);
    PrintRate("naive", bestNaive, bytes);
    PrintRate("floor", bestFloor, bytes);
    std::printf("  ratio   %8.2f x naive, %.2f of the floor\n",
                bestNaive.seconds / bestPlugin.seconds, bestFloor.seconds / bestPlugin.seconds);
    std::printf("  memory  %8.1f MB peak growth of the import, %.2f x file\n", growth / 1e6,
                bytes ? growth / bytes : 0.0);
    if (!same)
        std::fprintf(stderr, "orva_bench: %s: the imports delivered different counts\n",
                     path.c_str());
    return same;
}

} // namespace

int main(int argc, char** argv)
{
    COptions options;
    if (!ParseArguments(argc, argv, options))
    {
        std::fprintf(stderr, "usage: orva_bench [--plugin PATH] [--rounds N] FILE...\n");
        return 2;
    }
    std::string error;
    std::unique_ptr<Host::CPluginLibrary> library =
        Host::CPluginLibrary::Open(options.plugin, error);
    Plugin::IGroundBasedMIP* plugin = library ? library->CreatePlugin(error) : nullptr;
    if (!plugin)
    {
        std::fprintf(stderr, "orva_bench: %s: %s\n", options.plugin.c_str(), error.c_str());
        return 3;
    }
    bool same = true;
    for (const std::string& file : options.files)
        same = BenchFile(plugin, file, options.rounds) && same;
    plugin->Release();
    return same ? 0 : 1;
}
