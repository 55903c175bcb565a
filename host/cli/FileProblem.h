// Why a file cannot be read, as the system tells it; the plug-in's own message says only that it
// could not open the file.
#pragma once

#include <string>

namespace Host
{

// "no such file", "a folder, not a file", "not a plain file" (a device, socket or pipe),
// "no permission to read it"; empty when the file can be opened for reading.
std::string WhyUnreadable(const std::string& path);

} // namespace Host
