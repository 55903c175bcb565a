#include "host/kit/Encodings.h"

#include <gtest/gtest.h>

namespace
{

TEST(EncodingsTest, NamesAndNumbersGiveCodePages)
{
    const struct
    {
        const char* text;
        std::optional<unsigned> codePage;
    } cases[] = {
        {"1251", 1251u},
        {"1", 1u},
        {"65535", 65535u},
        {"00866", 866u},
        {"utf-8", 65001u},
        {"UTF-8", 65001u},
        {"Utf8", 65001u},
        {"cp1251", 1251u},
        {"CP1251", 1251u},
        {"windows-1251", 1251u},
        {"Windows-1252", 1252u},
        {"cp866", 866u},
        {"IBM437", 437u},
        {"koi8-r", 20866u},
        {"KOI8-U", 21866u},
        {"iso-8859-5", 28595u},
        {"ISO-8859-15", 28605u},
        {"shift_jis", 932u},
        {"GB18030", 54936u},
        {"0", std::nullopt},
        {"65536", std::nullopt},
        {"123456", std::nullopt},
        {"-1251", std::nullopt},
        {"1251 ", std::nullopt},
        {"", std::nullopt},
        {"cp", std::nullopt},
        {"cp0", std::nullopt},
        {"cp-1251", std::nullopt},
        {"windows1251", std::nullopt},
        {"koi8", std::nullopt},
        {"utf-16", std::nullopt},
        {"latin-9", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.codePage, Host::CodePageByName(c.text)) << '"' << c.text << '"';
}

TEST(EncodingsTest, HelpNamesTheDefault)
{
    const std::string help = Host::EncodingHelp();
    EXPECT_NE(std::string::npos, help.find("default: "));
    EXPECT_NE(std::string::npos, help.find(std::to_string(Host::DefaultCodePage())));
#if defined(_WIN32)
    EXPECT_NE(std::string::npos, help.find("cannot be chosen here"));
#else
    EXPECT_EQ(1252u, Host::DefaultCodePage());
#endif
}

} // namespace
