// A receiver that streams: it assembles the record opened last and hands each record on to its
// sinks as soon as the next one begins, so that an import of any size holds one record. The same
// builder rules as CImportReceiver: setters apply to the record opened last, an observation
// belongs to the station opened last in its file, setters with no record open are dropped. As the
// events of the converters it hands out, it tells its sinks which units the plug-in chose and
// which values could not be converted, with the line being read.
#pragma once

#include "host/kit/DisplayUnits.h"
#include "host/kit/OutputError.h"
#include "host/kit/RecordSink.h"
#include "host/kit/SinkFanOut.h"
#include "host/kit/UnitConverters.h"
#include "parser/ReadObserver.h"
#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

class CRecordReceiver final : public IGroundDataReceiver,
                              public IConverterEvents,
                              public IReadObserver
{
public:
    using ProgressHandler = std::function<void(const std::string& path, float percent)>;
    // Called, on the importing thread, with the first write error of a sink. After it returns
    // the receiver drops everything, as the output is lost anyway.
    using OutputErrorHandler = std::function<void(const COutputError&)>;

    // The factory is borrowed and must outlive the receiver; null makes the receiver hand out
    // null. The sinks are borrowed and get every record, in the order given.
    CRecordReceiver(IUnitConverterFactory* factory, std::vector<IRecordSink*> sinks);

    void OnProgress(ProgressHandler handler) { m_onProgress = std::move(handler); }
    void OnOutputError(OutputErrorHandler handler) { m_onOutputError = std::move(handler); }
    // The units the outputs show angles and lengths in: a value too large to be written in them
    // is a warning. Without them no value is checked.
    void SetDisplayUnits(const CDisplayUnits& units) { m_units = units; }
    // The path that the sinks get for the files begun from here on, in place of the one the
    // plug-in names (a temporary copy of standard input has no name worth showing); empty for
    // the plug-in's own.
    void ShowPathAs(std::string path) { m_shownPath = std::move(path); }
    // Finds the cause that a file error carries (CMessage::cause), asked when one is reported.
    void ExplainFileErrors(std::function<std::string()> cause)
    {
        m_fileErrorCause = std::move(cause);
    }

    // Ends the file being received; the plug-in has no call for it. BeginFile ends the one before.
    void Finish();
    // True when memory ran out while assembling a record or a sink failed; the outputs are then
    // incomplete.
    bool Failed() const { return m_failed; }
    // Files begun so far, and those among them with a file error.
    std::size_t Files() const { return m_files; }
    std::size_t FilesNotImported() const { return m_filesNotImported; }
    // Messages and warnings passed on so far, of every file.
    std::uint64_t Reports() const { return m_reports; }

    void ConverterMade(Quantity quantity, std::int32_t unitCode) override;
    void ValueRefused(Quantity quantity, std::int32_t unitCode, const wchar_t* text) override;

    // What the reader linked into the program saw: passed on as the file's settings when it ends.
    void SectionOpened(const std::wstring& path) override;
    void LineIgnored(IgnoredLine kind, std::size_t lineIndex, const std::wstring& text) override;
    void FileEnded(wchar_t separator, wchar_t terminator, DateOrder dateOrder) override;

    IUnitConverterFactory* GetConverterFactory() override;
    void BeginFile(const wchar_t* path) override;
    void SetCurrentLine(std::int32_t index) override;
    void Reserved3() override {}
    void ReportLineError(const wchar_t* message) override;
    void ReportFileError(const wchar_t* message) override;
    void SetProgress(float percent) override;
    void Reserved7() override {}
    void BeginPoint(const wchar_t* name) override;
    void SetNorth(double value) override;
    void SetEast(double value) override;
    void SetElevation(double value) override;
    void SetPointClass(std::int32_t pointClass) override;
    void Reserved13() override {}
    void Reserved14() override {}
    void Reserved15() override {}
    void SetCode(const wchar_t* code) override;
    void BeginStation(const wchar_t* name) override;
    void Reserved18() override {}
    void Reserved19() override {}
    void SetDate(const wchar_t* date) override;
    void SetInstrumentHeight(double value) override;
    void SetVerticalAngleOffset(double radians) override;
    void Reserved23() override {}
    void BeginTarget(const wchar_t* name) override;
    void SetPressure(double value) override;
    void SetTemperature(double value) override;
    void Reserved27() override {}
    void SetVerticalAngle(double radians) override;
    void SetHorizontalAngle(double radians) override;
    void SetReflectorHeight(double value) override;
    void SetSlopeDistance(double value) override;

private:
    enum class OpenKind
    {
        None,
        Point,
        Station,
        Observation
    };

    // Runs one call; nothing thrown may return into the plug-in.
    template <class F> void Guard(F&& action) noexcept;
    void StartFile(std::string path);
    void EnsureFile();
    // Hands the open record on and opens none.
    void Complete();
    // Opens a point or an observation in place of the record open before.
    void BeginRecord(const wchar_t* name, OpenKind kind);
    CRecord* OpenRecord();
    void Reset(CRecord& record, const wchar_t* name);
    void SetText(std::optional<std::string> CRecord::*field, std::optional<std::string>& spare,
                 const wchar_t* text);
    void Report(const wchar_t* message, bool fileError);
    std::optional<std::int64_t> LineNumber() const;
    void CheckShown(Quantity quantity, double value);
    void WarnIfNotShown(Quantity quantity, double value);

    IUnitConverterFactory* m_factory;
    CSinkFanOut m_sinks;
    ProgressHandler m_onProgress;
    OutputErrorHandler m_onOutputError;
    bool m_inFile = false;
    bool m_fileError = false;
    std::string m_path;
    std::string m_shownPath;
    std::function<std::string()> m_fileErrorCause;
    std::int64_t m_currentLine = -1;
    OpenKind m_open = OpenKind::None;
    // The open point or observation; the station opened last lives apart, as observations name it.
    CRecord m_record;
    CRecord m_station;
    // The code and date of the record before, whose room the next one's take.
    std::optional<std::string> m_spareCode;
    std::optional<std::string> m_spareDate;
    std::size_t m_setup = 0;
    std::size_t m_files = 0;
    std::size_t m_filesNotImported = 0;
    std::uint64_t m_reports = 0;
    bool m_failed = false;
    std::optional<CDisplayUnits> m_units;
    CFileSettings m_settings;
};

} // namespace Host
