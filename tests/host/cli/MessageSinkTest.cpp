// Messages as lines for people.
#include "host/cli/MessageSink.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace
{

using HostTest::CStringSink;

TEST(MessageSinkTest, WritesFileLineAndText)
{
    CStringSink out;
    Host::CMessageSink sink(out);
    sink.BeginFile("a.idx");
    sink.Message({3, "bad", false});
    sink.Message({std::nullopt, "cannot open", true});
    Host::CMessage explained{std::nullopt, "cannot open", true};
    explained.cause = "a folder, not a file";
    sink.Message(explained);
    EXPECT_EQ("a.idx:3: bad\na.idx: cannot open\na.idx: cannot open (a folder, not a file)\n",
              out.text);
}

} // namespace
