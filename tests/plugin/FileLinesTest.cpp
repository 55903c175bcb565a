// The file's lines as the driver walks them, read in blocks, against the same rules applied to the
// whole file in memory: lines, CR, NUL, Ctrl-Z and byte-order marks must come out the same
// wherever a block happens to end.
#include "plugin/ImportDriver.h"

#include "platform/Platform.h"
#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace
{

using PluginTests::CTestDirectory;

// The rules on the whole file: the lines of bytes, decoded.
std::vector<std::wstring> ExpectedLines(const std::string& bytes)
{
    std::size_t mark = 0;
    const Driver::TextEncoding encoding =
        Driver::DetectByteOrderMark(bytes.data(), bytes.size(), mark);
    const bool wide = encoding == Driver::TextEncoding::Utf16LittleEndian ||
                      encoding == Driver::TextEncoding::Utf16BigEndian;
    const std::size_t unit = wide ? 2 : 1;
    const bool big = encoding == Driver::TextEncoding::Utf16BigEndian;
    auto unitAt = [&](std::size_t at)
    {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
        return wide ? (big ? b[0] << 8 | b[1] : b[1] << 8 | b[0]) : b[0];
    };
    std::vector<std::size_t> units; // offsets of whole units before the first Ctrl-Z
    for (std::size_t at = mark; at + unit <= bytes.size() && unitAt(at) != 0x1A; at += unit)
        units.push_back(at);

    std::vector<std::wstring> lines;
    std::size_t first = 0;
    auto emit = [&](std::size_t end, bool lineFeed)
    {
        if (lineFeed && end > first && unitAt(units[end - 1]) == '\r')
            --end;
        std::size_t cut = first;
        while (cut < end && unitAt(units[cut]) != 0)
            ++cut;
        std::wstring text;
        const char* begin = bytes.data() + (first < units.size() ? units[first] : 0);
        const std::size_t size = (cut - first) * unit;
        switch (encoding)
        {
        case Driver::TextEncoding::Utf8:
            Driver::DecodeUtf8(begin, size, text);
            break;
        case Driver::TextEncoding::Utf16LittleEndian:
        case Driver::TextEncoding::Utf16BigEndian:
            Driver::DecodeUtf16(begin, size / 2, big, text);
            break;
        case Driver::TextEncoding::ThreadCodePage:
            Platform::DecodeThreadCodePage(begin, size, text);
            break;
        }
        lines.push_back(text);
    };
    for (std::size_t i = 0; i < units.size(); ++i)
        if (unitAt(units[i]) == '\n')
        {
            emit(i, true);
            first = i + 1;
        }
    if (first < units.size())
        emit(units.size(), false);
    return lines;
}

// Lines of every length up to well past a block, built from the characters that matter to the
// walk; now and then a Ctrl-Z or a stray odd byte.
std::string RandomFile(std::mt19937& random, const std::string& mark, std::size_t size)
{
    static const char kBytes[] = {'a', 'b', '\r', '\n', '\0', '\x0A', '\x0D', '\xC3', '\xA9', ' '};
    std::uniform_int_distribution<int> lengthKind(0, 9);
    std::uniform_int_distribution<std::size_t> shortLength(0, 80);
    std::uniform_int_distribution<std::size_t> longLength(0, 700 * 1024);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kBytes - 1);
    std::uniform_int_distribution<int> rare(0, 400000);
    std::string bytes = mark;
    while (bytes.size() < size)
    {
        const std::size_t length =
            lengthKind(random) == 0 ? longLength(random) : shortLength(random);
        for (std::size_t i = 0; i < length; ++i)
            bytes.push_back(rare(random) == 0 ? '\x1A' : kBytes[pick(random)]);
        bytes.push_back('\n');
        if (mark.size() == 2)
            bytes.push_back('\0'); // whole units of UTF-16 LF, in either order's meaning
    }
    if (rare(random) % 2 == 0)
        bytes.push_back('z'); // a last line without LF, or half a unit
    return bytes;
}

std::vector<std::wstring>
WalkedLines(const std::wstring& path, std::size_t& count,
            Driver::CFileLines::Indent indent = Driver::CFileLines::Indent::Keep)
{
    Platform::CInputFile file;
    EXPECT_EQ(Platform::ReadStatus::Read, file.Open(path.c_str()));
    Driver::CFileLines lines;
    EXPECT_TRUE(lines.Read(file));
    count = lines.Count();
    std::vector<std::wstring> walked;
    std::wstring text;
    while (lines.DecodeNext(text, indent))
        walked.push_back(text);
    EXPECT_FALSE(lines.Failed());
    return walked;
}

