#include "host/cli/VersionReport.h"

#include "host/kit/PluginLibrary.h"
#include "host/kit/Utf8.h"

#include <cstdio>
#include <memory>

namespace Host
{

CPluginDescription DescribePlugin(Plugin::IGroundBasedMIP* plugin)
{
    CPluginDescription description;
    description.name = ToUtf8(TakeString(plugin->GetName()));
    description.formatName = ToUtf8(TakeString(plugin->GetFormatName()));
    description.fileMask = ToUtf8(TakeString(plugin->GetFileMask()));
    description.kind = plugin->GetKind();
#if PLUGIN_MICROSOFT_ABI
    description.id = plugin->GetId();
#else
    plugin->GetId(&description.id);
#endif
    return description;
}

std::string FormatGuid(const GUID& id)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(id.Data1), static_cast<unsigned int>(id.Data2),
                  static_cast<unsigned int>(id.Data3), id.Data4[0], id.Data4[1], id.Data4[2],
                  id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return text;
}

void WritePluginDescription(std::ostream& out, const std::string& libraryPath,
                            const CPluginDescription& description)
{
    out << "plug-in: " << libraryPath << '\n'
        << "  name: " << description.name << '\n'
        << "  format name: " << description.formatName << '\n'
        << "  file mask: " << description.fileMask << '\n'
        << "  kind: " << description.kind << '\n'
        << "  GUID: " << FormatGuid(description.id) << '\n';
}

bool WriteVersionReport(std::ostream& out, std::ostream& err, const std::string& program,
                        const std::string& version, const std::string& libraryPath)
{
    out << program << ' ' << version << '\n' << std::flush;
    std::string error;
    std::unique_ptr<CPluginLibrary> library = CPluginLibrary::Open(libraryPath, error);
    if (!library)
    {
        err << program << ": " << error << '\n';
        return false;
    }
    Plugin::IGroundBasedMIP* plugin = library->CreatePlugin(error);
    if (!plugin)
    {
        err << program << ": " << libraryPath << ": " << error << '\n';
        return false;
    }
    // Described before the identity is checked: when the library is some other plug-in, what it
    // calls itself is the answer to which one was found.
    WritePluginDescription(out, libraryPath, DescribePlugin(plugin));
    out << std::flush;
    bool orva = CheckIdentity(plugin, error);
    plugin->Release();
    if (!orva)
    {
        err << program << ": " << libraryPath << ": " << error << '\n';
        return false;
    }
    return true;
}

} // namespace Host
