// One field converted with a converter of the host, which may not have given one.
#pragma once

#include "plugin/RefPtr.h"

#include <optional>
#include <string>

namespace State
{

// The converter is the caller's, who holds a reference to it for the call (usually a fresh one
// from the context's getter); an absent converter or a text it does not read gives no value.
template <class TConverter>
std::optional<double> ConvertField(TConverter* converter, const std::wstring& text)
{
    double value = 0.0;
    if (converter && converter->Convert(text.c_str(), &value))
        return value;
    return std::nullopt;
}

template <class TConverter>
std::optional<double> ConvertField(const Plugin::CRefPtr<TConverter>& converter,
                                   const std::wstring& text)
{
    return ConvertField(converter.Get(), text);
}

} // namespace State
