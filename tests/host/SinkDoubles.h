// What the tests of the host's outputs share: a byte sink that keeps what it is given, and the
// records they feed to sinks.
#pragma once

#include "host/ByteSink.h"
#include "host/ImportRecords.h"

#include <cstddef>
#include <string>

namespace HostTest
{

class CStringSink final : public Host::IByteSink
{
public:
    void Write(const char* data, std::size_t size) override { text.append(data, size); }
    std::string text;
};

inline Host::CRecord Named(const std::string& name)
{
    Host::CRecord record;
    record.name = name;
    return record;
}

inline Host::CRecord Point(const std::string& name, double north, double east)
{
    Host::CRecord point = Named(name);
    point.north = north;
    point.east = east;
    return point;
}

} // namespace HostTest
