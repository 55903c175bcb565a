// POSIX file names between bytes and wide text: every byte string comes back unchanged, and a
// file whose name is no UTF-8 opens through its wide name.
#if !defined(_WIN32)

#include "platform/FileNames.h"

#include "platform/Platform.h"
#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace
{

using Platform::DecodeFileName;
using Platform::EncodeFileName;

struct NameCase
{
    std::string bytes;
    std::wstring name;
};

// Each pair maps both ways.
const NameCase kNames[] = {
    {"", L""},
    {"job-1.idx", L"job-1.idx"},
    {"caf\xC3\xA9 \xD0\x9F\xE2\x82\xAC\xF0\x9F\x98\x80", L"caf\u00E9 \u041F\u20AC\U0001F600"},
    {"\xEF\xBF\xBF\xF4\x8F\xBF\xBF", L"\uFFFF\U0010FFFF"},
    // Latin-1 bytes.
    {"caf\xE9.idx", L"caf\xDCE9.idx"},
    {"\x80\xFF", L"\xDC80\xDCFF"},
    // Truncated sequences, also at the end.
    {"\xC3", L"\xDCC3"},
    {"\xE2\x82", L"\xDCE2\xDC82"},
    {"\xE2\x82x", L"\xDCE2\xDC82x"},
    {"\xF0\x9F\x98", L"\xDCF0\xDC9F\xDC98"},
    {"\xF0\x9F\x98\xC3\xA9", L"\xDCF0\xDC9F\xDC98\u00E9"},
    // Overlong forms, and code points past U+10FFFF.
    {"\xC0\xAF", L"\xDCC0\xDCAF"},
    {"\xE0\x80\xAF", L"\xDCE0\xDC80\xDCAF"},
    {"\xF0\x80\x80\xAF", L"\xDCF0\xDC80\xDC80\xDCAF"},
    {"\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"},
    {"\xF8\x88\x80\x80\x80", L"\xDCF8\xDC88\xDC80\xDC80\xDC80"},
    // A surrogate in UTF-8 form is no valid UTF-8: its bytes stand for themselves.
    {"\xED\xB3\xA9", L"\xDCED\xDCB3\xDCA9"},
    {"\xED\xA0\x80", L"\xDCED\xDCA0\xDC80"},
    {"\xED\x9F\xBF", L"\uD7FF"},
};

TEST(FileNames, MapBytesAndWideNamesBothWays)
{
    for (const NameCase& c : kNames)
    {
        const std::string shown = ::testing::PrintToString(c.bytes);
        EXPECT_EQ(c.name, DecodeFileName(c.bytes)) << shown;
        std::string bytes = "left over";
        ASSERT_TRUE(EncodeFileName(c.name, bytes)) << shown;
        EXPECT_EQ(c.bytes, bytes) << shown;
    }
}

TEST(FileNames, EveryByteComesBackFromItsWideName)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (const std::string& bytes : {all, std::string(all.rbegin(), all.rend())})
    {
        std::string back;
        ASSERT_TRUE(EncodeFileName(DecodeFileName(bytes), back));
        EXPECT_EQ(bytes, back);
    }
}

TEST(FileNames, CharactersThatNoNameHoldsAreRefused)
{
    const std::wstring refused[] = {
        std::wstring(1, static_cast<wchar_t>(0xD800)),
        std::wstring(1, static_cast<wchar_t>(0xDC7F)),
        std::wstring(1, static_cast<wchar_t>(0xDD00)),
        std::wstring(1, static_cast<wchar_t>(0xDFFF)),
        L"a" + std::wstring(1, static_cast<wchar_t>(0x110000)),
    };
    for (const std::wstring& name : refused)
    {
        std::string bytes;
        EXPECT_FALSE(EncodeFileName(name, bytes)) << static_cast<unsigned long>(name.back());
    }
}

TEST(FileNames, AFileNamedInLatin1OpensThroughItsWideName)
{
    const PluginTests::CTestDirectory files;
    const std::string directory = std::filesystem::path(files.Path()).native();
    const std::string bytes = directory + "/caf\xE9.idx";
    const int descriptor = ::open(bytes.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(descriptor, 0);
    const std::string content = "DATABASE\nPOINTS(PointNo,PointID)\n1,P1\n";
    ASSERT_EQ(static_cast<ssize_t>(content.size()),
              ::write(descriptor, content.data(), content.size()));
    ::close(descriptor);

    const std::wstring name = DecodeFileName(bytes);
    EXPECT_EQ(L"/caf\xDCE9.idx", name.substr(name.size() - 9));
    std::string read;
    EXPECT_EQ(Platform::ReadStatus::Read, Platform::ReadWholeFile(name.c_str(), read));
    EXPECT_EQ(content, read);
    // The UTF-8 spelling names another file, which does not exist.
    EXPECT_EQ(
        Platform::ReadStatus::CannotOpen,
        Platform::ReadWholeFile((name.substr(0, name.size() - 5) + L"\u00E9.idx").c_str(), read));
}

} // namespace

#endif
