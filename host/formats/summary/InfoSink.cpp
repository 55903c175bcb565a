#include "host/formats/summary/InfoSink.h"

#include "host/formats/json/JsonSink.h"
#include "host/formats/json/JsonText.h"
#include "host/kit/UnitConverters.h"

#include <algorithm>

namespace Host
{
namespace
{

// File objects sit in the document's list of files.
constexpr int FileIndent = 4;

constexpr Quantity Quantities[] = {Quantity::Angle, Quantity::Length, Quantity::Temperature,
                                   Quantity::Pressure};

const char* PluralName(Quantity quantity)
{
    switch (quantity)
    {
    case Quantity::Angle:
        break;
    case Quantity::Length:
        return "lengths";
    case Quantity::Temperature:
        return "temperatures";
    case Quantity::Pressure:
        return "pressures";
    }
    return "angles";
}

const char* KeyName(Quantity quantity)
{
    switch (quantity)
    {
    case Quantity::Angle:
        break;
    case Quantity::Length:
        return "length";
    case Quantity::Temperature:
        return "temperature";
    case Quantity::Pressure:
        return "pressure";
    }
    return "angle";
}

bool IsPacked(const CUnitChoice& choice)
{
    return choice.quantity == Quantity::Angle && choice.unitCode == AngleUnit::DottedDms;
}

const char* DateOrderName(DateOrder order)
{
    switch (order)
    {
    case DateOrder::DayMonthYear:
        break;
    case DateOrder::MonthDayYear:
        return "month-day-year";
    case DateOrder::YearMonthDay:
        return "year-month-day";
    case DateOrder::ModifiedJulianDay:
        return "modified Julian days";
    }
    return "day-month-year";
}

// The warning of a settings line that changes nothing.
std::string IgnoredLineText(const CIgnoredLine& ignored)
{
    if (ignored.kind == CIgnoredLine::Kind::HeaderSetting)
        return "HEADER line \"" + ignored.text +
               "\" is not understood; the setting before it stays in force";
    return "unit line \"" + ignored.text +
           "\" is not understood; the unit before it stays in force";
}

// A separator or terminator: printable ASCII as itself in quotation marks, anything else by
// its code.
std::string CharacterText(std::uint16_t code)
{
    if (code >= 0x20 && code < 0x7F)
        return std::string("\"") + static_cast<char>(code) + '"';
    return "code " + std::to_string(code);
}

void WriteCharacter(CJsonWriter& json, std::uint16_t code)
{
    json.BeginObject().Key("character");
    if (code < 0x80)
        json.String(std::string(1, static_cast<char>(code)));
    else
        json.Null();
    json.Key("code").Integer(code).EndObject();
}

void WriteLine(CJsonWriter& json, const std::optional<std::int64_t>& line)
{
    json.Key("line");
    if (line)
        json.Integer(*line);
    else
        json.Null();
}

// Messages and warnings: their lines and texts.
template <class Entry>
void WriteList(CJsonWriter& json, const char* key, const std::vector<Entry>& entries)
{
    json.Key(key).BeginArray();
    for (const Entry& entry : entries)
    {
        json.BeginObject();
        WriteLine(json, entry.line);
        json.Key("text").String(entry.text).EndObject();
    }
    json.EndArray();
}

// The unit choices that tell something: the default only when no unit line replaced it, and a
// unit line only when it changed the unit in force before it.
std::vector<CUnitChoice> Changes(const std::vector<CUnitChoice>& choices)
{
    std::vector<CUnitChoice> changes;
    for (const CUnitChoice& choice : choices)
    {
        if (!changes.empty() && !changes.back().line && choice.line)
            changes.pop_back();
        if (changes.empty() || changes.back().unitCode != choice.unitCode)
            changes.push_back(choice);
    }
    return changes;
}

struct CNote
{
    std::optional<std::int64_t> line;
    std::string text;
};

// The warnings of the stream and the settings lines that changed nothing, by line.
std::vector<CNote> AllWarnings(const std::vector<CWarning>& warnings,
                               const std::optional<CFileSettings>& settings)
{
    std::vector<CNote> notes;
    for (const CWarning& warning : warnings)
        notes.push_back({warning.line, warning.text});
    if (settings)
        for (const CIgnoredLine& ignored : settings->ignored)
            notes.push_back({ignored.line, IgnoredLineText(ignored)});
    std::stable_sort(notes.begin(), notes.end(),
                     [](const CNote& a, const CNote& b)
                     { return a.line.value_or(0) < b.line.value_or(0); });
    return notes;
}

// "  angles: grads (default); degrees, from line 40", nothing when no converter was made.
void AppendUnitsText(std::string& text, Quantity quantity, const std::vector<CUnitChoice>& choices)
{
    const std::vector<CUnitChoice> changes = Changes(choices);
    if (changes.empty())
        return;
    text += "  ";
    text += PluralName(quantity);
    text += ':';
    for (std::size_t i = 0; i < changes.size(); ++i)
    {
        const CUnitChoice& choice = changes[i];
        text += i ? "; " : " ";
        text += UnitCodeName(quantity, choice.unitCode);
        if (IsPacked(choice))
            text += " (packed)";
        text += choice.line ? ", from line " + std::to_string(*choice.line) : " (default)";
    }
    text += '\n';
}

// A titled list of messages or warnings, one a line, nothing when there is none.
template <class Entry>
void AppendListText(std::string& text, const char* title, const std::vector<Entry>& entries)
{
    if (entries.empty())
        return;
    text += "  ";
    text += title;
    text += ":\n";
    for (const Entry& entry : entries)
        text += "    " + (entry.line ? "line " + std::to_string(*entry.line) + ": " : "") +
                entry.text + '\n';
}

} // namespace

void WriteInfoDocumentStart(IByteSink& out)
{
    static const char start[] = "{\n  \"files\": [";
    out.Write(start, sizeof start - 1);
}

void WriteInfoDocumentEnd(IByteSink& out, bool anyFile)
{
    WriteJsonDocumentEnd(out, anyFile);
}

CInfoSink::CInfoSink(IByteSink& out, InfoLayout layout, std::size_t filesBefore,
                     std::atomic<std::uint64_t>* notes)
    : m_out(out), m_layout(layout), m_files(filesBefore), m_notes(notes)
{
}

void CInfoSink::BeginFile(const std::string& path)
{
    m_path = path;
    for (auto& choices : m_units)
        choices.clear();
    m_points = m_stations = m_observations = 0;
    m_messages.clear();
    m_warnings.clear();
    m_settings.reset();
}

void CInfoSink::FileSettings(const CFileSettings& settings)
{
    m_settings = settings;
}

void CInfoSink::UnitChosen(const CUnitChoice& choice)
{
    m_units[static_cast<std::size_t>(choice.quantity)].push_back(choice);
}

void CInfoSink::EndFile(bool imported)
{
    // A file not imported shows only its counts and messages.
    if (!imported)
        m_settings.reset();
    if (m_notes && m_settings)
        *m_notes += m_settings->ignored.size();
    if (m_layout == InfoLayout::Json)
        WriteJson(imported);
    else
        WriteText(imported);
    ++m_files;
}

void CInfoSink::WriteText(bool imported)
{
    std::string text = m_files ? "\n" : "";
    text += m_path + (imported ? "\n" : ": not imported\n");
    for (Quantity quantity : Quantities)
        AppendUnitsText(text, quantity, m_units[static_cast<std::size_t>(quantity)]);
    if (m_settings)
        text += "  separator: " + CharacterText(m_settings->separator) +
                ", terminator: " + CharacterText(m_settings->terminator) +
                ", dates: " + DateOrderName(m_settings->dateOrder) + '\n';
    const std::vector<CNote> warnings = AllWarnings(m_warnings, m_settings);
    text += "  points: " + std::to_string(m_points) + ", stations: " + std::to_string(m_stations) +
            ", observations: " + std::to_string(m_observations) +
            ", messages: " + std::to_string(m_messages.size()) +
            ", warnings: " + std::to_string(warnings.size()) + '\n';
    if (m_settings && !m_settings->sections.empty())
    {
        text += "  sections:";
        for (std::size_t i = 0; i < m_settings->sections.size(); ++i)
            text += (i ? ", " : " ") + m_settings->sections[i];
        text += '\n';
    }
    AppendListText(text, "messages", m_messages);
    AppendListText(text, "warnings", warnings);
    m_out.Write(text.data(), text.size());
}

void CInfoSink::WriteJson(bool imported)
{
    std::string text = m_files ? ",\n" : "\n";
    text.append(static_cast<std::size_t>(FileIndent), ' ');
    CJsonWriter json(text, FileIndent);
    json.BeginObject().Key("path").String(m_path).Key("imported").Bool(imported);
    WriteUnits(json);
    if (m_settings)
    {
        WriteCharacter(json.Key("separator"), m_settings->separator);
        WriteCharacter(json.Key("terminator"), m_settings->terminator);
        json.Key("date_order").String(DateOrderCode(m_settings->dateOrder));
    }
    else
        json.Key("separator").Null().Key("terminator").Null().Key("date_order").Null();
    const std::vector<CNote> warnings = AllWarnings(m_warnings, m_settings);
    json.Key("counts")
        .BeginObject()
        .Key("points")
        .Count(m_points)
        .Key("stations")
        .Count(m_stations)
        .Key("observations")
        .Count(m_observations)
        .Key("messages")
        .Count(m_messages.size())
        .Key("warnings")
        .Count(warnings.size())
        .EndObject();
    json.Key("sections").BeginArray();
    if (m_settings)
        for (const std::string& section : m_settings->sections)
            json.String(section);
    json.EndArray();
    WriteList(json, "messages", m_messages);
    WriteList(json, "warnings", warnings);
    json.EndObject();
    m_out.Write(text.data(), text.size());
}

void CInfoSink::WriteUnits(CJsonWriter& json) const
{
    json.Key("units").BeginObject();
    for (Quantity quantity : Quantities)
    {
        json.Key(KeyName(quantity)).BeginArray();
        for (const CUnitChoice& choice : Changes(m_units[static_cast<std::size_t>(quantity)]))
        {
            json.BeginObject();
            WriteLine(json, choice.line);
            json.Key("code")
                .Integer(choice.unitCode)
                .Key("unit")
                .String(UnitCodeName(quantity, choice.unitCode));
            if (quantity == Quantity::Angle)
                json.Key("packed").Bool(IsPacked(choice));
            json.EndObject();
        }
        json.EndArray();
    }
    json.EndObject();
}

} // namespace Host
