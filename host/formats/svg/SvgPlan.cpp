#include "host/formats/svg/SvgPlan.h"

#include "host/kit/Utf8.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace Host
{
namespace
{

// The drawing, in SVG user units (pixels at 100 %): the longer side of the job's extent spans
// PlanSide; coordinates are written to a tenth of a unit, 1/8000 of that side.
constexpr double PlanSide = 800;
// The plan area is at least this wide and high, so that a job on one line, or of one point,
// still has room for its scale bar and labels.
constexpr double MinimumArea = 240;
// Between the extent and the frame, for the symbols and the labels of the outermost points.
constexpr double Padding = 24;
constexpr double Margin = 20;
constexpr double LegendGap = 24;
constexpr double LineHeight = 16;
constexpr double FontSize = 11;
// A rough width of a character of the font, to leave room for the legend's texts.
constexpr double CharacterWidth = 6.4;
// A job's extent below this is drawn as if it were this wide: a single point, or points that
// coincide.
constexpr double MinimumSpanMetres = 1;
// Past this many labels, they are thinned (ThinLabels) with cells about the size of a label.
constexpr std::size_t LabelLimit = 300;
constexpr double LabelCellWidth = 64;
constexpr double LabelCellHeight = 16;
// Files named in the legend; the others are counted.
constexpr std::size_t LegendFiles = 10;
constexpr std::size_t LegendPathLength = 48;

const char* const FileColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                   "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#7f7f7f"};
const char* const Ink = "#333";

const char* ColourOf(std::size_t file)
{
    return FileColours[file % (sizeof FileColours / sizeof *FileColours)];
}

// A number of the drawing to a tenth of a unit; whole numbers without a fraction. Values beyond
// any drawing (from an extent too large for doubles) are held at a bound.
void AppendUnits(std::string& out, double units)
{
    if (!(units > -1e9))
        units = -1e9;
    else if (units > 1e9)
        units = 1e9;
    long long tenths = std::llround(units * 10);
    if (tenths < 0)
    {
        out += '-';
        tenths = -tenths;
    }
    out += std::to_string(tenths / 10);
    if (tenths % 10)
    {
        out += '.';
        out += static_cast<char>('0' + tenths % 10);
    }
}

void Attribute(std::string& out, const char* name, double units)
{
    out += ' ';
    out += name;
    out += "=\"";
    AppendUnits(out, units);
    out += '"';
}

std::size_t CodePoints(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(),
                      [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A long path keeps its end, where the file's own name is.
std::string Shortened(const std::string& path)
{
    std::size_t length = CodePoints(path);
    if (length <= LegendPathLength)
        return path;
    std::size_t skip = length - (LegendPathLength - 1);
    std::size_t at = 0;
    for (; at < path.size(); ++at)
        if ((static_cast<unsigned char>(path[at]) & 0xC0) != 0x80 && skip-- == 0)
            break;
    return "\xE2\x80\xA6" + path.substr(at);
}

// Where the job lies and how it maps onto the drawing.
struct CFrame
{
    bool any = false;
    double minEast = 0;
    double maxEast = 0;
    double minNorth = 0;
    double maxNorth = 0;
    double scale = 1; // units per metre
    double areaWidth = MinimumArea;
    double areaHeight = MinimumArea;
    double left = 0; // where minEast is drawn
    double top = 0;  // where maxNorth is drawn

    double X(double east) const { return left + (east - minEast) * scale; }
    double Y(double north) const { return top + (maxNorth - north) * scale; }
};

CFrame FrameOf(const std::vector<CPlanFile>& files)
{
    CFrame frame;
    for (const CPlanFile& file : files)
        for (const CPlanPoint& point : file.points)
        {
            if (!frame.any)
            {
                frame.minEast = frame.maxEast = point.east;
                frame.minNorth = frame.maxNorth = point.north;
                frame.any = true;
            }
            frame.minEast = std::min(frame.minEast, point.east);
            frame.maxEast = std::max(frame.maxEast, point.east);
            frame.minNorth = std::min(frame.minNorth, point.north);
            frame.maxNorth = std::max(frame.maxNorth, point.north);
        }
    const double width = frame.maxEast - frame.minEast;
    const double height = frame.maxNorth - frame.minNorth;
    frame.scale = PlanSide / std::max({width, height, MinimumSpanMetres});
    const double drawnWidth = frame.any ? width * frame.scale : 0;
    const double drawnHeight = frame.any ? height * frame.scale : 0;
    frame.areaWidth = std::max(drawnWidth, MinimumArea) + 2 * Padding;
    frame.areaHeight = std::max(drawnHeight, MinimumArea) + 2 * Padding;
    frame.left = Margin + (frame.areaWidth - drawnWidth) / 2;
    frame.top = Margin + (frame.areaHeight - drawnHeight) / 2;
    return frame;
}

struct CLabel
{
    CLabelAnchor anchor;
    const std::string* name;
};

// The labels drawn: stations' first, as they are what a plan is read by, then the other points'.
std::vector<CLabel> LabelsOf(const std::vector<CPlanFile>& files, const CFrame& frame,
                             std::size_t& candidates)
{
    std::vector<CLabel> labels;
    for (bool stations : {true, false})
        for (const CPlanFile& file : files)
            for (const CPlanPoint& point : file.points)
                if (point.station == stations && !point.name.empty())
                    labels.push_back({{frame.X(point.east), frame.Y(point.north)}, &point.name});
    candidates = labels.size();
    std::vector<CLabelAnchor> anchors;
    anchors.reserve(labels.size());
    for (const CLabel& label : labels)
        anchors.push_back(label.anchor);
    std::vector<bool> shown = ThinLabels(anchors, LabelCellWidth, LabelCellHeight, LabelLimit);
    std::vector<CLabel> kept;
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (shown[i])
            kept.push_back(labels[i]);
    return kept;
}

// The legend's lines of text after the symbols, to size the drawing by.
struct CLegend
{
    std::vector<std::string> files;
    std::vector<std::string> notes;
    double width = 0;
    double height = 0;
};

constexpr double NorthArrowHeight = 56;
constexpr std::size_t LegendSymbols = 3;

CLegend LegendOf(const std::vector<CPlanFile>& files, std::size_t labelsShown,
                 std::size_t labelCandidates)
{
    CLegend legend;
    std::size_t points = 0, unplacedPoints = 0, stations = 0, unplacedStations = 0;
    std::size_t observations = 0, unplacedObservations = 0;
    for (const CPlanFile& file : files)
    {
        if (legend.files.size() < LegendFiles)
            legend.files.push_back(Shortened(file.path));
        points += file.points.size();
        unplacedPoints += file.pointsUnplaced;
        stations += file.stations - file.stationsUnplaced;
        unplacedStations += file.stationsUnplaced;
        observations += file.observations - file.observationsUnplaced;
        unplacedObservations += file.observationsUnplaced;
    }
    if (files.size() > LegendFiles)
        legend.files.push_back("and " + std::to_string(files.size() - LegendFiles) + " more files");
    auto count = [](std::size_t n, const char* one, const char* many)
    { return std::to_string(n) + ' ' + (n == 1 ? one : many); };
    legend.notes.push_back("on the plan: " + count(points, "point", "points") + ", " +
                           count(stations, "station", "stations") + ", " +
                           count(observations, "observation", "observations"));
    std::string unplaced;
    for (const auto& [n, one, many] : {std::tuple{unplacedPoints, "point", "points"},
                                       {unplacedStations, "station", "stations"},
                                       {unplacedObservations, "observation", "observations"}})
        if (n)
            unplaced += (unplaced.empty() ? "" : ", ") + count(n, one, many);
    if (!unplaced.empty())
        legend.notes.push_back("without a position: " + unplaced);
    if (labelsShown < labelCandidates)
        legend.notes.push_back("labels: " + std::to_string(labelsShown) + " of " +
                               std::to_string(labelCandidates) + " shown");
    std::size_t longest = std::string("control point").size();
    for (const std::string& text : legend.files)
        longest = std::max(longest, CodePoints(text) + 3);
    for (const std::string& text : legend.notes)
        longest = std::max(longest, CodePoints(text));
    legend.width = static_cast<double>(longest) * CharacterWidth;
    legend.height = NorthArrowHeight +
                    LineHeight * static_cast<double>(LegendSymbols + 1 + legend.files.size() + 1 +
                                                     legend.notes.size());
    return legend;
}

void WriteStart(std::string& out, double width, double height)
{
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\"";
    Attribute(out, "width", width);
    Attribute(out, "height", height);
    out += " viewBox=\"0 0 ";
    AppendUnits(out, width);
    out += ' ';
    AppendUnits(out, height);
    out += "\" font-family=\"sans-serif\" font-size=\"";
    AppendUnits(out, FontSize);
    out += "\">\n"
           "<defs>\n"
           "<circle id=\"p\" r=\"3\" stroke=\"none\"/>\n"
           "<path id=\"s\" d=\"M0-8L7 4H-7Z\" fill=\"none\" stroke-width=\"1.5\"/>\n"
           "</defs>\n"
           "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
}

void WriteArea(std::string& out, const CFrame& frame)
{
    out += "<rect";
    Attribute(out, "x", Margin);
    Attribute(out, "y", Margin);
    Attribute(out, "width", frame.areaWidth);
    Attribute(out, "height", frame.areaHeight);
    out += " fill=\"none\" stroke=\"#bbb\"/>\n";
    if (frame.any)
        return;
    out += "<text";
    Attribute(out, "x", Margin + frame.areaWidth / 2);
    Attribute(out, "y", Margin + frame.areaHeight / 2);
    out += " text-anchor=\"middle\" fill=\"#888\">no position known</text>\n";
}

void WriteUse(std::string& out, const char* symbol, double x, double y)
{
    out += "<use href=\"#";
    out += symbol;
    out += '"';
    Attribute(out, "x", x);
    Attribute(out, "y", y);
    out += "/>\n";
}

void WriteFile(CBufferedWriter& writer, const CPlanFile& file, std::size_t index,
               const CFrame& frame)
{
    std::string& out = writer.Text();
    out += "<g fill=\"";
    out += ColourOf(index);
    out += "\" stroke=\"";
    out += ColourOf(index);
    out += "\">\n";
    if (!file.rays.empty())
    {
        out += "<path fill=\"none\" stroke-width=\"0.8\" d=\"";
        for (const auto& ray : file.rays)
        {
            const CPlanPoint& from = file.points[ray.first];
            const CPlanPoint& to = file.points[ray.second];
            out += 'M';
            AppendUnits(out, frame.X(from.east));
            out += ' ';
            AppendUnits(out, frame.Y(from.north));
            out += 'L';
            AppendUnits(out, frame.X(to.east));
            out += ' ';
            AppendUnits(out, frame.Y(to.north));
            writer.Commit();
        }
        out += "\"/>\n";
    }
    for (const CPlanPoint& point : file.points)
    {
        WriteUse(out, "p", frame.X(point.east), frame.Y(point.north));
        writer.Commit();
    }
    for (const CPlanPoint& point : file.points)
        if (point.station)
            WriteUse(out, "s", frame.X(point.east), frame.Y(point.north));
    out += "</g>\n";
}

void WriteLabels(CBufferedWriter& writer, const std::vector<CLabel>& labels)
{
    std::string& out = writer.Text();
    if (labels.empty())
        return;
    out += "<g fill=\"";
    out += Ink;
    out += "\">\n";
    for (const CLabel& label : labels)
    {
        out += "<text";
        Attribute(out, "x", label.anchor.x + 5);
        Attribute(out, "y", label.anchor.y - 5);
        out += '>';
        AppendXmlText(out, *label.name);
        out += "</text>\n";
        writer.Commit();
    }
    out += "</g>\n";
}

// Below the plan area, from its left edge: a bar of two halves, 0 at its start and its length
// at its end.
void WriteScaleBar(std::string& out, const CFrame& frame)
{
    if (!frame.any)
        return;
    const CRoundLength length = RoundLengthAtMost(frame.areaWidth / 3 / frame.scale);
    const double bar = length.Metres() * frame.scale;
    const double x = Margin;
    const double y = Margin + frame.areaHeight + 10;
    out += "<g stroke=\"";
    out += Ink;
    out += "\"><rect";
    Attribute(out, "x", x);
    Attribute(out, "y", y);
    Attribute(out, "width", bar / 2);
    out += " height=\"5\" fill=\"";
    out += Ink;
    out += "\"/><rect";
    Attribute(out, "x", x + bar / 2);
    Attribute(out, "y", y);
    Attribute(out, "width", bar / 2);
    out += " height=\"5\" fill=\"#fff\"/></g>\n<g fill=\"";
    out += Ink;
    out += "\" font-size=\"10\"><text";
    Attribute(out, "x", x);
    Attribute(out, "y", y + 17);
    out += ">0</text><text";
    Attribute(out, "x", x + bar);
    Attribute(out, "y", y + 17);
    out += " text-anchor=\"middle\">";
    AppendXmlText(out, ScaleBarLabel(length));
    out += "</text></g>\n";
}

void WriteNorthArrow(std::string& out, double x, double y)
{
    out += "<g fill=\"";
    out += Ink;
    out += "\" transform=\"translate(";
    AppendUnits(out, x);
    out += ' ';
    AppendUnits(out, y);
    out += ")\"><path d=\"M0 0L8 30L0 24L-8 30Z\"/><text y=\"44\" text-anchor=\"middle\" "
           "font-weight=\"bold\">N</text></g>\n";
}

void WriteLegend(std::string& out, const CLegend& legend, double left, std::size_t files)
{
    WriteNorthArrow(out, left + 10, Margin);
    double y = Margin + NorthArrowHeight;
    const double textX = left + 24;
    auto text = [&](const std::string& content)
    {
        out += "<text";
        Attribute(out, "x", textX);
        Attribute(out, "y", y + 4);
        out += '>';
        AppendXmlText(out, content);
        out += "</text>\n";
    };
    out += "<g fill=\"";
    out += Ink;
    out += "\" stroke=\"";
    out += Ink;
    out += "\">\n";
    WriteUse(out, "p", left + 10, y);
    y += LineHeight;
    WriteUse(out, "s", left + 10, y + 2);
    y += LineHeight;
    out += "<path stroke-width=\"0.8\" d=\"M";
    AppendUnits(out, left + 2);
    out += ' ';
    AppendUnits(out, y);
    out += "h16\"/>\n</g>\n<g fill=\"";
    out += Ink;
    out += "\">\n";
    y -= 2 * LineHeight;
    for (const char* symbol : {"control point", "station", "observation"})
    {
        text(symbol);
        y += LineHeight;
    }
    y += LineHeight;
    for (std::size_t i = 0; i < legend.files.size(); ++i)
    {
        if (i < files && i < LegendFiles)
        {
            out += "<rect";
            Attribute(out, "x", left + 4);
            Attribute(out, "y", y - 5);
            out += " width=\"12\" height=\"10\" fill=\"";
            out += ColourOf(i);
            out += "\"/>\n";
        }
        text(legend.files[i]);
        y += LineHeight;
    }
    y += LineHeight;
    for (const std::string& note : legend.notes)
    {
        text(note);
        y += LineHeight;
    }
    out += "</g>\n";
}

} // namespace

double CRoundLength::Metres() const
{
    double metres = digit;
    for (int e = 0; e < exponent; ++e)
        metres *= 10;
    for (int e = 0; e > exponent; --e)
        metres /= 10;
    return metres;
}

CRoundLength RoundLengthAtMost(double metres)
{
    if (!(metres > 0) || !std::isfinite(metres))
        return {};
    metres = std::clamp(metres, 1e-300, 1e300);
    // The power of ten at or below metres, by multiplying and dividing only, which give the same
    // bits everywhere (a library's pow and log10 need not).
    CRoundLength power{1, 0};
    double value = 1;
    while (power.exponent < 300 && value * 10 <= metres)
    {
        value *= 10;
        ++power.exponent;
    }
    while (power.exponent > -300 && value > metres)
    {
        value /= 10;
        --power.exponent;
    }
    power.digit = metres >= 5 * value ? 5 : metres >= 2 * value ? 2 : 1;
    return power;
}

std::string ScaleBarLabel(const CRoundLength& length)
{
    std::string text;
    if (length.exponent >= 0)
    {
        text += static_cast<char>('0' + length.digit);
        text.append(static_cast<std::size_t>(length.exponent), '0');
    }
    else
    {
        text = "0.";
        text.append(static_cast<std::size_t>(-length.exponent - 1), '0');
        text += static_cast<char>('0' + length.digit);
    }
    return text + " m";
}

std::vector<bool> ThinLabels(const std::vector<CLabelAnchor>& anchors, double cellWidth,
                             double cellHeight, std::size_t limit)
{
    if (anchors.size() <= limit)
        return std::vector<bool>(anchors.size(), true);
    std::vector<bool> shown(anchors.size(), false);
    // The anchor drawn in each cell. A cell's label may reach into its neighbours, so a label is
    // also left out when one drawn in a neighbouring cell is less than a cell away.
    std::map<std::pair<long long, long long>, CLabelAnchor> taken;
    auto cell = [](double at, double size)
    { return static_cast<long long>(std::floor(std::clamp(at / size, -1e15, 1e15))); };
    auto roomFor = [&](const CLabelAnchor& anchor, long long column, long long row)
    {
        for (long long c = column - 1; c <= column + 1; ++c)
            for (long long r = row - 1; r <= row + 1; ++r)
            {
                auto found = taken.find({c, r});
                if (found != taken.end() && std::fabs(found->second.x - anchor.x) < cellWidth &&
                    std::fabs(found->second.y - anchor.y) < cellHeight)
                    return false;
            }
        return true;
    };
    for (std::size_t i = 0; i < anchors.size(); ++i)
    {
        const long long column = cell(anchors[i].x, cellWidth);
        const long long row = cell(anchors[i].y, cellHeight);
        if (roomFor(anchors[i], column, row))
        {
            taken.emplace(std::make_pair(column, row), anchors[i]);
            shown[i] = true;
        }
    }
    return shown;
}

void AppendXmlText(std::string& out, const std::string& text)
{
    static const char replacement[] = "\xEF\xBF\xBD";
    const std::string valid = ToUtf8(FromUtf8(text));
    for (std::size_t i = 0; i < valid.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(valid[i]);
        switch (byte)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            if (byte < 0x20)
                out += replacement;
            else if (byte == 0xEF && valid.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < valid.size() &&
                     (valid[i + 2] == '\xBE' || valid[i + 2] == '\xBF'))
            {
                out += replacement;
                i += 2;
            }
            else
                out += valid[i];
        }
    }
}

void WriteSvgPlan(const std::vector<CPlanFile>& files, IByteSink& out)
{
    const CFrame frame = FrameOf(files);
    std::size_t labelCandidates = 0;
    const std::vector<CLabel> labels = LabelsOf(files, frame, labelCandidates);
    const CLegend legend = LegendOf(files, labels.size(), labelCandidates);
    const double legendLeft = Margin + frame.areaWidth + LegendGap;
    const double width = legendLeft + legend.width + 24 + Margin;
    const double height = std::max(Margin + frame.areaHeight + 40, Margin + legend.height) + Margin;

    CBufferedWriter writer(out);
    std::string& text = writer.Text();
    WriteStart(text, width, height);
    WriteArea(text, frame);
    for (std::size_t i = 0; i < files.size(); ++i)
        WriteFile(writer, files[i], i, frame);
    WriteLabels(writer, labels);
    WriteScaleBar(text, frame);
    WriteLegend(text, legend, legendLeft, files.size());
    text += "</svg>\n";
    writer.Flush();
}

} // namespace Host
