#include "host/kit/RecordReceiver.h"

#include "host/kit/OutputError.h"
#include "host/kit/Utf8.h"

#include <cmath>

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
        m_sinks.Point(m_record);
        break;
    case OpenKind::Station:
        m_sinks.Station(m_station, m_setup);
        break;
    case OpenKind::Observation:
        m_sinks.Observation(m_record, m_setup ? &m_station : nullptr, m_setup);
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
    m_settings = CFileSettings();
    ++m_files;
    m_sinks.BeginFile(m_path);
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
            m_sinks.EndFile(!m_fileError);
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

std::optional<std::int64_t> CRecordReceiver::LineNumber() const
{
    if (m_currentLine < 0)
        return std::nullopt;
    return m_currentLine + 1;
}

void CRecordReceiver::Report(const wchar_t* message, bool fileError)
{
    Guard(
        [&]
        {
            EnsureFile();
            CMessage entry;
            if (!fileError)
                entry.line = LineNumber();
            entry.text = ToUtf8(message);
            entry.fileError = fileError;
            if (fileError && m_fileErrorCause)
                entry.cause = m_fileErrorCause();
            m_fileError = m_fileError || fileError;
            ++m_reports;
            m_sinks.Message(entry);
        });
}

void CRecordReceiver::ConverterMade(Quantity quantity, std::int32_t unitCode)
{
    Guard(
        [&]
        {
            EnsureFile();
            CUnitChoice choice;
            choice.quantity = quantity;
            choice.unitCode = unitCode;
            choice.line = LineNumber();
            m_sinks.UnitChosen(choice);
        });
}

namespace
{

const char* WhatIsNot(Quantity quantity)
{
    switch (quantity)
    {
    case Quantity::Angle:
        return "\" is not an angle";
    case Quantity::Length:
        return "\" is not a length";
    case Quantity::Temperature:
        return "\" is not a temperature";
    case Quantity::Pressure:
        return "\" is not a pressure";
    }
    return "\" is not a value";
}

} // namespace

void CRecordReceiver::ValueRefused(Quantity quantity, std::int32_t unitCode, const wchar_t* text)
{
    Guard(
        [&]
        {
            // An empty field is a value the file does not give, not one that is wrong.
            if (!text || !*text)
                return;
            EnsureFile();
            CWarning warning;
            warning.line = LineNumber();
            // The plug-in rewrote the packed notation; the surveyor knows the text as written.
            const bool packed = quantity == Quantity::Angle && unitCode == AngleUnit::DottedDms;
            warning.text = '"' + ToUtf8(packed ? PackedDmsText(text).c_str() : text);
            warning.text += WhatIsNot(quantity);
            ++m_reports;
            m_sinks.Warning(warning);
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
            Reset(m_station, name);
            ++m_setup;
            m_open = OpenKind::Station;
        });
}

void CRecordReceiver::BeginTarget(const wchar_t* name)
{
    Guard([&] { BeginRecord(name, OpenKind::Observation); });
}

// Empties the record for the next one of that name; the room of its texts is kept, as a record
// is begun for every row of the file.
void CRecordReceiver::Reset(CRecord& record, const wchar_t* name)
{
    record.Clear(m_spareCode, m_spareDate);
    AssignUtf8(record.name, name);
    record.line = LineNumber().value_or(0);
}

// A text of the open record, written into the room of the one before.
void CRecordReceiver::SetText(std::optional<std::string> CRecord::*field,
                              std::optional<std::string>& spare, const wchar_t* text)
{
    CRecord* record = OpenRecord();
    if (!record)
        return;
    std::optional<std::string>& value = record->*field;
    if (!value && spare)
    {
        value = std::move(spare);
        spare.reset();
    }
    else if (!value)
        value.emplace();
    AssignUtf8(*value, text);
}

void CRecordReceiver::BeginRecord(const wchar_t* name, OpenKind kind)
{
    EnsureFile();
    Complete();
    Reset(m_record, name);
    m_open = kind;
}

// Kept apart from the rare warning, which is out of line on purpose: merged into it, the check of
// every value would pay for the warning's stack frame.
void CRecordReceiver::CheckShown(Quantity quantity, double value)
{
    if (m_units && !(ShowsEveryFiniteValue(*m_units, quantity) && std::isfinite(value)))
        WarnIfNotShown(quantity, value);
}

