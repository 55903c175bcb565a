// orva-import: imports "*.idx" files through the ORVA plug-in and prints what it read.
#include "host/Console.h"
#include "host/ImportJob.h"
#include "host/PluginLibrary.h"
#include "host/PluginSearch.h"
#include "host/Utf8.h"
#include "host/VersionReport.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs
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

constexpr const char* Program = "orva-import";

struct COptions
{
    std::vector<std::string> files;
    std::string plugin;
    std::string format = "json";
    std::string output;
    std::optional<unsigned int> codePage;
    bool version = false;
    unsigned int jobs = Host::DefaultThreads();
};

bool StderrIsTerminal()
{
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// The command line as UTF-8, whatever the platform gives.
std::vector<std::string> Arguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
#if defined(_WIN32)
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide)
    {
        for (int i = 0; i < count; ++i)
            arguments.push_back(Host::ToUtf8(wide[i]));
        LocalFree(wide);
        return arguments;
    }
#endif
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
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
#endif
}

// Bytes already written cannot be taken back and the plug-in cannot be stopped: the program ends
// here, on whichever thread found the output broken.
[[noreturn]] void OutputFailed(const Host::COutputError& error)
{
    std::cerr << Program << ": " << error.what() << "; the output is incomplete\n" << std::flush;
    std::_Exit(HostFailure);
}

int UsageFailure(const std::string& message)
{
    std::cerr << Program << ": " << message << "\nRun with --help for more information.\n";
    return UsageError;
}

// Parses the command line; returns the exit status when the program is to end here.
std::optional<int> ParseCommandLine(const std::vector<std::string>& arguments, COptions& options)
{
    CLI::App app("Imports survey files in the *.idx exchange format through the ORVA plug-in and "
                 "prints their points, stations and observations.\n\nOutput: one JSON document "
                 "on stdout, or with --format csv the files points.csv, stations.csv and "
                 "observations.csv in the --output directory. Values are in radians, metres, "
                 "degrees Celsius and hectopascals. Messages go to stderr as FILE:LINE: text.\n\n"
                 "--format svg draws the job seen from above (points, stations, observation "
                 "rays) as one SVG on stdout; --format geojson writes one GeoJSON "
                 "FeatureCollection on stdout, in the files' own grid coordinates (no coordinate "
                 "system is stated).\n\n"
                 "Exit status: 0 every file imported, 1 a file could not be opened or was not "
                 "recognised, 2 usage error, 3 the plug-in could not be used or the output "
                 "not written.",
                 Program);
    app.add_flag("--version", options.version,
                 "Print the version of this program and the identity of the plug-in, and exit");
    // Not required by the parser: --version needs no file.
    app.add_option("FILE", options.files, "The *.idx files to import");
    app.add_option("--plugin", options.plugin,
                   std::string("The plug-in library (default: ") + Host::DefaultPluginName() +
                       " beside this program, else in the installed plug-in directory)")
        ->type_name("PATH");
    app.add_option("--format", options.format, "Output format (default: json)")
        ->check(CLI::IsMember({"json", "csv", "svg", "geojson"}).description(""))
        ->type_name("json|csv|svg|geojson");
    app.add_option("--output", options.output, "Directory for the CSV files (--format csv)")
        ->type_name("DIR");
    app.add_option("--encoding", options.codePage,
                   "Code page the files are written in, e.g. 1251 (default: 1252)")
        ->check(CLI::Range(1u, 65535u).description(""))
        ->type_name("CODEPAGE");
    app.add_option("-j,--jobs", options.jobs,
                   "Files imported at the same time (default: one per core); the output is the "
                   "same for any number")
        ->check(CLI::Range(1u, 1024u).description(""))
        ->type_name("N");

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
    if (options.version)
        return std::nullopt;
    if (options.files.empty())
        return UsageFailure("FILE is required");
    if (options.format == "csv" && options.output.empty())
        return UsageFailure("--format csv needs --output DIR");
    if (options.format == "json" && !options.output.empty())
        return UsageFailure("--output is for --format csv; JSON goes to stdout");
    if ((options.format == "svg" || options.format == "geojson") && !options.output.empty())
        return UsageFailure("--output is for --format csv; " + options.format + " goes to stdout");
    return std::nullopt;
}

Host::OutputFormat FormatNamed(const std::string& name)
{
    if (name == "csv")
        return Host::OutputFormat::Csv;
    if (name == "svg")
        return Host::OutputFormat::Svg;
    if (name == "geojson")
        return Host::OutputFormat::GeoJson;
    return Host::OutputFormat::Json;
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
    std::string error;
    std::unique_ptr<Host::CPluginLibrary> library = Host::CPluginLibrary::Open(pluginPath, error);
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
    Plugin::IGroundBasedMIP* plugin = library->CreatePlugin(error);
    if (!plugin)
    {
        std::cerr << Program << ": " << pluginPath << ": " << error << '\n';
        return HostFailure;
    }
    if (!Host::CheckIdentity(plugin, error))
    {
        plugin->Release();
        std::cerr << Program << ": " << pluginPath << ": " << error << '\n';
        return HostFailure;
    }

    Host::CImportJob job;
    job.files = options.files;
    job.format = FormatNamed(options.format);
    job.outputDirectory = options.output;
    job.threads = options.jobs;
    job.codePage = options.codePage;
    job.onOutputError = OutputFailed;
    Host::CConsole console(StderrIsTerminal());
    Host::CImportOutcome outcome = Host::RunImport(*library, plugin, job, console);
    plugin->Release();

    if (outcome.failed)
    {
        std::cerr << Program << ": ran out of memory while recording the import\n";
        return HostFailure;
    }
    return outcome.filesNotImported ? FileNotImported : AllImported;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareStandardStreams();
    try
    {
        return Run(Arguments(argc, argv));
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
