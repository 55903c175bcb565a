// What one hostile line costs the plug-in in memory, counted by the program's own allocator: a
// corrupt file with a line of many megabytes must not take the host's memory with it.
#include "plugin/ImportDriver.h"
#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/RecordingReceiver.h"
#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace
{

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

// Each block carries its size in front, so that delete knows what it gives back.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size)
{
    void* block = std::malloc(size + kHeader);
    if (!block)
        throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const std::size_t live = g_live += size;
    std::size_t peak = g_peak;
    while (live > peak && !g_peak.compare_exchange_weak(peak, live))
    {
    }
    return static_cast<char*>(block) + kHeader;
}

void Free(void* pointer) noexcept
{
    if (!pointer)
        return;
    void* block = static_cast<char*>(pointer) - kHeader;
    g_live -= *static_cast<std::size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* pointer) noexcept
{
    Free(pointer);
}
void operator delete[](void* pointer) noexcept
{
    Free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    Free(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    Free(pointer);
}

namespace
{

constexpr std::size_t kLength = 1 << 20;

TEST(LongLineMemory, NoLineCostsMoreThanAboutThreeTimesItsDecodedText)
{
    const std::string filler(kLength, ',');
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"row of empty fields", "DATABASE\nPOINTS(PointNo,PointID,North)\n1,P1" + filler + "\n"},
        {"row of empty fields after a blank",
         "DATABASE\nPOINTS(PointNo,PointID,North)\n 1,P1" + filler + "\n"},
        // The long field is one the receiver is not sent, so that only the plug-in's copies count.
        {"one long field",
         "DATABASE\nPOINTS(PointNo,PointID)\n'" + std::string(kLength, 'x') + "',P1\n"},
        {"escaped row", "DATABASE\nPOINTS(PointNo,PointID)\n1,P1" + filler + "\\\\q\n"},
        {"head of empty columns", "DATABASE\nPOINTS(PointNo" + filler + ")\n"},
        {"skipped head", "DATABASE\nJOBS" + std::string(kLength, 'j') + "\n"},
        {"separator and blanks", "HEADER\nSEPARATOR" + std::string(kLength, ' ') + "x\n"},
        {"END and words", "HEADER\nEND" + std::string(kLength / 2, ' ') + "w\n"},
        {"unit line of words", "HEADER\nUNITS\nANGULAR" + std::string(kLength, '\t') + "DMS\n"},
        {"setup line of words",
         "THEODOLITE\nSETUP\nSTN_ID" + std::string(kLength / 2, ' ') + "x\n"},
    };
    PluginTests::CTestDirectory files;
    for (const auto& c : cases)
    {
        const std::wstring path = files.Write("long.idx", c.bytes);
        TestDoubles::CCountingConverterFactory factory;
        TestDoubles::CRecordingReceiver receiver(&factory);
        const std::size_t before = g_live;
        g_peak = before;
        ImportFile(path, &receiver);
        // The file's bytes are held once; beyond them, the longest line's decoded text is the
        // measure.
        const std::size_t decoded = c.bytes.size() * sizeof(wchar_t);
        const std::size_t cost = g_peak - before - c.bytes.size();
        EXPECT_LE(cost, 3 * decoded + 4096) << c.name << ": " << cost / decoded << "x";
    }
}

} // namespace
