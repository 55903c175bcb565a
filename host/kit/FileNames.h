// File names as this program holds them and as the plug-in takes them. The program keeps a name
// as the system gave it: UTF-8 on Windows (from the wide command line), and on POSIX the bytes of
// the name, which need not be UTF-8 (old archives, shares written from Windows). The plug-in takes
// wide names; on POSIX the wide name stands for the bytes without loss, so that any name the shell
// passes opens. Outputs show a name through the receiver, as valid UTF-8.
#pragma once

#include <string>

namespace Host
{

// The wide name of the file the program holds as name.
std::wstring WideFileName(const std::string& name);

} // namespace Host
