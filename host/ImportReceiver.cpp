#include "host/ImportReceiver.h"

#include "host/Utf8.h"

#include <algorithm>

namespace Host
{

bool CFileRecords::Imported() const
{
    return std::none_of(messages.begin(), messages.end(),
                        [](const CMessage& message) { return message.fileError; });
}

CImportReceiver::CImportReceiver(IUnitConverterFactory* factory, IImportEvents* events)
    : m_factory(factory), m_events(events)
{
}

template <class F> void CImportReceiver::Guard(F&& action) noexcept
{
    try
    {
        action();
    }
    catch (...)
    {
        m_failed = true;
    }
}

CFileRecords& CImportReceiver::CurrentFile()
{
    // A plug-in begins every file before anything else; calls before that are kept under a file
    // without a path rather than lost.
    if (m_files.empty())
        m_files.emplace_back();
    return m_files.back();
}

CRecord* CImportReceiver::OpenRecord()
{
    if (m_files.empty())
        return nullptr;
    CFileRecords& file = m_files.back();
    switch (m_open)
    {
    case OpenKind::Point:
        return &file.points.back();
    case OpenKind::Station:
        return &file.stations.back().station;
    case OpenKind::Observation:
        return &file.stations.back().observations.back();
    case OpenKind::ObservationWithoutStation:
        return &file.observationsWithoutStation.back();
    case OpenKind::None:
        break;
    }
    return nullptr;
}

IUnitConverterFactory* CImportReceiver::GetConverterFactory()
{
    if (m_factory)
        m_factory->AddRef();
    return m_factory;
}

void CImportReceiver::BeginFile(const wchar_t* path)
{
    Guard(
        [&]
        {
            CFileRecords file;
            file.path = ToUtf8(path);
            m_files.push_back(std::move(file));
            m_currentLine = -1;
            m_open = OpenKind::None;
            if (m_events)
                m_events->FileStarted(m_files.back());
        });
}

void CImportReceiver::SetCurrentLine(std::int32_t index)
{
    m_currentLine = index;
}

void CImportReceiver::Report(const wchar_t* message, bool fileError)
{
    Guard(
        [&]
        {
            CFileRecords& file = CurrentFile();
            CMessage entry;
            if (!fileError && m_currentLine >= 0)
                entry.line = m_currentLine + 1;
            entry.text = ToUtf8(message);
            entry.fileError = fileError;
            file.messages.push_back(std::move(entry));
            if (m_events)
                m_events->MessageReported(file, file.messages.back());
        });
}

void CImportReceiver::ReportLineError(const wchar_t* message)
{
    Report(message, false);
}

void CImportReceiver::ReportFileError(const wchar_t* message)
{
    Report(message, true);
}

void CImportReceiver::SetProgress(float percent)
{
    Guard(
        [&]
        {
            if (m_events && !m_files.empty())
                m_events->ProgressChanged(m_files.back(), percent);
        });
}

void CImportReceiver::BeginPoint(const wchar_t* name)
{
    Guard(
        [&]
        {
            CRecord record;
            record.name = ToUtf8(name);
            CurrentFile().points.push_back(std::move(record));
            m_open = OpenKind::Point;
        });
}

void CImportReceiver::BeginStation(const wchar_t* name)
{
    Guard(
        [&]
        {
            CStation station;
            station.station.name = ToUtf8(name);
            CurrentFile().stations.push_back(std::move(station));
            m_open = OpenKind::Station;
        });
}

void CImportReceiver::BeginTarget(const wchar_t* name)
{
    Guard(
        [&]
        {
            CRecord record;
            record.name = ToUtf8(name);
            CFileRecords& file = CurrentFile();
            if (file.stations.empty())
            {
                file.observationsWithoutStation.push_back(std::move(record));
                m_open = OpenKind::ObservationWithoutStation;
            }
            else
            {
                file.stations.back().observations.push_back(std::move(record));
                m_open = OpenKind::Observation;
            }
        });
}

#define ORVA_HOST_SETTER(Operation, Type, field)                                                   \
    void CImportReceiver::Operation(Type value)                                                    \
    {                                                                                              \
        if (CRecord* record = OpenRecord())                                                        \
            record->field = value;                                                                 \
    }

ORVA_HOST_SETTER(SetNorth, double, north)
ORVA_HOST_SETTER(SetEast, double, east)
ORVA_HOST_SETTER(SetElevation, double, elevation)
ORVA_HOST_SETTER(SetPointClass, std::int32_t, pointClass)
ORVA_HOST_SETTER(SetInstrumentHeight, double, instrumentHeight)
ORVA_HOST_SETTER(SetVerticalAngleOffset, double, verticalAngleOffset)
ORVA_HOST_SETTER(SetPressure, double, pressure)
ORVA_HOST_SETTER(SetTemperature, double, temperature)
ORVA_HOST_SETTER(SetVerticalAngle, double, verticalAngle)
ORVA_HOST_SETTER(SetHorizontalAngle, double, horizontalAngle)
ORVA_HOST_SETTER(SetReflectorHeight, double, reflectorHeight)
ORVA_HOST_SETTER(SetSlopeDistance, double, slopeDistance)

#undef ORVA_HOST_SETTER

void CImportReceiver::SetCode(const wchar_t* code)
{
    Guard(
        [&]
        {
            if (CRecord* record = OpenRecord())
                record->code = ToUtf8(code);
        });
}

void CImportReceiver::SetDate(const wchar_t* date)
{
    Guard(
        [&]
        {
            if (CRecord* record = OpenRecord())
                record->date = ToUtf8(date);
        });
}

} // namespace Host
