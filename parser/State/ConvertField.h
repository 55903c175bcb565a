// One field converted with a converter of the host, which may not have given one.
#pragma once

#include "plugin/RefPtr.h"

#include <optional>
#include <string>

namespace State
{

// The converter is the caller's, who holds a reference to it for the call or borrows the
// context's; an absent converter or a text it does not read gives no value.
template <class TConverter>
std::optional<double> ConvertField(TConverter* converter, const wchar_t* text)
{
    double value = 0.0;
    if (converter && converter->Convert(text, &value))
        return value;
    return std::nullopt;
}

// Text is anything with a NUL-terminated c_str(): a string, or a field of a row.
template <class TConverter, class Text>
std::optional<double> ConvertField(TConverter* converter, const Text& text)
{
    return ConvertField(converter, text.c_str());
}

template <class TConverter, class Text>
std::optional<double> ConvertField(const Plugin::CRefPtr<TConverter>& converter, const Text& text)
{
    return ConvertField(converter.Get(), text.c_str());
}

} // namespace State
