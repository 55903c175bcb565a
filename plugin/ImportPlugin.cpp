#include "plugin/ImportPlugin.h"

#include "platform/Platform.h"
#include "plugin/ImportDriver.h"

namespace
{

const std::int32_t PluginKind = 2;
// Interface numbers 0 to 2 name the three interfaces of the chain, all this object.
const std::int32_t LastInterfaceNumber = 2;

} // namespace

void* CImportPluginImpl::QueryInterface(std::int32_t interfaceNumber)
{
    if (interfaceNumber < 0 || interfaceNumber > LastInterfaceNumber)
        return nullptr;
    AddRef();
    return static_cast<Plugin::IGroundBasedMIP*>(this);
}

BSTR CImportPluginImpl::GetName()
{
    return Platform::AllocateString(L"ORVA");
}

std::int32_t CImportPluginImpl::GetKind()
{
    return PluginKind;
}

void CImportPluginImpl::Reserved1() {}

void CImportPluginImpl::Reserved2() {}

std::int32_t CImportPluginImpl::Reserved3()
{
    return 0;
}

BSTR CImportPluginImpl::GetFileMask()
{
    return Platform::AllocateString(L"*.idx");
}

BSTR CImportPluginImpl::GetFormatName()
{
    return Platform::AllocateString(L"ORVA");
}

void CImportPluginImpl::Import(IImportFileList* files, IGroundDataReceiver* receiver)
{
    ::Import(files, receiver);
}
