// The plug-in object as the host meets it: identity, strings, counting, interfaces.
#include "platform/Platform.h"
#include "plugin/ImportPlugin.h"
#include "tests/doubles/FileList.h"
#include "tests/doubles/RecordingReceiver.h"
#include "tests/doubles/WideText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

extern "C" Plugin::IGroundBasedMIP* CreatePlugin(void);

namespace
{

using TestDoubles::Utf8;

// A host's view of a BSTR: its text, its length prefix, freed after reading.
struct HostString
{
    std::string Text;
    std::uint32_t ByteCount;
};

HostString Take(BSTR text)
{
    EXPECT_NE(text, nullptr);
    if (!text)
        return {"<null>", 0};
    HostString result{Utf8(text), Platform::StringByteLength(text)};
    Platform::FreeString(text);
    return result;
}

TEST(PluginObject, HasOneCountAndTheVirtualTableOnly)
{
    EXPECT_EQ(sizeof(CImportPluginImpl), 2 * sizeof(void*));
}

TEST(PluginObject, ReportsItsIdentity)
{
    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);

    const HostString name = Take(plugin->GetName());
    EXPECT_EQ(name.Text, "ORVA");
    EXPECT_EQ(name.ByteCount, 4 * sizeof(wchar_t));
    const HostString format = Take(plugin->GetFormatName());
    EXPECT_EQ(format.Text, "ORVA");
    EXPECT_EQ(format.ByteCount, 4 * sizeof(wchar_t));
    const HostString mask = Take(plugin->GetFileMask());
    EXPECT_EQ(mask.Text, "*.idx");
    EXPECT_EQ(mask.ByteCount, 5 * sizeof(wchar_t));

    EXPECT_EQ(plugin->GetKind(), 2);
    plugin->Reserved1();
    plugin->Reserved2();
    EXPECT_EQ(plugin->Reserved3(), 0);
    EXPECT_TRUE(plugin->Release());
}

TEST(PluginObject, ReturnsEqualButSeparateStrings)
{
    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    BSTR name = plugin->GetName();
    BSTR again = plugin->GetName();
    BSTR format = plugin->GetFormatName();
    ASSERT_TRUE(name && again && format);
    EXPECT_NE(name, again);
    EXPECT_NE(name, format);
    EXPECT_EQ(std::wcscmp(name, format), 0);
    // Each string is the host's own: freeing one leaves the others readable.
    Platform::FreeString(name);
    EXPECT_EQ(Utf8(again), "ORVA");
    Platform::FreeString(again);
    EXPECT_EQ(Utf8(format), "ORVA");
    Platform::FreeString(format);
    EXPECT_TRUE(plugin->Release());
}

TEST(PluginObject, GivesItsGuidInMemoryOrderWithoutTouchingItself)
{
    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    unsigned char before[sizeof(CImportPluginImpl)];
    std::memcpy(before, static_cast<void*>(plugin), sizeof before);

    GUID id;
    std::memset(&id, 0xCC, sizeof id);
#if PLUGIN_MICROSOFT_ABI
    id = plugin->GetId();
#else
    EXPECT_EQ(plugin->GetId(&id), &id);
#endif
    const unsigned char expected[16] = {0xE5, 0x7B, 0xA9, 0x3C, 0xFF, 0x5C, 0x66, 0x4D,
                                        0x87, 0xC6, 0x73, 0x40, 0x14, 0x43, 0xA9, 0x6E};
    ASSERT_EQ(sizeof id, sizeof expected);
    EXPECT_EQ(std::memcmp(&id, expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(before, static_cast<void*>(plugin), sizeof before), 0);
    EXPECT_EQ(Take(plugin->GetName()).Text, "ORVA");
    EXPECT_TRUE(plugin->Release());
}

TEST(PluginObject, AnswersInterfacesZeroToTwoWithItself)
{
    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    for (std::int32_t number : {0, 1, 2})
        EXPECT_EQ(plugin->QueryInterface(number), static_cast<void*>(plugin)) << number;
    for (std::int32_t number : {3, -1, 100, INT32_MIN})
        EXPECT_EQ(plugin->QueryInterface(number), nullptr) << number;
    // One reference from CreatePlugin, three from the hits, none from the misses.
    EXPECT_FALSE(plugin->Release());
    EXPECT_FALSE(plugin->Release());
    EXPECT_FALSE(plugin->Release());
    EXPECT_TRUE(plugin->Release());
}

TEST(PluginObject, CountsReferencesFromCreation)
{
    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    plugin->AddRef();
    EXPECT_FALSE(plugin->Release());
    EXPECT_TRUE(plugin->Release());

    Plugin::IGroundBasedMIP* first = CreatePlugin();
    Plugin::IGroundBasedMIP* second = CreatePlugin();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->Release());
    EXPECT_TRUE(second->Release());
}

TEST(PluginObject, ImportWithoutHostObjectsDoesNothing)
{
    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    TestDoubles::CFileList files({std::wstring(L"a.idx")});
    TestDoubles::CRecordingReceiver receiver;
    plugin->Import(nullptr, nullptr);
    plugin->Import(&files, nullptr);
    plugin->Import(nullptr, &receiver);
    EXPECT_EQ(files.Resets(), 0);
    EXPECT_TRUE(receiver.Calls().empty());
    EXPECT_TRUE(plugin->Release());
}

TEST(PluginObject, ImportsThroughItsSlot)
{
    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);
    TestDoubles::CFileList files({std::nullopt});
    TestDoubles::CRecordingReceiver receiver;
    plugin->Import(&files, &receiver);
    EXPECT_EQ(files.Resets(), 1);
    EXPECT_EQ(receiver.Calls(), (std::vector<std::string>{
                                    "BeginFile()", "ReportFileError(Не удается открыть файл)"}));
    EXPECT_TRUE(plugin->Release());
}

} // namespace
