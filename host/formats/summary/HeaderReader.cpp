#include "host/formats/summary/HeaderReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <istream>

namespace Host
{
namespace
{

enum class SectionKind
{
    Top,
    Header,
    Units,
    Database,
    Points,
    Theodolite,
    Meteo,
    // A section whose content the plug-in reads but which opens nothing.
    Content,
    Skipped
};

struct CSection
{
    SectionKind kind;
    std::string name;
};

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text, const char* characters)
{
    const std::size_t first = text.find_first_not_of(characters);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

// Words at runs of blanks.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line)
    {
        if (!IsBlank(c))
            word += c;
        else if (!word.empty())
            words.push_back(std::move(word)), word.clear();
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

// Fields cut at every single blank, apostrophes quoting and themselves dropped.
std::vector<std::string> QuotedFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line)
    {
        if (c == '\'')
            quoted = !quoted;
        else if (IsBlank(c) && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

bool MatchSectionEnd(const std::string& line, const std::string& name)
{
    if (!StartsWith(line, "END"))
        return false;
    std::vector<std::string> words = Words(line);
    return words.size() == 2 && words[0] == "END" && words[1] == name;
}

std::optional<CSection> SkipSection(const std::string& head)
{
    std::string name = Trim(head.substr(0, head.find('(')), " \t");
    if (name.empty())
        return std::nullopt;
    return CSection{SectionKind::Skipped, name};
}

// A head with a column list opens its section; without one the section is skipped.
std::optional<CSection> WithColumns(const std::string& head, SectionKind kind, const char* name)
{
    const std::size_t open = head.find('(');
    const std::size_t close = head.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open + 2)
        return SkipSection(head);
    return CSection{kind, name};
}

std::optional<CSection> BeginSection(const CSection& current, const std::string& line)
{
    switch (current.kind)
    {
    case SectionKind::Top:
        for (auto [name, kind] : {std::pair{"HEADER", SectionKind::Header},
                                  std::pair{"DATABASE", SectionKind::Database},
                                  std::pair{"THEODOLITE", SectionKind::Theodolite},
                                  std::pair{"METEO", SectionKind::Meteo}})
            if (line == name)
                return CSection{kind, name};
        break;
    case SectionKind::Header:
        if (line == "UNITS")
            return CSection{SectionKind::Units, line};
        if (line == "OFFSETS" || line == "PROJECT")
            return SkipSection(line);
        break;
    case SectionKind::Database:
        if (StartsWith(line, "POINTS"))
            return WithColumns(line, SectionKind::Points, "POINTS");
        for (const char* skipped : {"JOBS", "LINES", "POLYGONS", "TEXT"})
            if (StartsWith(line, skipped))
                return SkipSection(line);
        break;
    case SectionKind::Points:
        for (const char* skipped : {"THEMINFO", "EXTRAINFO", "PNT_ACCURACY", "ANNOTATIONS"})
            if (StartsWith(line, skipped))
                return SkipSection(line);
        break;
    case SectionKind::Theodolite:
        if (StartsWith(line, "INSTRUMENTS"))
            return WithColumns(line, SectionKind::Content, "INSTRUMENTS");
        if (StartsWith(line, "CONFIGS"))
            return WithColumns(line, SectionKind::Content, "CONFIGS");
        if (StartsWith(line, "SETUP"))
            return CSection{SectionKind::Content, "SETUP"};
        if (StartsWith(line, "SLOPE"))
            return WithColumns(line, SectionKind::Content, "SLOPE");
        break;
    case SectionKind::Meteo:
        if (StartsWith(line, "ELEMENTS"))
            return WithColumns(line, SectionKind::Content, "ELEMENTS");
        break;
    case SectionKind::Units:
    case SectionKind::Content:
    case SectionKind::Skipped:
        break;
    }
    return std::nullopt;
}

bool StartsWithIgnoringCase(const std::string& line, const char* keyword)
{
    const std::size_t length = std::char_traits<char>::length(keyword);
    if (line.size() < length)
        return false;
    for (std::size_t i = 0; i < length; ++i)
    {
        char c = line[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != keyword[i])
            return false;
    }
    return true;
}

// The character a SEPARATOR or TERMINATOR value sets, if any.
std::optional<std::uint16_t> CharacterSetting(const std::string& value)
{
    if (value.empty())
        return 0;
    if (value[0] < '0' || value[0] > '9')
        return static_cast<unsigned char>(value[0]);
    std::uint64_t number = 0;
    for (char c : value)
    {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
        if (number > 2147483647u)
            return std::nullopt;
    }
    return static_cast<std::uint16_t>(number & 0xFFFF);
}

class CReader
{
public:
    void Line(std::string line)
    {
        ++m_line;
        line = Trim(line, " \t\r\n");
        CSection& current = m_stack.back();
        if (std::optional<CSection> opened = BeginSection(current, line))
        {
            m_stack.push_back(*opened);
            Seen();
            return;
        }
        if (current.kind != SectionKind::Top && MatchSectionEnd(line, current.name))
        {
            m_stack.pop_back();
            return;
        }
        if (current.kind == SectionKind::Header)
            KeywordLine(line);
        else if (current.kind == SectionKind::Units)
            UnitLine(line);
    }

    CHeaderSettings& Settings() { return m_settings; }

private:
    void Seen()
    {
        std::string path;
        for (std::size_t i = 1; i < m_stack.size(); ++i)
            path += (i > 1 ? "/" : "") + m_stack[i].name;
        std::vector<std::string>& sections = m_settings.sections;
        if (std::find(sections.begin(), sections.end(), path) == sections.end())
            sections.push_back(path);
    }

    void NotUnderstood(const std::string& what, const std::string& line,
                       const std::string& consequence)
    {
        m_settings.notUnderstood.push_back(
            {m_line, what + " \"" + line + "\" is not understood; " + consequence});
    }

    void KeywordLine(const std::string& line)
    {
        for (auto [keyword, setting] : {std::pair{"SEPARATOR", &m_settings.separator},
                                        std::pair{"TERMINATOR", &m_settings.terminator}})
        {
            if (!StartsWithIgnoringCase(line, keyword))
                continue;
            std::vector<std::string> fields = QuotedFields(line);
            std::optional<std::uint16_t> character;
            if (fields.size() == 2)
                character = CharacterSetting(fields[1]);
            if (character)
                *setting = *character;
            else
                NotUnderstood("HEADER line", line, "the setting before it stays in force");
        }
    }

    void UnitLine(const std::string& line)
    {
        static const struct
        {
            const char* quantity;
            std::vector<const char*> units;
        } known[] = {{"ANGULAR", {"GRADS", "DMS", "DEGS", "RADS"}},
                     {"LINEAR", {"METRE", "INT_FEET", "US_SURVEY_FEET"}},
                     {"TEMP", {"CELSIUS", "FAHRENHEIT"}},
                     {"PRESS", {"HPA", "MMHG", "INHG"}},
                     {"TIME", {"DMY", "MDY", "YMD"}}};
        std::vector<std::string> words = Words(line);
        if (words.size() == 2)
            for (const auto& entry : known)
                if (words[0] == entry.quantity)
                    for (const char* unit : entry.units)
                        if (words[1] == unit)
                        {
                            if (words[0] == "TIME")
                                m_settings.dateOrder = words[1] == "DMY" ? DateOrder::DayMonthYear
                                                       : words[1] == "MDY"
                                                           ? DateOrder::MonthDayYear
                                                           : DateOrder::YearMonthDay;
                            return;
                        }
        NotUnderstood("unit line", line, "the unit before it stays in force");
    }

    std::vector<CSection> m_stack{{SectionKind::Top, std::string()}};
    std::uint64_t m_line = 0;
    CHeaderSettings m_settings;
};

// Hands the lines of in to reader, one at a time, as bytes a character: UTF-16 is narrowed (the
// keywords are ASCII; any other character becomes one that matches none), a UTF-8 mark dropped,
// and the text ends at Ctrl-Z as a text-mode read ends it.
void ReadLines(std::istream& in, CReader& reader)
{
    char mark[3] = {};
    in.read(mark, 2);
    const bool little = in.gcount() == 2 && mark[0] == '\xFF' && mark[1] == '\xFE';
    const bool big = in.gcount() == 2 && mark[0] == '\xFE' && mark[1] == '\xFF';
    std::string line;
    if (!little && !big)
    {
        if (in.gcount() == 2 && mark[0] == '\xEF' && mark[1] == '\xBB' && in.peek() == 0xBF)
            in.get();
        else
            line.assign(mark, static_cast<std::size_t>(in.gcount()));
    }
    auto next = [&](char& c)
    {
        if (!little && !big)
            return static_cast<bool>(in.get(c));
        char unit[2];
        if (!in.read(unit, 2))
            return false;
        const unsigned char low = static_cast<unsigned char>(unit[little ? 0 : 1]);
        const unsigned char high = static_cast<unsigned char>(unit[little ? 1 : 0]);
        c = high == 0 && low < 0x80 ? static_cast<char>(low) : '\x7F';
        return true;
    };
    // The two bytes already taken may hold a line end or the end mark themselves.
    std::string pending;
    pending.swap(line);
    std::size_t taken = 0;
    char c = 0;
    bool any = false;
    while (taken < pending.size() ? (c = pending[taken++], true) : next(c))
    {
        if (c == '\x1A')
            break;
        any = true;
        if (c == '\n')
        {
            reader.Line(line);
            line.clear();
            any = false;
        }
        else
            line += c;
    }
    if (any)
        reader.Line(line);
}

} // namespace

CHeaderSettings ReadHeaderSettings(std::istream& in)
{
    CReader reader;
    ReadLines(in, reader);
    reader.Settings().opened = !in.bad();
    return reader.Settings();
}

CHeaderSettings ReadHeaderSettings(const std::string& path)
{
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in)
        return CHeaderSettings();
    return ReadHeaderSettings(in);
}

const char* DateOrderCode(DateOrder order)
{
    switch (order)
    {
    case DateOrder::DayMonthYear:
        break;
    case DateOrder::MonthDayYear:
        return "MDY";
    case DateOrder::YearMonthDay:
        return "YMD";
    }
    return "DMY";
}

} // namespace Host
