// Imports files through the plug-in, loaded as orva-import loads it and with orva-import's own
// converters, into a receiver that only counts what it is sent. The time and memory of a run are
// the plug-in's share of an orva-import run of the same files; the counts check a generated job.
//
//   orva_discard_import PLUGIN FILE...
//
// Prints "points=P stations=S observations=O messages=M" on stdout.

#include "host/PluginLibrary.h"
#include "host/UnitConverters.h"
#include "host/Utf8.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{

class CCountingReceiver final : public IGroundDataReceiver
{
public:
    explicit CCountingReceiver(IUnitConverterFactory* factory) : m_factory(factory) {}

    long points = 0;
    long stations = 0;
    long observations = 0;
    long messages = 0;

    IUnitConverterFactory* GetConverterFactory() override
    {
        m_factory->AddRef();
        return m_factory;
    }
    void BeginFile(const wchar_t*) override {}
    void SetCurrentLine(std::int32_t) override {}
    void Reserved3() override {}
    void ReportLineError(const wchar_t*) override { ++messages; }
    void ReportFileError(const wchar_t*) override { ++messages; }
    void SetProgress(float) override {}
    void Reserved7() override {}
    void BeginPoint(const wchar_t*) override { ++points; }
    void SetNorth(double) override {}
    void SetEast(double) override {}
    void SetElevation(double) override {}
    void SetPointClass(std::int32_t) override {}
    void Reserved13() override {}
    void Reserved14() override {}
    void Reserved15() override {}
    void SetCode(const wchar_t*) override {}
    void BeginStation(const wchar_t*) override { ++stations; }
    void Reserved18() override {}
    void Reserved19() override {}
    void SetDate(const wchar_t*) override {}
    void SetInstrumentHeight(double) override {}
    void SetVerticalAngleOffset(double) override {}
    void Reserved23() override {}
    void BeginTarget(const wchar_t*) override { ++observations; }
    void SetPressure(double) override {}
    void SetTemperature(double) override {}
    void Reserved27() override {}
    void SetVerticalAngle(double) override {}
    void SetHorizontalAngle(double) override {}
    void SetReflectorHeight(double) override {}
    void SetSlopeDistance(double) override {}

private:
    IUnitConverterFactory* m_factory;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: orva_discard_import PLUGIN FILE...\n");
        return 2;
    }
    std::string error;
    auto library = Host::CPluginLibrary::Open(argv[1], error);
    Plugin::IGroundBasedMIP* plugin = library ? library->CreatePlugin(error) : nullptr;
    if (!plugin)
    {
        std::fprintf(stderr, "orva_discard_import: %s\n", error.c_str());
        return 3;
    }
    std::vector<std::wstring> paths;
    for (int i = 2; i < argc; ++i)
        paths.push_back(Host::FromUtf8(argv[i]));
    Host::CPathList list(std::move(paths));
    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    CCountingReceiver receiver(factory);
    plugin->Import(&list, &receiver);
    plugin->Release();
    factory->Release();
    std::printf("points=%ld stations=%ld observations=%ld messages=%ld\n", receiver.points,
                receiver.stations, receiver.observations, receiver.messages);
    return 0;
}
