// Imports each input through the plug-in's exported entry point into a host that aborts on any
// breach of the contract. The first byte shapes the host and the thread's code page; the rest is
// the file. In code page 1252, where each byte is one character, the file's "Unicode" save must
// deliver the same as the file: its lines are all decoded before they are read, where the
// file's rows of ASCII are cut from their bytes.
#include "platform/Platform.h"
#include "tests/fuzz/CheckingHost.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" Plugin::IGroundBasedMIP* CreatePlugin();
extern "C" bool OrvaSetThreadCodePage(unsigned int codePage);

namespace
{

const unsigned int kCodePages[] = {1252, 1251, 65001, 936};

// One file per process, so that parallel fuzzing processes do not share it.
const std::string& InputPath()
{
    static const std::string path = []
    {
        const char* directory = std::getenv("TMPDIR");
        return std::string(directory && *directory ? directory : "/tmp") + "/orva-fuzz-" +
               std::to_string(::getpid()) + ".idx";
    }();
    return path;
}

void WriteInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file)
        Checking::Breach("the fuzzer cannot write its input file");
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        Checking::Breach("the fuzzer cannot write its input file");
    std::fclose(file);
}

std::wstring WidePath(const std::string& path)
{
    return std::wstring(path.begin(), path.end());
}

std::string ImportOnce(Plugin::IGroundBasedMIP& plugin, const Checking::CHostShape& shape)
{
    Checking::CReceiver receiver(shape);
    Checking::CFileList files(WidePath(InputPath()));
    const std::size_t descriptors = Checking::OpenDescriptors();
    try
    {
        plugin.Import(&files, &receiver);
    }
    catch (...)
    {
        Checking::Breach("an exception left Import");
    }
    if (Checking::OpenDescriptors() != descriptors)
        Checking::Breach("a file descriptor was left open");
    if (receiver.Files() != 1)
        Checking::Breach("the file of the list was not begun exactly once");
    receiver.CheckAllReleased();
    return receiver.Transcript();
}

bool StartsWithMark(const std::uint8_t* data, std::size_t size)
{
    return (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) ||
           (size >= 2 &&
            ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)));
}

// The file as UTF-16 with its mark, each byte decoded in the thread's single-byte code page.
std::string UnicodeSave(const std::uint8_t* data, std::size_t size)
{
    std::wstring text;
    Platform::DecodeThreadCodePage(reinterpret_cast<const char*>(data), size, text);
    if (text.size() != size)
        Checking::Breach("a single-byte code page gave other than a character a byte");
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text)
    {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t selector = data[0];
    WriteInput(data + 1, size - 1);
    // Selecting a page builds its decoder: only a change of page pays for that.
    static unsigned int selected = 0;
    const unsigned int codePage = kCodePages[(selector >> 4) & 3u];
    if (codePage != selected && !OrvaSetThreadCodePage(codePage))
        Checking::Breach("a code page of the fuzzer's set was refused");
    selected = codePage;

    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    if (!plugin)
        Checking::Breach("CreatePlugin gave no object");
    const Checking::CHostShape shape = Checking::CHostShape::FromSelector(selector);
    const std::string transcript = ImportOnce(*plugin, shape);
    if (codePage == 1252 && !StartsWithMark(data + 1, size - 1))
    {
        const std::string unicode = UnicodeSave(data + 1, size - 1);
        WriteInput(reinterpret_cast<const std::uint8_t*>(unicode.data()), unicode.size());
        if (ImportOnce(*plugin, shape) != transcript)
            Checking::Breach("the Unicode save of the file delivered otherwise than the file");
    }
    if (!plugin->Release())
        Checking::Breach("the plug-in outlived its last reference");
    return 0;
}