// The lines without their indent, as a reader that may drop it gives them where the bytes
// tell blanks apart: in UTF-8 and the thread's code page, not in UTF-16.
std::vector<std::wstring> WithoutIndent(std::vector<std::wstring> lines)
{
    for (std::wstring& line : lines)
        line.erase(0, std::min(line.size(), line.find_first_not_of(L" \t")));
    return lines;
}

struct MarkCase
{
    const char* name;
    std::string mark;
    bool indentIsBytes;
};

// A file of one-byte units as made, without any NUL or Ctrl-Z (which the walk then looks for no
// more), and with one of them late in the file, after the count has passed many blocks.
std::vector<std::pair<std::string, std::string>> Variants(const std::string& bytes, bool wide)
{
    std::vector<std::pair<std::string, std::string>> variants = {{"as made", bytes}};
    if (wide)
        return variants;
    std::string clean = bytes;
    clean.erase(
        std::remove_if(clean.begin(), clean.end(), [](char c) { return c == '\0' || c == '\x1A'; }),
        clean.end());
    for (const char rare : {'\0', '\x1A'})
    {
        std::string late = clean;
        late[late.size() * 3 / 4] = rare;
        variants.emplace_back(rare == '\0' ? "one NUL late" : "one Ctrl-Z late", late);
    }
    variants.emplace_back("clean", clean);
    return variants;
}

TEST(FileLines, WalksTheLinesOfAWholeFileWhereverTheBlocksEnd)
{
    const MarkCase marks[] = {{"no mark", "", true},
                              {"UTF-8", "\xEF\xBB\xBF", true},
                              {"UTF-16 LE", "\xFF\xFE", false},
                              {"UTF-16 BE", "\xFE\xFF", false}};
    CTestDirectory files;
    for (const MarkCase& mark : marks)
        for (const unsigned seed : {1u, 2u, 3u})
        {
            std::mt19937 random(seed);
            const std::string made = RandomFile(random, mark.mark, 1500 * 1024);
            for (const auto& [variant, bytes] : Variants(made, mark.mark.size() == 2))
            {
                const std::string where =
                    std::string(mark.name) + ", seed " + std::to_string(seed) + ", " + variant;
                const std::vector<std::wstring> expected = ExpectedLines(bytes);
                std::size_t count = 0;
                const std::vector<std::wstring> walked =
                    WalkedLines(files.Write("lines.idx", bytes), count);
                EXPECT_EQ(expected.size(), count) << where;
                ASSERT_EQ(expected.size(), walked.size()) << where;
                for (std::size_t i = 0; i < expected.size(); ++i)
                    ASSERT_EQ(expected[i], walked[i]) << where << ", line " << i;
                const std::vector<std::wstring> dropped = WalkedLines(
                    files.Write("lines.idx", bytes), count, Driver::CFileLines::Indent::MayDrop);
                EXPECT_EQ(mark.indentIsBytes ? WithoutIndent(expected) : expected, dropped)
                    << where << ", indent dropped";
            }
        }
}

#if !defined(_WIN32)
// A pipe cannot be read twice: it is held whole, and walks the same, with NULs or without.
TEST(FileLines, WalksAPipeAsAFile)
{
    std::mt19937 random(7);
    const std::string made = RandomFile(random, "", 900 * 1024);
    for (const bool keepsNuls : {true, false})
    {
        // Read to its end, so that the writer is never left waiting: no Ctrl-Z ends it early.
        std::string bytes = made;
        bytes.erase(std::remove(bytes.begin(), bytes.end(), '\x1A'), bytes.end());
        if (!keepsNuls)
            bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        // More than a pipe holds: the writer waits for the reader.
        std::thread writer(
            [&]
            {
                for (std::size_t at = 0; at < bytes.size();)
                {
                    const ssize_t written = ::write(ends[1], bytes.data() + at, bytes.size() - at);
                    if (written <= 0)
                        break;
                    at += static_cast<std::size_t>(written);
                }
                ::close(ends[1]);
            });
        std::size_t count = 0;
        const std::vector<std::wstring> walked =
            WalkedLines(L"/proc/self/fd/" + std::to_wstring(ends[0]), count);
        writer.join();
        ::close(ends[0]);
        const std::vector<std::wstring> expected = ExpectedLines(bytes);
        EXPECT_EQ(expected.size(), count);
        EXPECT_EQ(expected, walked);
    }
}
#endif

} // namespace
