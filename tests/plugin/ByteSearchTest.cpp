#include "plugin/ByteSearch.h"

#include "platform/AsciiText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

// Every length around the sixteen-byte blocks, every start within a block, the byte absent or at
// each place, bytes with the high bit set and a buffer full of the byte's neighbours; the same
// for the first of two bytes.
TEST(FindByteTest, FindsTheFirstByteAsAPlainSearchDoes)
{
    for (char wanted : {'\n', '\0', '\x1A', '\xFF'})
        for (std::size_t start = 0; start < 16; ++start)
            for (std::size_t length = 0; length < 70; ++length)
                for (std::size_t place = 0; place <= length; ++place)
                {
                    std::string buffer(start + length + 16, static_cast<char>(wanted ^ 1));
                    if (place < length)
                        buffer[start + place] = wanted;
                    // A match beyond the end must not be found.
                    buffer[start + length] = wanted;
                    const char* begin = buffer.data() + start;
                    const char* end = begin + length;
                    ASSERT_EQ(std::find(begin, end, wanted) - begin,
                              Driver::FindByte(begin, end, wanted) - begin)
                        << "start " << start << " length " << length << " place " << place;
                    // With a second byte wanted too, at another place, before or after.
                    const char second = static_cast<char>(wanted ^ 0x40);
                    if (length > 0)
                        buffer[start + (place * 7 + 3) % length] = second;
                    const auto isEither = [&](char c) { return c == wanted || c == second; };
                    ASSERT_EQ(std::find_if(begin, end, isEither) - begin,
                              Driver::FindEitherByte(begin, end, wanted, second) - begin)
                        << "start " << start << " length " << length << " place " << place;
                }
}

// The same buffers for the count, filled with the byte's neighbour, which a word-at-a-time test
// that is not exact would count after a match: every match before the end is counted, the one
// after it is not, and the end of the last match is found or left alone.
TEST(CountByteTest, CountsAndFindsTheLastAsAPlainLoopDoes)
{
    // Past 255 blocks of sixteen, the counts kept per byte would overflow unless summed.
    std::vector<std::size_t> lengths = {4079, 4080, 4096, 9001};
    for (std::size_t length = 0; length < 600; length += length < 70 ? 1 : 37)
        lengths.push_back(length);
    for (std::size_t start = 0; start < 16; ++start)
        for (const std::size_t length : lengths)
            for (std::size_t every : {1, 2, 7, 16, 1000})
            {
                std::string buffer(start + length + 16, '\n' ^ 1);
                for (std::size_t i = 0; i < length; i += every)
                    buffer[start + i] = '\n';
                buffer[start + length] = '\n';
                const char* begin = buffer.data() + start;
                const char* end = begin + length;
                const char* afterLast = nullptr;
                const std::size_t count = Driver::CountByte(begin, end, '\n', afterLast);
                const auto* last = std::find(std::make_reverse_iterator(end),
                                             std::make_reverse_iterator(begin), '\n')
                                       .base();
                ASSERT_EQ(static_cast<std::size_t>(std::count(begin, end, '\n')), count)
                    << "start " << start << " length " << length << " every " << every;
                ASSERT_EQ(count == 0 ? nullptr : last, afterLast)
                    << "start " << start << " length " << length << " every " << every;
            }
}

// The count that stops at a Ctrl-Z and notices a NUL: LFs every few bytes, a Ctrl-Z or a NUL (or
// both, in either order) at each kind of place, in the first group of blocks or a later one, and
// one more of each right after the end, which must not count.
TEST(CountByteTest, StopsAtTheFirstStopByteAndFlagsAByteBeforeIt)
{
    const std::size_t lengths[] = {0, 1, 15, 16, 17, 100, 4079, 4080, 4081, 9001};
    const std::size_t none = static_cast<std::size_t>(-1);
    for (const std::size_t length : lengths)
        for (const std::size_t stopAt :
             {none, std::size_t{0}, length / 3, length - 1, length + 5000})
            for (const std::size_t flagAt : {none, std::size_t{0}, length / 2, length - 1})
            {
                std::string buffer(length + 16, 'a');
                for (std::size_t i = 0; i < length; i += 7)
                    buffer[i] = '\n';
                buffer[length] = '\x1A';
                if (length + 1 < buffer.size())
                    buffer[length + 1] = '\0';
                if (flagAt < length)
                    buffer[flagAt] = '\0';
                if (stopAt < length)
                    buffer[stopAt] = '\x1A';
                const char* begin = buffer.data();
                const char* end = begin + length;
                const char* expectedStop = std::find(begin, end, '\x1A');
                std::size_t count = 5;
                const char* afterLast = nullptr;
                bool flagged = false;
                const char* stop = Driver::CountByteBefore(begin, end, '\n', '\x1A', '\0', count,
                                                           afterLast, flagged);
                const auto* last = std::find(std::make_reverse_iterator(expectedStop),
                                             std::make_reverse_iterator(begin), '\n')
                                       .base();
                const auto lineFeeds =
                    static_cast<std::size_t>(std::count(begin, expectedStop, '\n'));
                const std::string where = "length " + std::to_string(length) + " stop " +
                                          std::to_string(stopAt) + " flag " +
                                          std::to_string(flagAt);
                ASSERT_EQ(expectedStop, stop) << where;
                ASSERT_EQ(5 + lineFeeds, count) << where;
                ASSERT_EQ(lineFeeds == 0 ? nullptr : last, afterLast) << where;
                ASSERT_EQ(std::find(begin, expectedStop, '\0') != expectedStop, flagged) << where;
            }
}

// Whether a line is ASCII: every length around the blocks and words, a byte from 0x80 up at each
// place or none, and one right after the end, which must not count.
TEST(IsAsciiTest, FindsAByteAboveAsciiWhereverItIs)
{
    for (char high : {'\x80', '\xFF'})
        for (std::size_t length = 0; length < 70; ++length)
            for (std::size_t place = 0; place <= length; ++place)
            {
                std::string buffer(length + 1, '\x7F');
                if (place < length)
                    buffer[place] = high;
                buffer[length] = high;
                ASSERT_EQ(place == length, Platform::IsAscii(buffer.data(), length))
                    << "length " << length << " place " << place;
            }
}

// The indent skipped: blanks and tabs mixed, lines of them only, and lengths around the blocks.
TEST(SkipBlanksTest, StopsAtTheFirstByteThatIsNeitherBlankNorTab)
{
    for (std::size_t length = 0; length < 40; ++length)
        for (std::size_t text = 0; text <= length; ++text)
        {
            std::string buffer(length + 1, 'x');
            for (std::size_t i = 0; i < text; ++i)
                buffer[i] = i % 3 == 0 ? '\t' : ' ';
            // A byte after the end, a blank, must not be skipped into.
            buffer[length] = ' ';
            ASSERT_EQ(text, static_cast<std::size_t>(
                                Driver::SkipBlanks(buffer.data(), buffer.data() + length) -
                                buffer.data()))
                << "length " << length << " indent " << text;
        }
}
