// Imports files with the reader linked into the program (plugin/ReaderCore.h), as the page and the
// GDAL driver link it, with orva-import's converters, into a receiver that only counts. The same
// program is built natively and in WebAssembly, so that its two times compare the builds alone.
//
//   orva_linked_import FILE...
//
// Prints "points=P stations=S observations=O messages=M" on stdout.

#include "bench/CountingReceiver.h"
#include "host/kit/FileNames.h"
#include "host/kit/UnitConverters.h"
#include "plugin/ReaderCore.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: orva_linked_import FILE...\n");
        return 2;
    }
    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    Bench::CCountingReceiver receiver(factory);
    for (int i = 1; i < argc; ++i)
        ImportFile(Host::WideFileName(argv[i]), &receiver);
    factory->Release();
    receiver.PrintCounts();
    return 0;
}
