// orva-import: imports "*.idx" files through the ORVA plug-in and prints what it read.
#include "host/cli/Console.h"
#include "host/kit/Encodings.h"
#include "host/cli/FileList.h"
#include "host/cli/ImportJob.h"
#include "host/cli/PluginSearch.h"
#include "host/cli/StandardInput.h"
#include "host/cli/VersionReport.h"
#include "host/io/TemporaryFiles.h"
#include "host/kit/PluginLibrary.h"
#include "host/kit/Utf8.h"
#include "platform/Platform.h"

#include <CLI/CLI.hpp>
#include <boost/nowide/args.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace
{

// Exit statuses.
constexpr int AllImported = 0;
constexpr int FileNotImported = 1;
constexpr int UsageError = 2;
constexpr int HostFailure = 3;
constexpr int ReportedWithStrict = 4;

constexpr const char* Program = "orva-import";

struct COptions
{
    std::vector<std::string> files;
    std::string filesFrom;
    bool recursive = false;
    std::string plugin;
    // Empty when not given: JSON for the records, text for the summary.
    std::optional<Host::OutputFormat> format;
    std::string output;
    std::optional<unsigned int> codePage;
    bool version = false;
    unsigned int jobs = Host::DefaultThreads();
    bool summary = false;
    bool strict = false;
    Host::CDisplayUnits units;
};

// The names of the record formats that --format takes.
const std::vector<std::pair<std::string, Host::OutputFormat>>& FormatNames()
{
    static const std::vector<std::pair<std::string, Host::OutputFormat>> names = {
        {"json", Host::OutputFormat::Json},
        {"csv", Host::OutputFormat::Csv},
        {"svg", Host::OutputFormat::Svg},
        {"geojson", Host::OutputFormat::GeoJson}};
    return names;
}

std::string FormatName(Host::OutputFormat format)
{
    for (const auto& [name, value] : FormatNames())
        if (value == format)
            return name;
    return std::string();
}

// An option that takes one of the given names and stores the value it stands for; CLI11 refuses
// any other name before the value is looked up.
template <class Target, class T>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, Target& target,
                       const std::vector<std::pair<std::string, T>>& choices,
                       const std::string& help)
{
    return app
        .add_option_function<std::string>(
            name,
            [&target, &choices](const std::string& value)
            {
                const auto chosen =
                    std::find_if(choices.begin(), choices.end(),
                                 [&value](const auto& choice) { return choice.first == value; });
                if (chosen != choices.end())
                    target = chosen->second;
            },
            help)
        ->check(CLI::IsMember(choices).description(""));
}

void AddReportingOptions(CLI::App& app, COptions& options)
{
    AddChoice(app, "--angles", options.units.angle, Host::AngleDisplayNames(),
              "Unit of the angles in the output: rad (default), deg, gon, dms (text "
              "D°MM′SS.s″ in CSV, an object of degrees, minutes and seconds in JSON)")
        ->type_name("rad|deg|gon|dms");
    AddChoice(app, "--lengths", options.units.length, Host::LengthDisplayNames(),
              "Unit of the lengths in the output: m (default), ft (international foot), "
              "usft (US survey foot)")
        ->type_name("m|ft|usft");
    app.add_flag("--strict", options.strict,
                 "Exit with status 4 when any message or warning was reported");
}

Host::OutputFormat FormatOf(const COptions& options)
{
    if (options.summary)
        return options.format ? Host::OutputFormat::InfoJson : Host::OutputFormat::Info;
    return options.format.value_or(Host::OutputFormat::Json);
}

int StatusOf(const Host::CImportOutcome& outcome, bool strict)
{
    if (outcome.filesNotImported)
        return FileNotImported;
    return strict && outcome.reports ? ReportedWithStrict : AllImported;
}

