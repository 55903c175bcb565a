// Where orva-import finds the plug-in when it is not given --plugin.
#pragma once

#include <string>
#include <vector>

namespace Host
{

// The places of the default plug-in for a program in programDirectory (UTF-8, with a trailing
// separator), in the order they are tried: beside the program (the build tree, the Windows
// folder), then the private plug-in directory of an installed tree, found relative to the
// program so that the tree can be moved. One place when the two are the same.
std::vector<std::string> DefaultPluginCandidates(const std::string& programDirectory);

// The first candidate that exists. When none does, the last one, so that the load failure names
// the place where an installed plug-in belongs.
std::string FindDefaultPlugin(const std::string& programDirectory);

// FindDefaultPlugin for the running program.
std::string DefaultPluginPath();

} // namespace Host
