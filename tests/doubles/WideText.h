// UTF-8 <-> wide text for test tables, whatever the width of wchar_t.
#pragma once

#include <string>

namespace TestDoubles
{

std::string Utf8(const wchar_t* text);
inline std::string Utf8(const std::wstring& text) { return Utf8(text.c_str()); }
std::wstring Wide(const std::string& utf8);

// Shortest text that reads back as the same value ("100.5", "33.333332").
std::string Number(double value);
std::string Number(float value);

} // namespace TestDoubles