#define ORVA_HOST_SETTER(Operation, Type, field)                                                   \
    void CRecordReceiver::Operation(Type value)                                                    \
    {                                                                                              \
        if (CRecord* record = OpenRecord())                                                        \
            record->field = value;                                                                 \
    }

// An angle or a length, which the outputs show in the display units.
#define ORVA_HOST_MEASURE(Operation, field, quantity)                                              \
    void CRecordReceiver::Operation(double value)                                                  \
    {                                                                                              \
        if (CRecord* record = OpenRecord())                                                        \
        {                                                                                          \
            record->field = value;                                                                 \
            CheckShown(quantity, value);                                                           \
        }                                                                                          \
    }

ORVA_HOST_MEASURE(SetNorth, north, Quantity::Length)
ORVA_HOST_MEASURE(SetEast, east, Quantity::Length)
ORVA_HOST_MEASURE(SetElevation, elevation, Quantity::Length)
ORVA_HOST_SETTER(SetPointClass, std::int32_t, pointClass)
ORVA_HOST_MEASURE(SetInstrumentHeight, instrumentHeight, Quantity::Length)
ORVA_HOST_MEASURE(SetVerticalAngleOffset, verticalAngleOffset, Quantity::Angle)
ORVA_HOST_SETTER(SetPressure, double, pressure)
ORVA_HOST_SETTER(SetTemperature, double, temperature)
ORVA_HOST_MEASURE(SetVerticalAngle, verticalAngle, Quantity::Angle)
ORVA_HOST_MEASURE(SetHorizontalAngle, horizontalAngle, Quantity::Angle)
ORVA_HOST_MEASURE(SetReflectorHeight, reflectorHeight, Quantity::Length)
ORVA_HOST_MEASURE(SetSlopeDistance, slopeDistance, Quantity::Length)

#undef ORVA_HOST_MEASURE
#undef ORVA_HOST_SETTER

#if defined(__GNUC__)
__attribute__((noinline))
#endif
void CRecordReceiver::WarnIfNotShown(Quantity quantity, double value)
{
    std::optional<std::string> why = WhyNotShown(*m_units, quantity, value);
    if (!why)
        return;
    Guard(
        [&]
        {
            CWarning warning;
            warning.line = LineNumber();
            warning.text = std::move(*why);
            ++m_reports;
            m_sinks.Warning(warning);
        });
}

void CRecordReceiver::SetCode(const wchar_t* code)
{
    Guard([&] { SetText(&CRecord::code, m_spareCode, code); });
}

void CRecordReceiver::SetDate(const wchar_t* date)
{
    Guard([&] { SetText(&CRecord::date, m_spareDate, date); });
}

void CRecordReceiver::SectionOpened(const std::wstring& path)
{
    Guard([&] { m_settings.sections.push_back(ToUtf8(path)); });
}

void CRecordReceiver::LineIgnored(IgnoredLine kind, std::size_t lineIndex, const std::wstring& text)
{
    Guard(
        [&]
        {
            CIgnoredLine ignored;
            ignored.kind = kind == IgnoredLine::HeaderSetting ? CIgnoredLine::Kind::HeaderSetting
                                                              : CIgnoredLine::Kind::UnitLine;
            ignored.line = static_cast<std::int64_t>(lineIndex) + 1;
            ignored.text = ToUtf8(text);
            m_settings.ignored.push_back(std::move(ignored));
        });
}

void CRecordReceiver::FileEnded(wchar_t separator, wchar_t terminator,
                                IReadObserver::DateOrder dateOrder)
{
    Guard(
        [&]
        {
            EnsureFile();
            m_settings.separator = static_cast<std::uint16_t>(separator);
            m_settings.terminator = static_cast<std::uint16_t>(terminator);
            switch (dateOrder)
            {
            case IReadObserver::DateOrder::DayMonthYear:
                m_settings.dateOrder = Host::DateOrder::DayMonthYear;
                break;
            case IReadObserver::DateOrder::MonthDayYear:
                m_settings.dateOrder = Host::DateOrder::MonthDayYear;
                break;
            case IReadObserver::DateOrder::YearMonthDay:
                m_settings.dateOrder = Host::DateOrder::YearMonthDay;
                break;
            case IReadObserver::DateOrder::ModifiedJulianDay:
                m_settings.dateOrder = Host::DateOrder::ModifiedJulianDay;
                break;
            }
            m_sinks.FileSettings(m_settings);
        });
}

} // namespace Host
