// The plan view: what the SVG output draws of a job, and the drawing of it. The job is seen from
// above, east to the right and north up: the files' points, their stations and the rays of the
// observations between them, one colour per file, with labels, a north arrow, a scale bar and a
// legend. A drawing needs the extent of every file before its first element, so the plan holds
// what it draws (each placed point's name and position, the rays between them) and is written
// once all files are in.
#pragma once

#include "host/io/ByteSink.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

struct CPlanPoint
{
    double east = 0;
    double north = 0;
    std::string name;
    bool station = false;
};

// One file's share of the plan. Only points with a position are drawn; stations and targets are
// placed on the file's points of their name.
struct CPlanFile
{
    std::string path;
    std::vector<CPlanPoint> points;
    // Indices into points; each pair of points once, however often it was observed.
    std::vector<std::pair<std::size_t, std::size_t>> rays;
    // What the file sent, and how much of it could not be placed.
    std::size_t pointsUnplaced = 0;
    std::size_t stations = 0;
    std::size_t stationsUnplaced = 0;
    std::size_t observations = 0;
    std::size_t observationsUnplaced = 0;
};

// Writes the plan of the files, in their order, as one SVG document. Any plan gives a valid
// document, also one with no point at all.
void WriteSvgPlan(const std::vector<CPlanFile>& files, IByteSink& out);

// A length of the form digit × 10^exponent, digit 1, 2 or 5: the lengths a scale bar shows.
struct CRoundLength
{
    int digit = 1;
    int exponent = 0;

    double Metres() const;
    bool operator==(const CRoundLength& other) const
    {
        return digit == other.digit && exponent == other.exponent;
    }
};

// The longest round length not longer than metres; 1 m for a length that is not positive and
// finite. Exponents stay within ±300.
CRoundLength RoundLengthAtMost(double metres);
// The length as the scale bar labels it, e.g. "50 m", "0.2 m".
std::string ScaleBarLabel(const CRoundLength& length);

struct CLabelAnchor
{
    double x = 0;
    double y = 0;
};

// Which labels to draw: all of them when there are at most limit, else, for a readable plan, at
// most one in each cell of a grid of cellWidth × cellHeight (a label's size), and none less than
// a cell's width and height away from another: the first of those that would come too close.
// Anchors come in the order of precedence.
std::vector<bool> ThinLabels(const std::vector<CLabelAnchor>& anchors, double cellWidth,
                             double cellHeight, std::size_t limit);

// Text for XML character data or an attribute value: markup characters escaped, tab, LF and CR as
// character references, and what XML 1.0 cannot hold at all (other control characters, U+FFFE,
// U+FFFF, bytes that are not UTF-8) as U+FFFD.
void AppendXmlText(std::string& out, const std::string& text);

} // namespace Host
