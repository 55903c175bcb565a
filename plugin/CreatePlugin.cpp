// The library's only entry point for the host.
#include "plugin/ImportPlugin.h"

#include <new>

ORVA_EXPORT Plugin::IGroundBasedMIP* CreatePlugin(void)
{
    auto* plugin = new (std::nothrow) CImportPluginImpl();
    if (!plugin)
        return nullptr;
    plugin->AddRef();
    return plugin;
}
