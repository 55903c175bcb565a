#include "host/cli/PluginSearch.h"

#include "host/kit/PluginLibrary.h"

#include <filesystem>
#include <system_error>

// Set by the build from the installation layout; empty when the plug-in is installed beside the
// program.
#if !defined(ORVA_PLUGIN_DIR_FROM_PROGRAM)
#define ORVA_PLUGIN_DIR_FROM_PROGRAM ""
#endif

namespace Host
{

std::vector<std::string> DefaultPluginCandidates(const std::string& programDirectory)
{
    namespace fs = std::filesystem;
    std::vector<std::string> candidates{programDirectory + DefaultPluginName()};
    const std::string installed = ORVA_PLUGIN_DIR_FROM_PROGRAM;
    // Without the program's own directory there is nothing to find the installed one from.
    if (!installed.empty() && !programDirectory.empty())
    {
        // Normalised so that a message shows /usr/lib/..., not /usr/bin/../lib/...; the program's
        // directory is already free of links, so dropping ".." keeps the place the same.
        fs::path path =
            fs::u8path(programDirectory) / fs::u8path(installed) / fs::u8path(DefaultPluginName());
        std::string normal = path.lexically_normal().u8string();
        if (normal != candidates.front())
            candidates.push_back(normal);
    }
    return candidates;
}

std::string FindDefaultPlugin(const std::string& programDirectory)
{
    std::vector<std::string> candidates = DefaultPluginCandidates(programDirectory);
    for (const std::string& candidate : candidates)
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(std::filesystem::u8path(candidate), error))
            return candidate;
    }
    return candidates.back();
}

std::string DefaultPluginPath()
{
    return FindDefaultPlugin(ExecutableDirectory());
}

} // namespace Host
