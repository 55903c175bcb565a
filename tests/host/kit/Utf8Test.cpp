#include "host/kit/Utf8.h"
#include "host/cli/ProgressBar.h"
#include "host/kit/PluginLibrary.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{

std::wstring Units(std::initializer_list<std::uint32_t> units)
{
    std::wstring text;
    for (std::uint32_t unit : units)
        text += static_cast<wchar_t>(unit);
    return text;
}

TEST(Utf8Test, WideTextBecomesUtf8)
{
    EXPECT_EQ("", Host::ToUtf8(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ("A\xC3\xA9\xD0\x96\xE2\x82\xAC", Host::ToUtf8(L"A\u00E9\u0416\u20AC"));
    // U+1F600 is a surrogate pair where wchar_t has 16 bits and one unit where it has 32.
    EXPECT_EQ("\xF0\x9F\x98\x80", Host::ToUtf8(L"\U0001F600"));
}

TEST(Utf8Test, UnpairedSurrogatesBecomeReplacementCharacters)
{
    EXPECT_EQ("\xEF\xBF\xBD"
              "a",
              Host::ToUtf8(Units({0xD800, 'a'})));
    EXPECT_EQ("a\xEF\xBF\xBD", Host::ToUtf8(Units({'a', 0xDC00})));
    EXPECT_EQ("\xEF\xBF\xBD", Host::ToUtf8(Units({0xD83D})));
    if (sizeof(wchar_t) == 4)
    {
        EXPECT_EQ("\xEF\xBF\xBD", Host::ToUtf8(Units({0x110000})));
    }
}

// Texts on either side of the short ASCII path: its length, a first other character at each
// place, nulls and surrogates; each assigned over a longer text held before.
TEST(Utf8Test, AssigningANullTerminatedTextGivesTheSameAsConvertingIt)
{
    std::vector<std::wstring> texts = {L"", L"P17", L"TREE", L"25/12/2019", L"\u0416", L"\x7F\x80"};
    for (std::size_t length : {63, 64, 65, 200})
        for (std::size_t other : {std::size_t(0), length / 2, length - 1, length})
        {
            std::wstring text(length, L'a');
            if (other < length)
                text[other] = L'\u0416';
            texts.push_back(text);
        }
    texts.push_back(Units({'a', 0xD83D, 0xDE00, 'b'}));
    texts.push_back(Units({'a', 0xDC00}));
    std::string out(300, 'x');
    for (const std::wstring& text : texts)
    {
        Host::AssignUtf8(out, text.c_str());
        EXPECT_EQ(Host::ToUtf8(std::wstring_view(text)), out) << text.size();
    }
    Host::AssignUtf8(out, static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ("", out);
}

TEST(Utf8Test, Utf8BecomesWideText)
{
    EXPECT_EQ(L"A\u00E9\u0416\u20AC\U0001F600",
              Host::FromUtf8("A\xC3\xA9\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80"));
    const struct
    {
        const char* bytes;
        const wchar_t* text;
    } malformed[] = {
        {"\xC0\xAF", L"\uFFFD\uFFFD"}, // overlong
        {"\xE2\x82", L"\uFFFD"},       // cut short: one maximal ill-formed part
        {"\xE2\x82x", L"\uFFFDx"},
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"}, // a surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xFF", L"\uFFFD"},
        {"\x80"
         "a",
         L"\uFFFDa"},
    };
    for (const auto& c : malformed)
        EXPECT_EQ(std::wstring(c.text), Host::FromUtf8(c.bytes)) << Host::ToUtf8(c.text);
}

TEST(Utf8Test, RoundTripKeepsEveryCharacter)
{
    std::wstring all;
    for (std::uint32_t c = 1; c < 0x11000; c += 7)
        if (c < 0xD800 || c >= 0xE000)
        {
            if (sizeof(wchar_t) == 2 && c >= 0x10000)
            {
                all += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
                all += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
            else
                all += static_cast<wchar_t>(c);
        }
    EXPECT_EQ(all, Host::FromUtf8(Host::ToUtf8(all)));
}

TEST(CodePageTest, AnsiCodePagesMapToALocale)
{
    EXPECT_EQ(0x0419u, Host::LocaleForAnsiCodePage(1251));
    EXPECT_EQ(0x0409u, Host::LocaleForAnsiCodePage(1252));
    EXPECT_EQ(0x0405u, Host::LocaleForAnsiCodePage(1250));
    EXPECT_EQ(0x0408u, Host::LocaleForAnsiCodePage(1253));
    EXPECT_EQ(0x0411u, Host::LocaleForAnsiCodePage(932));
    EXPECT_FALSE(Host::LocaleForAnsiCodePage(866)) << "an OEM code page is no locale's ANSI one";
    EXPECT_FALSE(Host::LocaleForAnsiCodePage(65001));
    EXPECT_FALSE(Host::LocaleForAnsiCodePage(0));
}

TEST(ProgressBarTest, DrawsOnlyWhenEnabledAndOnlyOnChange)
{
    std::ostringstream off;
    Host::CProgressBar silent(off, false);
    silent.Show("a.idx", 50.0f);
    silent.Clear();
    EXPECT_EQ("", off.str());

    std::ostringstream on;
    Host::CProgressBar bar(on, true);
    bar.Show("a.idx", 50.0f);
    const std::string half = "\ra.idx [###############...............] 50%";
    EXPECT_EQ(half, on.str());
    bar.Show("a.idx", 50.7f);
    EXPECT_EQ(half, on.str()) << "the same whole percent is not drawn again";
    bar.Show("a.idx", 100.0f);
    bar.Clear();
    EXPECT_EQ(half + "\ra.idx [##############################] 100%\r" +
                  std::string(half.size(), ' ') + "\r",
              on.str());
}

TEST(ProgressBarTest, ShortensLongPathsWithoutSplittingCharacters)
{
    std::ostringstream out;
    Host::CProgressBar bar(out, true);
    // 30 two-byte letters, then the file name: the cut falls inside a letter.
    std::string path;
    for (int i = 0; i < 30; ++i)
        path += "\xD0\x96";
    path += "/f.idx";
    bar.Show(path, 0.0f);
    const std::string drawn = out.str();
    ASSERT_EQ(0u, drawn.find("\r..."));
    std::size_t start = 4;
    EXPECT_NE(0x80, static_cast<unsigned char>(drawn[start]) & 0xC0) << "starts inside a letter";
    EXPECT_NE(std::string::npos, drawn.find("/f.idx ["));
    EXPECT_LE(drawn.find(" ["), 4 + 40u);
}

} // namespace
