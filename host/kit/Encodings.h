// The code pages --encoding takes, by number or by the names people know them by.
#pragma once

#include <optional>
#include <string>

namespace Host
{

// The code page of a number from 1 to 65535 or a name, without regard to case: "utf-8",
// "koi8-r", "cp1251", "windows-1251", "iso-8859-5", ... None for anything else. Whether the
// plug-in can decode the page is the plug-in's to say.
std::optional<unsigned> CodePageByName(const std::string& text);

// The code page files are decoded from when --encoding is not given: the plug-in's default on
// POSIX, the system's ANSI code page on Windows.
unsigned DefaultCodePage();

// What --help says about --encoding on this platform: the names, the default and what cannot
// be decoded here.
std::string EncodingHelp();

} // namespace Host
