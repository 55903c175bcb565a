// The plug-in object that the host obtains from CreatePlugin: identity, file mask and the import.
#pragma once

#include "plugin/HostInterfaces.h"
#include "plugin/PluginConfig.h"
#include "plugin/RefCounted.h"

#include <cstdint>

// {3CA97BE5-5CFF-4D66-87C6-73401443A96E}
constexpr GUID OrvaPluginId = {
    0x3CA97BE5, 0x5CFF, 0x4D66, {0x87, 0xC6, 0x73, 0x40, 0x14, 0x43, 0xA9, 0x6E}};

// Holds nothing but its interlocked count, 0 after construction; CreatePlugin adds the host's
// reference. Every import starts from nothing. The object is every one of its interfaces at the
// same address.
class CImportPluginImpl final : public Plugin::CPluginImpl<Plugin::IGroundBasedMIP>
{
public:
    CImportPluginImpl() = default;
    CImportPluginImpl(const CImportPluginImpl&) = delete;
    CImportPluginImpl& operator=(const CImportPluginImpl&) = delete;

    void* QueryInterface(std::int32_t interfaceNumber) override;
    BSTR GetName() override;
    PLUGIN_GETID_SIGNATURE override { PLUGIN_GETID_RETURN(OrvaPluginId); }
    std::int32_t GetKind() override;
    void Reserved1() override;
    void Reserved2() override;
    std::int32_t Reserved3() override;
    BSTR GetFileMask() override;
    BSTR GetFormatName() override;
    void Import(IImportFileList* files, IGroundDataReceiver* receiver) override;

    // Released by the host only, through Release and the destructor slot.
    PLUGIN_DELETING_DESTRUCTOR(CImportPluginImpl)

private:
    ~CImportPluginImpl() = default;
};
