#include "bench/ProcessMemory.h"

#if defined(_WIN32)
#include <windows.h>

#include <psapi.h> // after windows.h, which it needs
#else
#include <fstream>
#include <string>
#endif

namespace Bench
{

#if defined(_WIN32)

namespace
{

PROCESS_MEMORY_COUNTERS Counters()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        counters = PROCESS_MEMORY_COUNTERS{};
    return counters;
}

} // namespace

std::uint64_t CurrentResidentBytes()
{
    return Counters().WorkingSetSize;
}

std::uint64_t PeakResidentBytes()
{
    return Counters().PeakWorkingSetSize;
}

void ResetPeakResidentBytes() {}

#else

namespace
{

// A "Vm...:" line of /proc/self/status, in bytes.
std::uint64_t StatusField(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string key;
    std::uint64_t kilobytes = 0;
    while (status >> key)
    {
        if (key == name && status >> kilobytes)
            return kilobytes * 1024;
        status.ignore(4096, '\n');
    }
    return 0;
}

} // namespace

std::uint64_t CurrentResidentBytes()
{
    return StatusField("VmRSS:");
}

std::uint64_t PeakResidentBytes()
{
    return StatusField("VmHWM:");
}

void ResetPeakResidentBytes()
{
    // Linux starts the high-water mark again at the current size when told "5".
    std::ofstream("/proc/self/clear_refs") << "5";
}

#endif

} // namespace Bench
