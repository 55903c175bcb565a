// orva-import --version: the program's version and what the plug-in it would import with says
// about itself, so that a user can tell which build and which library are in use.
#pragma once

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace Host
{

// The identity slots of a plug-in object, read once.
struct CPluginDescription
{
    std::string name;
    std::string formatName;
    std::string fileMask;
    std::int32_t kind = 0;
    GUID id{};
};

// Reads the name, format name, file mask, kind and identifier, freeing every string the plug-in
// hands out. The object is borrowed.
CPluginDescription DescribePlugin(Plugin::IGroundBasedMIP* plugin);

// The registry form of an identifier: {3CA97BE5-5CFF-4D66-87C6-73401443A96E}.
std::string FormatGuid(const GUID& id);

// Writes the description, one "  key: value" line each, after a line naming the library.
void WritePluginDescription(std::ostream& out, const std::string& libraryPath,
                            const CPluginDescription& description);

// The whole report: "PROGRAM VERSION" on out, then the plug-in at libraryPath loaded as for an
// import and described. False when the library cannot be loaded, makes no plug-in object or is
// not the ORVA importer; the reason then goes to err as "PROGRAM: ...", and out keeps the version
// line (and the description of a foreign plug-in).
bool WriteVersionReport(std::ostream& out, std::ostream& err, const std::string& program,
                        const std::string& version, const std::string& libraryPath);

} // namespace Host
