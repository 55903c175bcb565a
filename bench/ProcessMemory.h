// The resident memory of this process, for measuring what one step of a benchmark takes.
#pragma once

#include <cstdint>

namespace Bench
{

// Bytes of the process now in memory; 0 when the system does not say.
std::uint64_t CurrentResidentBytes();
// The most bytes in memory at any one time since the start or the last reset.
std::uint64_t PeakResidentBytes();
// Starts the peak again from the current figure, where the system allows it; elsewhere the peak
// keeps counting from the start of the process, so measure the step that needs it first.
void ResetPeakResidentBytes();

} // namespace Bench
