// The host side of a real import: the plug-in library opened by path, checked and run through the
// host's own file list, receiver and converters.
#include "host/kit/PluginLibrary.h"
#include "host/kit/RecordReceiver.h"
#include "host/kit/UnitConverters.h"
#include "host/cli/VersionReport.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#if defined(_WIN32)
#include <windows.h>

#include <oleauto.h> // after windows.h, which it needs
#endif

namespace
{

// A BSTR as a plug-in hands it out, for the fake plug-in below.
BSTR MakeString(const wchar_t* text)
{
#if defined(_WIN32)
    return SysAllocString(text);
#else
    std::size_t length = std::wcslen(text);
    char* block = static_cast<char*>(std::malloc(4 + (length + 1) * sizeof(wchar_t)));
    std::uint32_t bytes = static_cast<std::uint32_t>(length * sizeof(wchar_t));
    std::memcpy(block, &bytes, 4);
    BSTR string = reinterpret_cast<BSTR>(block + 4);
    std::memcpy(string, text, (length + 1) * sizeof(wchar_t));
    return string;
#endif
}

// Another plug-in, or ORVA with one identity value changed.
class CFakePlugin final : public Plugin::IGroundBasedMIP
{
public:
    const wchar_t* name = L"ORVA";
    const wchar_t* mask = L"*.idx";
    const wchar_t* formatName = L"ORVA";
    std::int32_t kind = 2;
    GUID id = {0x3CA97BE5, 0x5CFF, 0x4D66, {0x87, 0xC6, 0x73, 0x40, 0x14, 0x43, 0xA9, 0x6E}};

