// An import of many files as the program runs it: one Import call per file, on a number of
// threads, each thread with its own receiver, file list and converters. The outputs are streams:
// each file's records are written while the plug-in reads it, and the output of every file comes
// in the order of the list, byte for byte the same whatever the number of threads.
#pragma once

#include "host/cli/Console.h"
#include "host/io/ByteSink.h"
#include "host/kit/DisplayUnits.h"
#include "host/kit/PluginLibrary.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

enum class OutputFormat
{
    Json,     // one document on stdout
    Csv,      // points.csv, stations.csv and observations.csv in a directory
    Info,     // a summary of each file for people, on stdout
    InfoJson, // the same summary as one JSON document on stdout
    Svg,      // the plan view on stdout
    GeoJson   // one FeatureCollection on stdout
};

struct CImportJob
{
    std::vector<std::string> files; // UTF-8
    // What the outputs call each file, where it is not its path (standard input); may be
    // shorter than files.
    std::vector<std::string> shownNames;
    OutputFormat format = OutputFormat::Json;
    std::string outputDirectory; // for Csv
    CDisplayUnits units;
    std::string outputFile; // for Json; empty for stdout
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
    // Messages of the plug-in and warnings of the host, of every file.
    std::uint64_t reports = 0;
    // Memory ran out while assembling a record; the outputs are incomplete.
    bool failed = false;
};

// The number of threads when none is asked for: one per core.
unsigned DefaultThreads();

// Runs the job with the plug-in object, which is shared by the threads (its reference count is
// atomic and an Import keeps all of its state in its own parser); without a library, with the
// reader linked into this program, which also tells each file's settings. Messages go to console.
CImportOutcome RunImport(const CPluginLibrary* library, Plugin::IGroundBasedMIP* plugin,
                         const CImportJob& job, CConsole& console);

} // namespace Host
