#include "viewer/SliceSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// A file in memory that counts its reads and can fail from a given offset on.
class CMemoryReader final : public Viewer::ISliceReader
{
public:
    explicit CMemoryReader(std::string bytes) : m_bytes(std::move(bytes)) {}

    long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) noexcept override
    {
        ++reads;
        if (offset >= failFrom)
            return -1;
        if (offset >= m_bytes.size())
            return 0;
        const std::size_t got = std::min<std::size_t>(size, m_bytes.size() - offset);
        m_bytes.copy(buffer, got, offset);
        return static_cast<long long>(got);
    }

    std::string m_bytes;
    std::uint64_t failFrom = ~std::uint64_t{0};
    int reads = 0;
};

// Everything the source gives, read in pieces of chunk bytes.
std::string ReadAll(IByteSource& source, std::size_t chunk, bool* ok = nullptr)
{
    std::string all;
    std::vector<char> buffer(chunk);
    std::size_t got = 0;
    bool fine = true;
    while ((fine = source.Read(buffer.data(), buffer.size(), got)) && got > 0)
        all.append(buffer.data(), got);
    if (ok)
        *ok = fine;
    return all;
}

const std::string Bytes = "HEADER\r\n  SEPARATOR ','\r\nEND HEADER\r\n\x1A";

TEST(SliceSource, GivesEveryByteOnceWhateverTheSliceAndReadSizes)
{
    struct Case
    {
        std::size_t slice;
        std::size_t chunk;
    };
    const Case cases[] = {
        {1, 1},   {1, 64}, {3, 2}, {7, 7}, {16, 5}, {Bytes.size(), 1}, {Bytes.size() + 1, 4096},
        {4096, 3}};
    for (const Case& c : cases)
    {
        CMemoryReader reader(Bytes);
        Viewer::CSliceSource source(reader, Bytes.size(), c.slice);
        EXPECT_EQ(Bytes, ReadAll(source, c.chunk)) << "slice " << c.slice << ", read " << c.chunk;
        EXPECT_EQ("", ReadAll(source, c.chunk)) << "read on past the end";
    }
}

TEST(SliceSource, RewindReadsTheFileAgainFromItsFirstByte)
{
    CMemoryReader reader(Bytes);
    Viewer::CSliceSource source(reader, Bytes.size(), 5);
    ASSERT_TRUE(source.IsRewindable());
    EXPECT_EQ(Bytes, ReadAll(source, 4));
    ASSERT_TRUE(source.Rewind());
    EXPECT_EQ(Bytes, ReadAll(source, 9));
}

TEST(SliceSource, AFileInOneSliceIsReadFromItsDiskOnce)
{
    CMemoryReader reader(Bytes);
    Viewer::CSliceSource source(reader, Bytes.size());
    EXPECT_EQ(Bytes, ReadAll(source, 8));
    ASSERT_TRUE(source.Rewind());
    EXPECT_EQ(Bytes, ReadAll(source, 8));
    EXPECT_EQ(1, reader.reads);
}

TEST(SliceSource, AnEmptyFileEndsAtOnceWithoutARead)
{
    CMemoryReader reader("");
    Viewer::CSliceSource source(reader, 0);
    bool ok = false;
    EXPECT_EQ("", ReadAll(source, 16, &ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(0, reader.reads);
}

TEST(SliceSource, AFailedSliceIsAReadErrorThatLasts)
{
    CMemoryReader reader(Bytes);
    reader.failFrom = 10;
    Viewer::CSliceSource source(reader, Bytes.size(), 10);
    bool ok = true;
    EXPECT_EQ(Bytes.substr(0, 10), ReadAll(source, 4, &ok));
    EXPECT_FALSE(ok);
    EXPECT_TRUE(source.Failed());
    EXPECT_FALSE(source.Rewind());
}

TEST(SliceSource, AFileThatShrankEndsWhereItsBytesEnd)
{
    CMemoryReader reader(Bytes.substr(0, 12));
    Viewer::CSliceSource source(reader, Bytes.size(), 5);
    bool ok = false;
    EXPECT_EQ(Bytes.substr(0, 12), ReadAll(source, 3, &ok));
    EXPECT_TRUE(ok);
    EXPECT_FALSE(source.Failed());
}

TEST(SliceSource, AReaderThatGivesMoreThanAskedIsAFailure)
{
    class COverflowing final : public Viewer::ISliceReader
    {
    public:
        long long ReadAt(std::uint64_t, char*, std::size_t size) noexcept override
        {
            return static_cast<long long>(size) + 1;
        }
    } reader;
    Viewer::CSliceSource source(reader, 100, 10);
    char buffer[4];
    std::size_t got = 1;
    EXPECT_FALSE(source.Read(buffer, sizeof buffer, got));
    EXPECT_EQ(0u, got);
}

} // namespace
