// The platform layer: code pages, whole-file reading, the message table and host strings.
#include "platform/Platform.h"
#include "plugin/Messages.h"
#include "resources/MessageIds.h"
#include "tests/doubles/RecordingReceiver.h"
#include "tests/doubles/WideText.h"
#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <thread>

#if !defined(_WIN32)
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace
{

using TestDoubles::Utf8;

std::string Decode(const std::string& bytes)
{
    std::wstring text = L"left over";
    Platform::DecodeThreadCodePage(bytes.data(), bytes.size(), text);
    return Utf8(text);
}

// Code points of a decoded text, so that control characters show in a failure.
std::vector<unsigned long> CodePoints(const std::string& bytes)
{
    std::wstring text;
    Platform::DecodeThreadCodePage(bytes.data(), bytes.size(), text);
    return std::vector<unsigned long>(text.begin(), text.end());
}

class CodePage : public ::testing::Test
{
protected:
    void TearDown() override { Platform::SelectThreadCodePage(1252); }

    // False when the platform has no way to select the page; the test is then skipped.
    static bool Select(unsigned int codePage) { return Platform::SelectThreadCodePage(codePage); }
};

TEST_F(CodePage, DecodesWindows1252WithItsUndefinedBytesAsThemselves)
{
    if (!Select(1252))
        GTEST_SKIP() << "code page 1252 cannot be selected here";
    EXPECT_EQ(Decode("caf\xE9 \x80 \x9F"), "café € Ÿ");
    EXPECT_EQ(CodePoints("\x81\x8D\x8F\x90\x9D"),
              (std::vector<unsigned long>{0x81, 0x8D, 0x8F, 0x90, 0x9D}));
    EXPECT_EQ(Decode(""), "");
}

TEST_F(CodePage, DecodesEveryByteOfASingleBytePageToOneCharacter)
{
    for (unsigned int page : {1250u, 1251u, 1252u, 1253u, 1254u, 1257u})
    {
        if (!Platform::SelectThreadCodePage(page))
            continue;
        std::string all;
        for (int byte = 1; byte < 256; ++byte)
            all += static_cast<char>(byte);
        const auto points = CodePoints(all);
        ASSERT_EQ(points.size(), 255u) << page;
        for (int byte = 1; byte < 128; ++byte)
            EXPECT_EQ(points[byte - 1], static_cast<unsigned long>(byte)) << page;
    }
}

TEST_F(CodePage, DecodesBytesOutsideThePagesCharacterSetAsWindowsDoes)
{
    const struct
    {
        unsigned int page;
        unsigned char byte;
        unsigned long character;
    } cases[] = {
        {1252, 0x81, 0x0081}, {1252, 0x9D, 0x009D}, {1250, 0x83, 0x0083}, {1251, 0x98, 0x0098},
        {1254, 0x8E, 0x008E}, {1253, 0xAA, 0xF8F9}, {1253, 0xFF, 0xF8FB}, {1255, 0xCA, 0x05BA},
        {1255, 0xFF, 0xF896}, {1257, 0xA1, 0xF8FC}, {874, 0xDB, 0xF8C1},  {874, 0xFF, 0xF8C8},
    };
    int decoded = 0;
    for (const auto& c : cases)
    {
        if (!Select(c.page))
            continue;
        ++decoded;
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(CodePoints(byte), (std::vector<unsigned long>{c.character}))
            << "page " << c.page << " byte " << static_cast<int>(c.byte);
    }
    EXPECT_GT(decoded, 0);
}

TEST_F(CodePage, DecodesWindows1251Cyrillic)
{
    if (!Select(1251))
        GTEST_SKIP() << "code page 1251 cannot be selected here";
    EXPECT_EQ(Decode("\xCF\xF3\xED\xEA\xF2 \xB9"
                     "5 \xC0\xFF"),
              "Пункт №5 Ая");
    EXPECT_EQ(CodePoints("\x98"), (std::vector<unsigned long>{0x98}));
}

// Lines of ASCII are widened sixteen bytes at a time, the last block overlapping the one before;
// a byte above ASCII anywhere, in a block or in the bytes left over, sends the line through the
// page's table. Every length around the blocks, with the letter in every place or nowhere.
TEST_F(CodePage, DecodesLinesOfEveryLengthWithALetterAboveAsciiAnywhere)
{
    if (!Select(1251))
        GTEST_SKIP() << "code page 1251 cannot be selected here";
    for (std::size_t length = 0; length < 70; ++length)
        for (std::size_t place = 0; place <= length; ++place)
        {
            std::string bytes;
            std::vector<unsigned long> expected;
            for (std::size_t i = 0; i < length; ++i)
            {
                const bool letter = i == place;
                bytes.push_back(letter ? '\xC0' : static_cast<char>('0' + i % 75));
                expected.push_back(letter ? 0x410 : static_cast<unsigned long>('0' + i % 75));
            }
            ASSERT_EQ(expected, CodePoints(bytes)) << "length " << length << " place " << place;
        }
}

TEST_F(CodePage, DecodesOemCyrillic866)
{
    if (!Select(866))
        GTEST_SKIP() << "code page 866 cannot be selected here";
    EXPECT_EQ(Decode("\x8F\xE3\xAD\xAA\xE2"), "Пункт");
}

TEST_F(CodePage, DecodesUtf8AndReplacesWhatIsNotUtf8)
{
    if (!Select(65001))
        GTEST_SKIP() << "code page 65001 cannot be selected here";
    EXPECT_EQ(Decode("\xD0\x9F\xD1\x83 \xE2\x82\xAC \xF0\x9F\x98\x80"), "Пу € 😀");
    EXPECT_EQ(Decode("a\xFF"
                     "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Decode("a\xE2\x82"), "a\xEF\xBF\xBD");
}

TEST_F(CodePage, KeepsTheSelectionWhenAPageIsUnknown)
{
    if (!Select(1251))
        GTEST_SKIP() << "code page 1251 cannot be selected here";
    EXPECT_FALSE(Platform::SelectThreadCodePage(12345));
    EXPECT_FALSE(Platform::SelectThreadCodePage(0));
    EXPECT_EQ(Decode("\xCF"), "П");
}

TEST_F(CodePage, BelongsToTheCallingThread)
{
    if (!Select(1252))
        GTEST_SKIP() << "code page 1252 cannot be selected here";
    std::string other;
    bool selected = false;
    std::thread worker(
        [&]
        {
            selected = Platform::SelectThreadCodePage(1251);
            other = Decode("\xCF");
        });
    worker.join();
    ASSERT_TRUE(selected);
    EXPECT_EQ(other, "П");
    EXPECT_EQ(Decode("\xCF"), "Ï");
}

TEST(ReadWholeFile, GivesTheBytesUnchanged)
{
    PluginTests::CTestDirectory files;
    const std::string bytes("a\r\nb\rc\0d\x1A\xFF\n", 12);
    std::string read = "left over";
    EXPECT_EQ(Platform::ReadWholeFile(files.Write("bytes.idx", bytes).c_str(), read),
              Platform::ReadStatus::Read);
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(Platform::ReadWholeFile(files.Write("empty.idx", "").c_str(), read),
              Platform::ReadStatus::Read);
    EXPECT_EQ(read, "");

    std::string large(300 * 1024 + 7, 'x');
    large[150000] = '\n';
    EXPECT_EQ(Platform::ReadWholeFile(files.Write("large.idx", large).c_str(), read),
              Platform::ReadStatus::Read);
    EXPECT_EQ(read, large);
}

TEST(ReadWholeFile, CannotOpenWhatIsNotAFile)
{
    PluginTests::CTestDirectory files;
    std::string read;
    EXPECT_EQ(Platform::ReadWholeFile(files.Missing("missing.idx").c_str(), read),
              Platform::ReadStatus::CannotOpen);
    EXPECT_EQ(Platform::ReadWholeFile(files.Path().c_str(), read),
              Platform::ReadStatus::CannotOpen);
    EXPECT_EQ(Platform::ReadWholeFile(L"", read), Platform::ReadStatus::CannotOpen);
    EXPECT_EQ(Platform::ReadWholeFile(nullptr, read), Platform::ReadStatus::CannotOpen);
}

TEST(ReadWholeFile, ReadsAFileThatIsOpenForWriting)
{
    PluginTests::CTestDirectory files;
    const std::wstring path = files.Write("busy.idx", "");
    std::ofstream writer(std::filesystem::path(path), std::ios::binary | std::ios::app);
    writer << "written so far\n";
    writer.flush();
    std::string read;
    EXPECT_EQ(Platform::ReadWholeFile(path.c_str(), read), Platform::ReadStatus::Read);
    EXPECT_EQ(read, "written so far\n");
}

// A file that opens but cannot be read: the first bytes of a process's own memory are never
// mapped, so reading them fails.
TEST(ReadWholeFile, TellsAReadFailureFromAFileThatCannotBeOpened)
{
    const char* memory = "/proc/self/mem";
    if (!std::ifstream(memory))
        GTEST_SKIP() << memory << " cannot be opened here";
    std::string read;
    EXPECT_EQ(Platform::ReadWholeFile(L"/proc/self/mem", read), Platform::ReadStatus::ReadFailed);
}

// Only something that ends is read: a device may stream for ever or never answer.
TEST(ReadWholeFile, RefusesDevicesAtOnce)
{
    std::string read;
#if defined(_WIN32)
    for (const wchar_t* device : {L"NUL", L"\\\\.\\NUL", L"CONIN$"})
#else
    for (const wchar_t* device : {L"/dev/zero", L"/dev/null", L"/dev/urandom"})
#endif
        EXPECT_EQ(Platform::ReadWholeFile(device, read), Platform::ReadStatus::CannotOpen)
            << Utf8(device);
}

#if !defined(_WIN32)
// A FIFO that no one writes to is read at once as empty instead of blocking the host's thread in
// open().
TEST(ReadWholeFile, ReadsAFifoWithoutWaitingForAWriter)
{
    PluginTests::CTestDirectory files;
    const std::wstring path = files.Missing("fifo.idx");
    ASSERT_EQ(::mkfifo(Utf8(path).c_str(), 0600), 0);
    std::string read = "left over";
    EXPECT_EQ(Platform::ReadWholeFile(path.c_str(), read), Platform::ReadStatus::Read);
    EXPECT_EQ(read, "");

    std::remove(Utf8(path).c_str());
}

// A pipe, as a shell's <(command) hands it over, is read to its end.
TEST(ReadWholeFile, ReadsAPipeToItsEnd)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string text = "HEADER\nEND HEADER\n";
    ASSERT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(ends[1]);
    const std::wstring path = L"/proc/self/fd/" + std::to_wstring(ends[0]);
    std::string read;
    EXPECT_EQ(Platform::ReadWholeFile(path.c_str(), read), Platform::ReadStatus::Read);
    EXPECT_EQ(read, text);
    ::close(ends[0]);
}

TEST(ReadWholeFile, RefusesASocket)
{
    PluginTests::CTestDirectory files;
    const std::string path = Utf8(files.Missing("socket.idx"));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::string read;
    EXPECT_EQ(Platform::ReadWholeFile(files.Missing("socket.idx").c_str(), read),
              Platform::ReadStatus::CannotOpen);
    ::close(listener);
    std::remove(path.c_str());
}
#endif

TEST(ReadWholeFile, OpensAPathWithCyrillicCharacters)
{
    PluginTests::CTestDirectory files;
    const std::string name = "/\xD0\x9F\xD1\x83\xD0\xBD\xD0\xBA\xD1\x82.idx";
    std::ofstream(std::filesystem::u8path(Utf8(files.Path()) + name), std::ios::binary) << "x";
    const std::wstring path = files.Path() + L"/\u041F\u0443\u043D\u043A\u0442.idx";
    std::string read;
    EXPECT_EQ(Platform::ReadWholeFile(path.c_str(), read), Platform::ReadStatus::Read);
    EXPECT_EQ(read, "x");
}

TEST(MessageTable, HoldsTheTextOfEveryId)
{
    const struct
    {
        std::int32_t id;
        const char* text;
    } entries[] = {
        {MessageId::CannotOpenFile, "Не удается открыть файл"},
        {MessageId::PointNumberMissing, "Не указан уникальный номер точки"},
        {MessageId::PointNameMissing, "Не указано имя точки"},
        {MessageId::UnknownFormat, "Файл содержит данные в неизвестном формате"},
        {MessageId::CannotParseLine, "Не удается разобрать строку"},
    };
    for (const auto& entry : entries)
        EXPECT_EQ(Utf8(LoadMessageText(entry.id)), entry.text) << entry.id;
}

TEST(MessageTable, GivesAnEmptyTextForAMissingEntry)
{
    for (std::int32_t id : {0, 100, 102, 103, 108, 111, 112, 1000, -1, -101, INT32_MAX})
        EXPECT_EQ(LoadMessageText(id), L"") << id;
}

TEST(MessageTable, ReportsForTheCurrentLine)
{
    TestDoubles::CRecordingReceiver receiver;
    ReportMessage(&receiver, MessageId::PointNameMissing);
    ReportMessage(&receiver, 102);
    ReportMessage(nullptr, MessageId::PointNameMissing);
    EXPECT_EQ(receiver.Calls(), (std::vector<std::string>{"ReportLineError(Не указано имя точки)",
                                                          "ReportLineError()"}));
}

TEST(HostString, HasTheLengthPrefixAndTheTerminator)
{
    BSTR text = Platform::AllocateString(L"*.idx");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Platform::StringByteLength(text), 5 * sizeof(wchar_t));
    EXPECT_EQ(text[5], L'\0');
    EXPECT_EQ(Utf8(text), "*.idx");
    Platform::FreeString(text);

    BSTR empty = Platform::AllocateString(L"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Platform::StringByteLength(empty), 0u);
    EXPECT_EQ(empty[0], L'\0');
    Platform::FreeString(empty);
    EXPECT_EQ(Platform::AllocateString(nullptr), nullptr);
}

} // namespace
