#include "host/RecordReceiver.h"

#include "host/Utf8.h"

namespace Host
{

CRecordReceiver::CRecordReceiver(IUnitConverterFactory* factory, std::vector<IRecordSink*> sinks)
    : m_factory(factory), m_sinks(std::move(sinks))
{
}

template <class F> void CRecordReceiver::Guard(F&& action) noexcept
{
    if (m_failed)
        return;
    try
    {
        action();
    }
    catch (const COutputError& error)
    {
        m_failed = true;
        if (m_onOutputError)
        {
            try
            {
                m_onOutputError(error);
            }
            catch (...)
            {
            }
        }
    }
    catch (...)
    {
        m_failed = true;
    }
}

void CRecordReceiver::Complete()
{
    switch (m_open)
    {
    case OpenKind::Point:
        for (IRecordSink* sink : m_sinks)
            sink->Point(m_record);
        break;
    case OpenKind::Station:
        for (IRecordSink* sink : m_sinks)
            sink->Station(m_station, m_setup);
        break;
    case OpenKind::Observation:
        for (IRecordSink* sink : m_sinks)
            sink->Observation(m_record, m_setup ? &m_station : nullptr, m_setup);
        break;
    case OpenKind::None:
        break;
    }
    m_open = OpenKind::None;
}

void CRecordReceiver::StartFile(std::string path)
{
    Finish();
    if (m_failed)
        return;
    m_inFile = true;
    m_fileError = false;
    m_path = m_shownPath.empty() ? std::move(path) : m_shownPath;
    m_currentLine = -1;
    m_setup = 0;
    ++m_files;
    for (IRecordSink* sink : m_sinks)
        sink->BeginFile(m_path);
}

// A plug-in begins every file before anything else; calls before that are kept under a file
// without a path rather than lost.
void CRecordReceiver::EnsureFile()
{
    if (!m_inFile)
        StartFile(std::string());
}

void CRecordReceiver::Finish()
{
    Guard(
        [&]
        {
            if (!m_inFile)
                return;
            Complete();
            m_inFile = false;
            if (m_fileError)
                ++m_filesNotImported;
            for (IRecordSink* sink : m_sinks)
                sink->EndFile(!m_fileError);
        });
}

CRecord* CRecordReceiver::OpenRecord()
{
    switch (m_open)
    {
    case OpenKind::Point:
    case OpenKind::Observation:
        return &m_record;
    case OpenKind::Station:
        return &m_station;
    case OpenKind::None:
        break;
    }
    return nullptr;
}

IUnitConverterFactory* CRecordReceiver::GetConverterFactory()
{
    if (m_factory)
        m_factory->AddRef();
    return m_factory;
}

void CRecordReceiver::BeginFile(const wchar_t* path)
{
    Guard([&] { StartFile(ToUtf8(path)); });
}

void CRecordReceiver::SetCurrentLine(std::int32_t index)
{
    m_currentLine = index;
}

void CRecordReceiver::Report(const wchar_t* message, bool fileError)
{
    Guard(
        [&]
        {
            EnsureFile();
            CMessage entry;
            if (!fileError && m_currentLine >= 0)
                entry.line = m_currentLine + 1;
            entry.text = ToUtf8(message);
            entry.fileError = fileError;
            if (fileError && m_fileErrorCause)
                entry.cause = m_fileErrorCause();
            m_fileError = m_fileError || fileError;
            for (IRecordSink* sink : m_sinks)
                sink->Message(entry);
        });
}

void CRecordReceiver::ReportLineError(const wchar_t* message)
{
    Report(message, false);
}

void CRecordReceiver::ReportFileError(const wchar_t* message)
{
    Report(message, true);
}

void CRecordReceiver::SetProgress(float percent)
{
    Guard(
        [&]
        {
            if (m_onProgress && m_inFile)
                m_onProgress(m_path, percent);
        });
}

void CRecordReceiver::BeginPoint(const wchar_t* name)
{
    Guard([&] { BeginRecord(name, OpenKind::Point); });
}

void CRecordReceiver::BeginStation(const wchar_t* name)
{
    Guard(
        [&]
        {
            EnsureFile();
            Complete();
            m_station = CRecord();
            m_station.name = ToUtf8(name);
            ++m_setup;
            m_open = OpenKind::Station;
        });
}

void CRecordReceiver::BeginTarget(const wchar_t* name)
{
    Guard([&] { BeginRecord(name, OpenKind::Observation); });
}

void CRecordReceiver::BeginRecord(const wchar_t* name, OpenKind kind)
{
    EnsureFile();
    Complete();
    m_record = CRecord();
    m_record.name = ToUtf8(name);
    m_open = kind;
}

#define ORVA_HOST_SETTER(Operation, Type, field)                                                   \
    void CRecordReceiver::Operation(Type value)                                                    \
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

void CRecordReceiver::SetCode(const wchar_t* code)
{
    Guard(
        [&]
        {
            if (CRecord* record = OpenRecord())
                record->code = ToUtf8(code);
        });
}

void CRecordReceiver::SetDate(const wchar_t* date)
{
    Guard(
        [&]
        {
            if (CRecord* record = OpenRecord())
                record->date = ToUtf8(date);
        });
}

} // namespace Host
