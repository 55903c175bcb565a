// The two outputs of an import: one JSON document for all files, or three CSV tables.
#pragma once

#include "host/ImportRecords.h"

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

// The JSON document, indented by two spaces, ending in a newline. Texts are UTF-8.
std::string ToJson(const std::vector<CFileRecords>& files);

// The CSV tables, each with a header row, RFC 4180 quoting and CRLF line ends:
// points (file, name, north, east, elevation, class, code),
// stations (file, setup, name, instrument_height, temperature, pressure) and
// observations (file, setup, station, target, code, horizontal_angle, vertical_angle,
// slope_distance, reflector_height, date, vertical_angle_offset). "setup" numbers the stations of
// a file from 1 and is empty for observations made before the first station.
void WritePointsCsv(const std::vector<CFileRecords>& files, std::ostream& out);
void WriteStationsCsv(const std::vector<CFileRecords>& files, std::ostream& out);
void WriteObservationsCsv(const std::vector<CFileRecords>& files, std::ostream& out);

// One CSV field: quoted when it holds a comma, a quotation mark, CR or LF, with the quotation
// marks doubled.
std::string CsvField(const std::string& text);

// The shortest text that reads back as the same double.
std::string FormatNumber(double value);

} // namespace Host
