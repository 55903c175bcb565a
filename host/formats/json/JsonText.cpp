#include "host/formats/json/JsonText.h"

#include "host/kit/DisplayUnits.h"
#include "platform/Utf8.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace Host
{
namespace
{

char* WriteEscaped(char* out, unsigned char byte)
{
    static const char hex[] = "0123456789abcdef";
    *out++ = '\\';
    switch (byte)
    {
    case '"':
    case '\\':
        *out++ = static_cast<char>(byte);
        break;
    case '\b':
        *out++ = 'b';
        break;
    case '\f':
        *out++ = 'f';
        break;
    case '\n':
        *out++ = 'n';
        break;
    case '\r':
        *out++ = 'r';
        break;
    case '\t':
        *out++ = 't';
        break;
    default:
        std::memcpy(out, "u00", 3);
        out[3] = hex[byte >> 4];
        out[4] = hex[byte & 0xF];
        out += 5;
    }
    return out;
}

} // namespace

char* WriteJsonString(char* out, std::string_view text)
{
    const auto* at = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = at + text.size();
    *out++ = '"';
    while (at != end)
    {
        const unsigned char byte = *at;
        if (byte < 0x80)
        {
            if (byte >= 0x20 && byte != '"' && byte != '\\')
                *out++ = static_cast<char>(byte);
            else
                out = WriteEscaped(out, byte);
            ++at;
            continue;
        }
        const Platform::CUtf8Sequence sequence = Platform::ReadUtf8Sequence(at, end);
        if (sequence.valid)
            std::memcpy(out, at, sequence.length);
        else
            std::memcpy(out, "\xEF\xBF\xBD", 3);
        out += sequence.valid ? sequence.length : 3;
        at += sequence.length;
    }
    *out++ = '"';
    return out;
}

void AppendJsonString(std::string& out, std::string_view text)
{
    const std::size_t start = out.size();
    out.resize(start + JsonStringRoom(text));
    out.resize(static_cast<std::size_t>(WriteJsonString(&out[start], text) - out.data()));
}

CJsonWriter& CJsonWriter::Key(std::string_view key)
{
    NextMember();
    AppendJsonString(m_out, key);
    m_out += ": ";
    m_afterKey = true;
    return *this;
}

CJsonWriter& CJsonWriter::String(std::string_view text)
{
    BeforeValue();
    AppendJsonString(m_out, text);
    return *this;
}

CJsonWriter& CJsonWriter::Number(double value)
{
    BeforeValue();
    AppendJsonNumber(m_out, value);
    return *this;
}

CJsonWriter& CJsonWriter::Integer(std::int64_t value)
{
    char text[24];
    return Literal(
        std::string_view(text, std::to_chars(text, text + sizeof text, value).ptr - text));
}

CJsonWriter& CJsonWriter::Count(std::uint64_t value)
{
    char text[24];
    return Literal(
        std::string_view(text, std::to_chars(text, text + sizeof text, value).ptr - text));
}

CJsonWriter& CJsonWriter::Literal(std::string_view json)
{
    BeforeValue();
    m_out += json;
    return *this;
}

CJsonWriter& CJsonWriter::Open(char bracket)
{
    BeforeValue();
    m_out += bracket;
    ++m_depth;
    m_filled &= ~(std::uint64_t(1) << m_depth);
    return *this;
}

CJsonWriter& CJsonWriter::Close(char bracket)
{
    if (m_filled & std::uint64_t(1) << m_depth && m_indent != OneLine)
        NewLine(m_depth - 1);
    m_out += bracket;
    --m_depth;
    return *this;
}

void CJsonWriter::NextMember()
{
    const std::uint64_t bit = std::uint64_t(1) << m_depth;
    if (m_filled & bit)
        m_out += m_indent == OneLine ? ", " : ",";
    m_filled |= bit;
    if (m_indent != OneLine)
        NewLine(m_depth);
}

void CJsonWriter::BeforeValue()
{
    if (m_afterKey)
        m_afterKey = false;
    else if (m_depth > 0)
        NextMember();
}

void CJsonWriter::NewLine(int depth)
{
    m_out += '\n';
    m_out.append(static_cast<std::size_t>(m_indent + 2 * depth), ' ');
}

void WriteDmsObject(CJsonWriter& json, double degrees)
{
    const CDms dms = SplitDegrees(degrees);
    char whole[400];
    std::snprintf(whole, sizeof whole, "%.0f", dms.degrees);
    json.BeginObject()
        .Key("negative")
        .Bool(dms.negative)
        .Key("degrees")
        .Literal(whole)
        .Key("minutes")
        .Integer(dms.minutes)
        .Key("seconds")
        .Number(dms.seconds)
        .EndObject();
}

} // namespace Host
