// Angles written in the file's packed degrees-minutes-seconds notation ("123.453015"), read by the
// host's dotted degrees-minutes-seconds converter ("123.45.30.15").
#pragma once

#include "plugin/HostInterfaces.h"
#include "plugin/RefCounted.h"

#include <cstdint>

class CAngleDMSConverter final : public Plugin::CRefCountedImpl<Plugin::IAngleConverter, 0>
{
public:
    // Starts with the count 0. Adds its own reference to the inner converter (the host's unit
    // code 1), which may be null: then nothing converts.
    explicit CAngleDMSConverter(Plugin::IAngleConverter* inner);

    CAngleDMSConverter(const CAngleDMSConverter&) = delete;
    CAngleDMSConverter& operator=(const CAngleDMSConverter&) = delete;

    // False at once for a text without a point; otherwise the inner converter's answer for the
    // rewritten text. Nothing but the point is tested: signs and other characters are carried
    // along for the inner converter to judge. Never throws.
    bool Convert(const wchar_t* text, double* value) override;

    std::int32_t ReferenceCount() const { return Count(); }

    PLUGIN_DELETING_DESTRUCTOR(CAngleDMSConverter)

private:
    // Destroyed only by the last Release.
    ~CAngleDMSConverter();

    Plugin::IAngleConverter* m_inner;
};
