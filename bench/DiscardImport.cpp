// Imports files through the plug-in, loaded as orva-import loads it and with orva-import's own
// converters, into a receiver that only counts what it is sent. The time and memory of a run are
// the plug-in's share of an orva-import run of the same files; the counts check a generated job.
//
//   orva_discard_import PLUGIN FILE...
//
// Prints "points=P stations=S observations=O messages=M" on stdout.

#include "bench/CountingReceiver.h"
#include "host/kit/PluginLibrary.h"
#include "host/kit/UnitConverters.h"
#include "host/kit/Utf8.h"

#include <cstdio>
#include <string>
#include <vector>

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
    Bench::CCountingReceiver receiver(factory);
    plugin->Import(&list, &receiver);
    plugin->Release();
    factory->Release();
    receiver.PrintCounts();
    return 0;
}
