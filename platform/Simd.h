// Whether the scanners of bytes and characters compare sixteen bytes at a time with SSE2, which
// every x86-64 processor has, or run their portable loops. Building with ORVA_SCALAR defined
// chooses the portable loops on any machine, so that they are built and tested here as well as
// on a processor without SSE2.
#pragma once

#if defined(__SSE2__) && defined(__GNUC__) && !defined(ORVA_SCALAR)
#define ORVA_SSE2 1
#include <emmintrin.h>
#else
#define ORVA_SSE2 0
#endif
