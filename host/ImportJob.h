// An import of many files as the program runs it: one Import call per file, on a number of
// threads, each thread with its own receiver, file list and converters. The outputs are streams:
// each file's records are written while the plug-in reads it, and the output of every file comes
// in the order of the list, byte for byte the same whatever the number of threads.
#pragma once

#include "host/ByteSink.h"
#include "host/Console.h"
#include "host/PluginLibrary.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

enum class OutputFormat
{
    Json,   // one document on stdout
    Csv,    // points.csv, stations.csv and observations.csv in a directory
    Svg,    // the plan view on stdout
    GeoJson // one FeatureCollection on stdout
};

struct CImportJob
{
    std::vector<std::string> files; // UTF-8
    OutputFormat format = OutputFormat::Json;
    std::string outputDirectory; // for Csv
    unsigned threads = 1;
    // Selected on every importing thread, as the plug-in decodes with the calling thread's code
    // page; the caller has checked that it can be selected.
    std::optional<unsigned> codePage;
    // Called on whichever thread meets the first write error of an output, while other threads
    // may still be importing; the program ends there (it must not return into the plug-in with
    // an output that lost bytes).
    std::function<void(const COutputError&)> onOutputError;
};

struct CImportOutcome
{
    std::size_t filesNotImported = 0;
    // Memory ran out while assembling a record; the outputs are incomplete.
    bool failed = false;
};

// The number of threads when none is asked for: one per core.
unsigned DefaultThreads();

// Runs the job with the plug-in object, which is shared by the threads (its reference count is
// atomic and an Import keeps all of its state in its own parser). Messages go to console.
CImportOutcome RunImport(const CPluginLibrary& library, Plugin::IGroundBasedMIP* plugin,
                         const CImportJob& job, CConsole& console);

} // namespace Host
