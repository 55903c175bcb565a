// Decimal text of floating-point numbers without a C runtime, exactly as the plain-C host makes
// it with its C library: a correctly rounded wcstod for the converters, and the shortest "%.*g"
// text that reads back as the same value for the record listing.
#pragma once

#include <stddef.h>

namespace Numbers
{

// The text as a decimal number: leading white space, an optional sign, digits with an optional
// point, an optional exponent; the whole text must be read. Correctly rounded to nearest, ties to
// even. Hexadecimal, infinity and NaN texts are not read (false).
bool ParseDouble(const wchar_t* text, double* value);

// Writes the value zero-terminated into out and returns its length: a whole number below 1e15 in
// magnitude as an integer, anything else as "%.*g" with the fewest digits (1 to 17) that read back
// as the same double. out holds at least 32 characters.
size_t FormatDouble(double value, char* out);

// The same for a float: whole numbers below 1e9 as integers, else 1 to 9 digits that read back as
// the same float.
size_t FormatFloat(float value, char* out);

} // namespace Numbers