    void AddRef() override {}
    bool Release() override { return false; }
    void* QueryInterface(std::int32_t) override { return nullptr; }
    BSTR GetName() override { return MakeString(name); }
#if PLUGIN_MICROSOFT_ABI
    GUID GetId() override
    {
        return id;
    }
#else
    GUID* GetId(GUID* result) override
    {
        *result = id;
        return result;
    }
#endif
    std::int32_t GetKind() override
    {
        return kind;
    }
    void Reserved1() override {}
    void Reserved2() override {}
    std::int32_t Reserved3() override
    {
        return 0;
    }
    BSTR GetFileMask() override
    {
        return MakeString(mask);
    }
    BSTR GetFormatName() override
    {
        return MakeString(formatName);
    }
    void Import(IImportFileList*, IGroundDataReceiver*) override {}
};

TEST(IdentityTest, AcceptsOnlyTheOrvaImporter)
{
    std::string error;
    CFakePlugin orva;
    EXPECT_TRUE(Host::CheckIdentity(&orva, error)) << error;

    CFakePlugin renamed;
    renamed.name = L"ORVB";
    EXPECT_FALSE(Host::CheckIdentity(&renamed, error));
    EXPECT_NE(std::string::npos, error.find("ORVB")) << error;

    CFakePlugin otherMask;
    otherMask.mask = L"*.gsi";
    EXPECT_FALSE(Host::CheckIdentity(&otherMask, error));

    CFakePlugin otherKind;
    otherKind.kind = 1;
    EXPECT_FALSE(Host::CheckIdentity(&otherKind, error));

    CFakePlugin otherId;
    otherId.id.Data4[7] = 0x6F;
    EXPECT_FALSE(Host::CheckIdentity(&otherId, error));
}

TEST(IdentityTest, DescriptionIsWhatAnyPluginSaysOfItself)
{
    CFakePlugin other;
    other.name = L"\u0413\u0421\u0418"; // not ASCII: the description is UTF-8
    other.formatName = L"Leica GSI";
    other.mask = L"*.gsi";
    other.kind = 1;
    other.id.Data1 = 0x00C0FFEE;
    Host::CPluginDescription description = Host::DescribePlugin(&other);
    EXPECT_EQ("\xD0\x93\xD0\xA1\xD0\x98", description.name);
    EXPECT_EQ("Leica GSI", description.formatName);
    EXPECT_EQ("*.gsi", description.fileMask);
    EXPECT_EQ(1, description.kind);
    EXPECT_EQ("{00C0FFEE-5CFF-4D66-87C6-73401443A96E}", Host::FormatGuid(description.id));
}

TEST(PathListTest, WalksThePathsAndStopsAtTheEnd)
{
    Host::CPathList list({L"a.idx", L"b.idx"});
    list.Reset();
    ASSERT_TRUE(list.IsValid());
    EXPECT_EQ(std::wstring(L"a.idx"), list.GetPath());
    list.MoveNext();
    EXPECT_EQ(std::wstring(L"b.idx"), list.GetPath());
    list.MoveNext();
    EXPECT_FALSE(list.IsValid());
    EXPECT_EQ(nullptr, list.GetPath());
    list.MoveNext();
    EXPECT_FALSE(list.IsValid());
    list.Reset();
    EXPECT_TRUE(list.IsValid());
}

#if defined(ORVA_PLUGIN_PATH)

TEST(PluginImportTest, MissingLibraryIsReported)
{
    std::string error;
    EXPECT_EQ(nullptr, Host::CPluginLibrary::Open(ORVA_SOURCE_DIR "/no-such-library", error));
    EXPECT_NE(std::string::npos, error.find("no-such-library")) << error;
}

TEST(PluginImportTest, ImportsTheSurveyJobAndReleasesEverything)
{
    std::string error;
    auto library = Host::CPluginLibrary::Open(ORVA_PLUGIN_PATH, error);
    ASSERT_TRUE(library) << error;
    Plugin::IGroundBasedMIP* plugin = library->CreatePlugin(error);
    ASSERT_NE(nullptr, plugin) << error;
    EXPECT_TRUE(Host::CheckIdentity(plugin, error)) << error;

    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    Host::CPathList files({L"" ORVA_SOURCE_DIR "/examples/survey-job.idx",
                           L"" ORVA_SOURCE_DIR "/examples/survey-job.idx"});
    {
        HostTest::CLogSink sink;
        Host::CRecordReceiver receiver(factory, {&sink});
        // One object serves several imports, each from nothing.
        plugin->Import(&files, &receiver);
        plugin->Import(&files, &receiver);
        receiver.Finish();
        std::map<std::string, int> events;
        for (const std::string& event : sink.log)
            ++events[event.substr(0, event.find(' '))];
        events.erase("unit");
        const std::map<std::string, int> expected = {{"file", 4},     {"end", 4},
                                                     {"point", 16},   {"station", 8},
                                                     {"observation", 36}};
        EXPECT_EQ(expected, events) << "every file imported, without a message";
        // Every converter and factory reference the plug-in was given has been handed back.
        EXPECT_EQ(0, factory->LiveConverters());
        EXPECT_EQ(1, factory->References());
    }
    EXPECT_TRUE(plugin->Release());
    EXPECT_TRUE(factory->Release());
}

TEST(PluginImportTest, ANullPathIsAFileThatCannotBeOpened)
{
    class CNullPaths final : public IImportFileList
    {
    public:
        bool IsValid() override { return m_left > 0; }
        void MoveNext() override { --m_left; }
        const wchar_t* GetPath() override { return nullptr; }
        void Reset() override { m_left = 1; }

    private:
        int m_left = 0;
    };
    std::string error;
    auto library = Host::CPluginLibrary::Open(ORVA_PLUGIN_PATH, error);
    ASSERT_TRUE(library) << error;
    Plugin::IGroundBasedMIP* plugin = library->CreatePlugin(error);
    ASSERT_NE(nullptr, plugin) << error;
    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    {
        HostTest::CLogSink sink;
        Host::CRecordReceiver receiver(factory, {&sink});
        CNullPaths list;
        plugin->Import(&list, &receiver);
        receiver.Finish();
        EXPECT_EQ(1u, receiver.Files());
        EXPECT_EQ(1u, receiver.FilesNotImported());
        EXPECT_EQ("end not imported", sink.log.back());
    }
    EXPECT_TRUE(plugin->Release());
    EXPECT_TRUE(factory->Release());
}

#endif

} // namespace
