// Spools and the ordered output that keeps many writers in file order.
#include "host/io/ByteSink.h"
#include "host/io/OrderedOutput.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace
{

using HostTest::CStringSink;

TEST(SpoolTest, GivesBackWhatItHeldInOrderFromMemoryAndFromATemporaryFile)
{
    for (std::size_t limit : {std::size_t{0}, std::size_t{10}, std::size_t{1} << 20})
    {
        Host::CSpool spool(limit);
        std::string expected;
        for (int i = 0; i < 20000; ++i)
        {
            const std::string piece = std::to_string(i) + ",";
            spool.Write(piece.data(), piece.size());
            expected += piece;
        }
        CStringSink out;
        spool.MoveTo(out);
        EXPECT_EQ(expected, out.text) << limit;
        EXPECT_TRUE(spool.Empty());
        spool.Write("x", 1);
        spool.MoveTo(out);
        EXPECT_EQ(expected + "x", out.text) << "a spool is reusable after it was emptied";
    }
}

// A spool in a temporary file reaches a file stream whole and in place, after what the stream
// still buffers, whether the system copies it or it is read back: into a plain file, into one
// opened for appending (which Linux may refuse to copy into), and through an ordered output.
TEST(SpoolTest, ReachesAFileStreamWholeAndInPlace)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("orva-spool-test-" + std::to_string(std::random_device{}()));
    for (const char* mode : {"wb", "ab"})
        for (bool ordered : {false, true})
        {
            std::filesystem::remove(path);
            Host::CSpool spool(0);
            std::string expected = "before,";
            for (int i = 0; i < 50000; ++i)
            {
                const std::string piece = std::to_string(i) + ",";
                spool.Write(piece.data(), piece.size());
                expected += piece;
            }
            expected += "after";
            std::unique_ptr<Host::CStreamSink> stream =
                Host::CStreamSink::Own(std::fopen(path.string().c_str(), mode), "the test file");
            Host::COrderedOutput output(*stream, 1);
            Host::IByteSink& out = ordered ? output.Producer(0) : *stream;
            out.Write("before,", 7);
            spool.MoveTo(out);
            out.Write("after", 5);
            stream->Close();
            std::ifstream written(path, std::ios::binary);
            EXPECT_EQ(expected, std::string(std::istreambuf_iterator<char>(written), {}))
                << mode << (ordered ? " ordered" : "");
        }
    std::filesystem::remove(path);
}

// Pieces appended to the text and pieces written in place reach the sink in the order written,
// whatever their sizes: a few bytes, more than a flush, more than the room the writer had.
TEST(BufferedWriterTest, TextAndPiecesWrittenInPlaceKeepTheirOrder)
{
    CStringSink out;
    Host::CBufferedWriter writer(out);
    std::string expected;
    const std::size_t sizes[] = {
        1, 3, 100, Host::CBufferedWriter::FlushSize - 5, 3 * Host::CBufferedWriter::FlushSize,
        7, 0};
    for (int round = 0; round < 3; ++round)
        for (std::size_t size : sizes)
        {
            const std::string text = "t" + std::to_string(size) + ",";
            writer.Text() += text;
            expected += text;
            const std::string piece(size, static_cast<char>('a' + size % 26));
            char* at = writer.Reserve(size + 2);
            std::memcpy(at, piece.data(), piece.size());
            writer.Wrote(at + piece.size());
            expected += piece;
            if (size % 2)
                writer.Commit();
        }
    writer.Text() += "end";
    expected += "end";
    writer.Flush();
    EXPECT_EQ(expected.size(), out.text.size());
    EXPECT_EQ(expected, out.text);
}

TEST(OrderedOutputTest, ProducersOnManyThreadsComeOutInTheirOrder)
{
    constexpr std::size_t producers = 64;
    CStringSink destination;
    Host::COrderedOutput ordered(destination, producers);
    std::atomic<std::size_t> next{0};
    auto work = [&]
    {
        for (std::size_t i = next++; i < producers; i = next++)
        {
            Host::IByteSink& sink = ordered.Producer(i);
            // Later producers write more, so they often finish after the ones behind them.
            for (std::size_t line = 0; line < 50 + (i % 7) * 400; ++line)
            {
                const std::string text = std::to_string(i) + ":" + std::to_string(line) + "\n";
                sink.Write(text.data(), text.size());
            }
            ordered.Finish(i);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();

    std::string expected;
    for (std::size_t i = 0; i < producers; ++i)
        for (std::size_t line = 0; line < 50 + (i % 7) * 400; ++line)
            expected += std::to_string(i) + ":" + std::to_string(line) + "\n";
    EXPECT_EQ(expected, destination.text);
    EXPECT_EQ(producers, ordered.Current());
}

TEST(OrderedOutputTest, AProducerThatFinishesEarlyWaitsForItsTurn)
{
    CStringSink destination;
    Host::COrderedOutput ordered(destination, 3);
    ordered.Producer(2).Write("c", 1);
    ordered.Finish(2);
    ordered.Producer(1).Write("b", 1);
    ordered.Producer(0).Write("a", 1);
    EXPECT_EQ("a", destination.text) << "only the first producer writes through";
    ordered.Finish(0);
    EXPECT_EQ("ab", destination.text);
    EXPECT_EQ(1u, ordered.Current());
    ordered.Producer(1).Write("B", 1);
    EXPECT_EQ("abB", destination.text) << "the current producer writes through";
    ordered.Finish(1);
    EXPECT_EQ("abBc", destination.text);
    EXPECT_EQ(3u, ordered.Current());
}

TEST(OrderedOutputTest, AProducerBeyondTheWindowWaitsUntilTheWindowReachesIt)
{
    CStringSink destination;
    Host::COrderedOutput ordered(destination, 4);
    ordered.WaitForWindow(1, 2); // within the window: returns at once
    std::atomic<bool> started{false};
    std::thread third(
        [&]
        {
            ordered.WaitForWindow(2, 1);
            started = true;
        });
    ordered.Finish(0);
    EXPECT_FALSE(started) << "producer 2 is still beyond a window of 1 after producer 1";
    ordered.Finish(1);
    third.join();
    EXPECT_TRUE(started);
    EXPECT_EQ(2u, ordered.Current());
}

} // namespace
