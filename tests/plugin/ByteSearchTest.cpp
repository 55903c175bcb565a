#include "plugin/ByteSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

// Every length around the sixteen-byte blocks, every start within a block, the byte absent or at
// each place, bytes with the high bit set and a buffer full of the byte's neighbours.
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
                }
}
