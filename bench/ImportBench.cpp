// Imports a generated POINTS section of 500,000 rows of seven fields through the plug-in library,
// loaded as the host loads it, into a receiver that does nothing with what it gets. Reports the
// file's bytes and rows per second of import.
//
//   orva_bench [--rows=N] [--keep=PATH] [benchmark options]
//
// The converters parse their text as a host's would (a C-locale decimal number), so conversion
// is part of the figure; everything else the receiver is told is dropped.

#include "plugin/HostInterfaces.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

template <class I> class CNumberConverter final : public I
{
public:
    void AddRef() override {}
    bool Release() override { return false; } // static lifetime
    bool Convert(const wchar_t* text, double* value) override
    {
        wchar_t* end = nullptr;
        const double number = std::wcstod(text, &end);
        if (end == text || *end != L'\0')
            return false;
        *value = number;
        return true;
    }
};

class CBenchFactory final : public IUnitConverterFactory
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
    CNumberConverter<Plugin::IAngleConverter> m_angle;
    CNumberConverter<ILinearConverter> m_linear;
    CNumberConverter<IPressureConverter> m_pressure;
    CNumberConverter<ITemperatureConverter> m_temperature;
};

// Takes every call and keeps nothing but a count of points, so the work cannot be skipped.
class CNullReceiver final : public IGroundDataReceiver
{
public:
    explicit CNullReceiver(IUnitConverterFactory* factory) : m_factory(factory) {}

    long Points() const { return m_points; }
    long Errors() const { return m_errors; }

    IUnitConverterFactory* GetConverterFactory() override { return m_factory; }
    void BeginFile(const wchar_t*) override {}
    void SetCurrentLine(std::int32_t) override {}
    void Reserved3() override {}
    void ReportLineError(const wchar_t*) override { ++m_errors; }
    void ReportFileError(const wchar_t*) override { ++m_errors; }
    void SetProgress(float) override {}
    void Reserved7() override {}
    void BeginPoint(const wchar_t*) override { ++m_points; }
    void SetNorth(double) override {}
    void SetEast(double) override {}
    void SetElevation(double) override {}
    void SetPointClass(std::int32_t) override {}
    void Reserved13() override {}
    void Reserved14() override {}
    void Reserved15() override {}
    void SetCode(const wchar_t*) override {}
    void BeginStation(const wchar_t*) override {}
    void Reserved18() override {}
    void Reserved19() override {}
    void SetDate(const wchar_t*) override {}
    void SetInstrumentHeight(double) override {}
    void SetVerticalAngleOffset(double) override {}
    void Reserved23() override {}
    void BeginTarget(const wchar_t*) override {}
    void SetPressure(double) override {}
    void SetTemperature(double) override {}
    void Reserved27() override {}
    void SetVerticalAngle(double) override {}
    void SetHorizontalAngle(double) override {}
    void SetReflectorHeight(double) override {}
    void SetSlopeDistance(double) override {}

private:
    IUnitConverterFactory* m_factory;
    long m_points = 0;
    long m_errors = 0;
};

class COneFile final : public IImportFileList
{
public:
    explicit COneFile(std::wstring path) : m_path(std::move(path)) {}
    bool IsValid() override { return !m_done; }
    void MoveNext() override { m_done = true; }
    const wchar_t* GetPath() override { return m_path.c_str(); }
    void Reset() override { m_done = false; }

private:
    std::wstring m_path;
    bool m_done = false;
};

long g_rows = 500000;
std::string g_path;
long long g_bytes = 0;

// Seven fields a row, the shape of a real control-point export.
void WriteFile(const std::string& path, long rows)
{
    std::ofstream out(path, std::ios::binary);
    out << "HEADER\r\nSEPARATOR ','\r\nTERMINATOR 59\r\nUNITS\r\nLINEAR METRE\r\nEND UNITS\r\n"
           "END HEADER\r\nDATABASE\r\nPOINTS(PointNo,PointID,North,East,Elevation,Code,CLASS)\r\n";
    const char* codes[] = {"BM", "PILLAR", "ABUT", "FENCE", "KERB"};
    const char* classes[] = {"FIX", "ADJ", "REF", "AVG"};
    char row[160];
    for (long i = 0; i < rows; ++i)
    {
        const int length =
            std::snprintf(row, sizeof row, "%ld,PT%06ld,%.3f,%.3f,%.3f,%s,%s;\r\n", i + 1, i + 1,
                          5432000.0 + i * 0.731, 412000.0 + (i % 9973) * 1.117,
                          95.0 + (i % 1000) * 0.013, codes[i % 5], classes[i % 4]);
        out.write(row, length);
    }
    out << "END POINTS\r\nEND DATABASE\r\n";
    out.close();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    g_bytes = static_cast<long long>(in.tellg());
}

void BM_ImportPoints(benchmark::State& state)
{
    void* library = dlopen(ORVA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library)
    {
        state.SkipWithError(dlerror());
        return;
    }
    auto create = reinterpret_cast<CreatePluginFunction>(dlsym(library, "CreatePlugin"));
    Plugin::IGroundBasedMIP* plugin = create ? create() : nullptr;
    if (!plugin)
    {
        state.SkipWithError("CreatePlugin failed");
        dlclose(library);
        return;
    }

    const std::wstring path(g_path.begin(), g_path.end());
    CBenchFactory factory;
    long points = 0;
    long errors = 0;
    for (auto _ : state)
    {
        CNullReceiver receiver(&factory);
        COneFile files(path);
        plugin->Import(&files, &receiver);
        points = receiver.Points();
        errors = receiver.Errors();
        benchmark::DoNotOptimize(points);
    }
    plugin->Release();
    dlclose(library);

    if (points != g_rows || errors != 0)
        state.SkipWithError("the import did not deliver every row");
    state.SetBytesProcessed(state.iterations() * g_bytes);
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(g_rows) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(
        static_cast<double>(g_bytes) / 1e6 * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ImportPoints)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

int main(int argc, char** argv)
{
    std::string keep;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i)
    {
        if (std::strncmp(argv[i], "--rows=", 7) == 0)
            g_rows = std::atol(argv[i] + 7);
        else if (std::strncmp(argv[i], "--keep=", 7) == 0)
            keep = argv[i] + 7;
        else
            rest.push_back(argv[i]);
    }

    if (keep.empty())
    {
        char pattern[] = "/tmp/orva-bench-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0)
        {
            std::perror("mkstemp");
            return 1;
        }
        close(fd);
        g_path = pattern;
    }
    else
    {
        g_path = keep;
    }
    WriteFile(g_path, g_rows);
    std::fprintf(stderr, "file: %s, %ld rows, %lld bytes\n", g_path.c_str(), g_rows, g_bytes);

    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (keep.empty())
        std::remove(g_path.c_str());
    return 0;
}