bool StderrIsTerminal()
{
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void PrepareStandardStreams()
{
#if defined(_WIN32)
    // UTF-8 bytes exactly as written, without a CR put before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (_isatty(_fileno(stdout)) || _isatty(_fileno(stderr)))
        SetConsoleOutputCP(CP_UTF8);
#else
    // A reader that goes away is a write error to report, not a signal that ends the program
    // without a word.
    std::signal(SIGPIPE, SIG_IGN);
    // So is a file grown past the size limit.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

// Bytes already written cannot be taken back and the plug-in cannot be stopped: the program ends
// here, on whichever thread found the output broken. Output files written beside the ones they
// replace are taken away, and the ones from before stay.
[[noreturn]] void OutputFailed(const Host::COutputError& error, bool toFiles)
{
    std::cerr << Program << ": " << error.what()
              << (toFiles ? "; no output file was replaced\n" : "; the output is incomplete\n")
              << std::flush;
    Host::RemoveTemporaryFiles();
    std::_Exit(HostFailure);
}

int UsageFailure(const std::string& message)
{
    std::cerr << Program << ": " << message << "\nRun with --help for more information.\n";
    return UsageError;
}

std::string FileHelp()
{
    std::string help = "The *.idx files to import. A folder gives its *.idx files sorted by name, "
                       "\"-\" standard input.";
    if (Host::CExpansionRules::DefaultWildcards())
        help += " Patterns with * and ? in the file name are expanded here (without regard to "
                "case); one that matches nothing is taken as a file name and fails as missing.";
    return help;
}

void AddEncodingOption(CLI::App& app, COptions& options)
{
    app.add_option_function<std::string>(
           "--encoding",
           [&options](const std::string& name) { options.codePage = Host::CodePageByName(name); },
           Host::EncodingHelp())
        ->check(
            [](const std::string& name)
            {
                return Host::CodePageByName(name) ? std::string()
                                                  : "not a code page: " + name +
                                                        " (a number from 1 to 65535 or a name "
                                                        "such as utf-8 or cp1251)";
            },
            "")
        ->type_name("CODEPAGE");
}

// The options of an import, which the summary shares but for --output.
void AddImportOptions(CLI::App& app, COptions& options, bool withOutput)
{
    // Not required by the parser: --version needs no file.
    app.add_option("FILE", options.files, FileHelp())->type_name("PATH");
    app.add_flag("-r,--recursive", options.recursive,
                 "Import the *.idx files of the folders inside a FILE folder too");
    app.add_option("--files-from", options.filesFrom,
                   "Import the files named in LIST, one a line, after the FILEs (\"-\": read "
                   "the list from standard input)")
        ->type_name("LIST");
    app.add_option("--plugin", options.plugin,
                   std::string("The plug-in library (default: ") + Host::DefaultPluginName() +
                       " beside this program, else in the installed plug-in directory)")
        ->type_name("PATH");
    AddChoice(app, "--format", options.format, FormatNames(),
              "Output format (default: json; for the summary: text)")
        ->type_name("json|csv|svg|geojson");
    if (withOutput)
        app.add_option(
               "--output", options.output,
               "The JSON file (default: stdout; SVG and GeoJSON go to stdout), or the folder "
               "of the CSV files "
               "(--format csv). Files are written beside the ones they replace and take "
               "their place when the import ends; a run that fails leaves the old ones")
            ->type_name("FILE|DIR");
    AddEncodingOption(app, options);
    app.add_option("-j,--jobs", options.jobs,
                   "Files imported at the same time (default: one per core); the output is the "
                   "same for any number")
        ->check(CLI::Range(1u, 1024u).description(""))
        ->type_name("N");
    AddReportingOptions(app, options);
}

constexpr const char* SummaryHelp =
    "Print per file the units in force, separator, terminator, date order, counts, sections, "
    "messages and warnings instead of the records; --format json gives it as JSON";

// Parses the command line; returns the exit status when the program is to end here.
std::optional<int> ParseCommandLine(const std::vector<std::string>& arguments, COptions& options)
{
    CLI::App app("Imports survey files in the *.idx exchange format through the ORVA plug-in and "
                 "prints their points, stations and observations.\n\nOutput: one JSON document "
                 "on stdout or in the --output file, or with --format csv the files "
                 "points.csv, stations.csv, observations.csv, extra_values.csv (values of a "
                 "record that its table has no column for), messages.csv and files.csv (each "
                 "file's status) in the --output directory. Values are in radians (--angles), "
                 "metres (--lengths), degrees Celsius and hectopascals. Messages, and warnings "
                 "about values that could not be converted, go to stderr as FILE:LINE: text.\n\n"
                 "--format svg draws the job seen from above (points, stations, observation "
                 "rays) as one SVG on stdout, in metres; --format geojson writes one GeoJSON "
                 "FeatureCollection on stdout, in the files' own grid coordinates in metres (no "
                 "coordinate system is stated), its properties in the units of --angles and "
                 "--lengths.\n\n"
                 "Exit status: 0 every file imported, 1 a file could not be opened or was not "
                 "recognised, 2 usage error, 3 the plug-in could not be used or the output "
                 "not written, 4 (with --strict) every file imported but a message or warning "
                 "was reported.",
                 Program);
    app.add_flag("--version", options.version,
                 "Print the version of this program and the identity of the plug-in, and exit");
    AddImportOptions(app, options, true);
    app.add_flag("--summary", options.summary,
                 std::string(SummaryHelp) + " (also: orva-import info FILE...)");
    CLI::App* info = app.add_subcommand("info", SummaryHelp);
    AddImportOptions(*info, options, false);

    std::vector<char*> argv;
    std::vector<std::string> copies(arguments);
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    try
    {
        app.parse(static_cast<int>(argv.size()), argv.data());
    }
    catch (const CLI::ParseError& error)
    {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
        {
            app.exit(error);
            return AllImported;
        }
        return UsageFailure(error.what());
    }
    options.summary = options.summary || info->parsed();
    if (options.version)
        return std::nullopt;
    if (options.files.empty() && options.filesFrom.empty())
        return UsageFailure("FILE is required");
    const Host::OutputFormat format = options.format.value_or(Host::OutputFormat::Json);
    if (options.summary && format != Host::OutputFormat::Json)
        return UsageFailure("the summary is text or --format json, not " + FormatName(format));
    if (format == Host::OutputFormat::Csv && options.output.empty())
        return UsageFailure("--format csv needs --output DIR");
    if (options.summary && !options.output.empty())
        return UsageFailure("the summary goes to stdout; --output is for the records");
    if ((format == Host::OutputFormat::Svg || format == Host::OutputFormat::GeoJson) &&
        !options.output.empty())
        return UsageFailure("--output is for JSON and CSV; " + FormatName(format) +
                            " goes to stdout");
    std::error_code ignored;
    if (format != Host::OutputFormat::Csv &&
        std::filesystem::is_directory(std::filesystem::u8path(options.output), ignored))
        return UsageFailure("--output " + options.output +
                            " is a folder; JSON is written to a file");
    return std::nullopt;
}

// The files of the command line and of --files-from, in that order, with folders and patterns
// expanded; what cannot be used is said on stderr and counted in problems.
std::optional<int> SelectFiles(const COptions& options, std::vector<std::string>& files,
                               std::size_t& problems)
{
    Host::CExpansionRules rules;
    rules.recursive = options.recursive;
    Host::CExpandedFiles expanded;
    for (const std::string& file : options.files)
        Host::ExpandArgument(file, rules, expanded);
    if (!options.filesFrom.empty())
    {
        // A list's lines are paths: folders are expanded, patterns are not.
        Host::CExpansionRules listRules = rules;
        listRules.wildcards = false;
        std::vector<std::string> listed;
        if (options.filesFrom == Host::StandardInputArgument)
            listed = Host::ReadFileList(std::cin);
        else
        {
            std::ifstream list(std::filesystem::u8path(options.filesFrom), std::ios::binary);
            if (!list)
            {
                std::cerr << Program << ": --files-from: cannot read " << options.filesFrom << '\n';
                return UsageError;
            }
            listed = Host::ReadFileList(list);
        }
        for (const std::string& file : listed)
            if (file == Host::StandardInputArgument)
                return UsageFailure("--files-from: \"-\" cannot be a file in a list");
            else
                Host::ExpandArgument(file, listRules, expanded);
    }
    for (const std::string& problem : expanded.problems)
        std::cerr << Program << ": " << problem << '\n';
    problems = expanded.problems.size();
    files = std::move(expanded.files);
    return std::nullopt;
}

// Puts a copy of standard input in place of "-", which may be given once, and not when the list
// of files is read from there.
std::optional<int> SpoolStandardInput(const COptions& options, Host::CImportJob& job,
                                      std::unique_ptr<Host::CStandardInputFile>& spool)
{
    for (std::size_t i = 0; i < job.files.size(); ++i)
    {
        if (job.files[i] != Host::StandardInputArgument)
            continue;
        if (spool)
            return UsageFailure("\"-\" (standard input) can be given only once");
        if (options.filesFrom == Host::StandardInputArgument)
            return UsageFailure("\"-\" as a FILE and --files-from - both read standard input");
        spool = std::make_unique<Host::CStandardInputFile>(stdin);
        job.files[i] = spool->Path();
        job.shownNames.resize(job.files.size());
        job.shownNames[i] = Host::StandardInputName;
    }
    return std::nullopt;
}

// Opens the plug-in library, selects the code page in it and makes the plug-in object, checked to
// be the ORVA importer.
std::optional<int> LoadPlugin(const COptions& options, const std::string& pluginPath,
                              std::unique_ptr<Host::CPluginLibrary>& library,
                              Plugin::IGroundBasedMIP*& plugin)
{
    std::string error;
    library = Host::CPluginLibrary::Open(pluginPath, error);
    if (!library)
    {
        std::cerr << Program << ": " << error << '\n';
        return HostFailure;
    }
    if (options.codePage)
    {
        using Result = Host::CPluginLibrary::CodePageResult;
        Result result = library->SelectCodePage(*options.codePage, error);
        if (result != Result::Selected)
        {
            std::cerr << Program << ": --encoding: " << error << '\n';
            return result == Result::UnknownCodePage ? UsageError : HostFailure;
        }
    }
    plugin = library->CreatePlugin(error);
    if (!plugin)
    {
        std::cerr << Program << ": " << pluginPath << ": " << error << '\n';
        return HostFailure;
    }
    if (!Host::CheckIdentity(plugin, error))
    {
        plugin->Release();
        plugin = nullptr;
        std::cerr << Program << ": " << pluginPath << ": " << error << '\n';
        return HostFailure;
    }
    return std::nullopt;
}

int Run(const std::vector<std::string>& arguments)
{
    COptions options;
    if (std::optional<int> status = ParseCommandLine(arguments, options))
        return *status;

    std::string pluginPath = options.plugin.empty() ? Host::DefaultPluginPath() : options.plugin;
    if (options.version)
        return Host::WriteVersionReport(std::cout, std::cerr, Program, ORVA_VERSION, pluginPath)
                   ? AllImported
                   : HostFailure;
    Host::CImportJob job;
    std::size_t problems = 0;
    if (std::optional<int> status = SelectFiles(options, job.files, problems))
        return *status;
    std::unique_ptr<Host::CStandardInputFile> standardInput;
    if (std::optional<int> status = SpoolStandardInput(options, job, standardInput))
        return *status;
    // The summary reads with the reader linked into this program, as only that one tells what
    // no call of the plug-in carries: the separator, terminator, date order and sections.
    std::unique_ptr<Host::CPluginLibrary> library;
    Plugin::IGroundBasedMIP* plugin = nullptr;
    if (options.summary)
    {
        if (options.codePage && !Platform::SelectThreadCodePage(*options.codePage))
        {
            std::cerr << Program << ": --encoding: code page " << *options.codePage
                      << " cannot be decoded\n";
            return UsageError;
        }
    }
    else if (std::optional<int> status = LoadPlugin(options, pluginPath, library, plugin))
        return *status;

    job.format = FormatOf(options);
    job.units = options.units;
    if (job.format == Host::OutputFormat::Csv)
        job.outputDirectory = options.output;
    else
        job.outputFile = options.output;
    job.threads = options.jobs;
    job.codePage = options.codePage;
    const bool toFiles = !options.output.empty();
    job.onOutputError = [toFiles](const Host::COutputError& error)
    { OutputFailed(error, toFiles); };
    Host::CConsole console(StderrIsTerminal());
    Host::CImportOutcome outcome = Host::RunImport(library.get(), plugin, job, console);
    if (plugin)
        plugin->Release();

    if (outcome.failed)
    {
        std::cerr << Program << ": ran out of memory while recording the import\n";
        return HostFailure;
    }
    // A FILE that gave no file to import counts as one not imported.
    return problems ? FileNotImported : StatusOf(outcome, options.strict);
}

} // namespace

int main(int argc, char** argv)
{
    PrepareStandardStreams();
    try
    {
        // On Windows the arguments become UTF-8 from the wide command line, whatever the ANSI
        // code page; elsewhere they stay the bytes the system gave.
        boost::nowide::args utf8(argc, argv);
        return Run(std::vector<std::string>(argv, argv + argc));
    }
    catch (const std::exception& failure)
    {
        std::cerr << Program << ": " << failure.what() << '\n';
    }
    catch (...)
    {
        std::cerr << Program << ": unexpected failure\n";
    }
    return HostFailure;
}
