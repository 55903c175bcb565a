// The host's receiver: turns the plug-in's calls into records, file by file. BeginPoint,
// BeginStation and BeginTarget open a record and every setter applies to the record opened last;
// an observation belongs to the station opened last in its file. Setters that arrive while no
// record is open in the current file have nothing to apply to and are dropped.
#pragma once

#include "host/ImportRecords.h"
#include "plugin/HostInterfaces.h"

#include <cstddef>
#include <vector>

namespace Host
{

// Told about messages and progress as they arrive, for people watching the import.
class IImportEvents
{
public:
    virtual void FileStarted(const CFileRecords& file) = 0;
    virtual void MessageReported(const CFileRecords& file, const CMessage& message) = 0;
    virtual void ProgressChanged(const CFileRecords& file, float percent) = 0;

protected:
    ~IImportEvents() = default;
};

class CImportReceiver final : public IGroundDataReceiver
{
public:
    // The factory is borrowed and must outlive the receiver; each GetConverterFactory hands out a
    // new reference to it. Null makes the receiver hand out null. Events may be null.
    explicit CImportReceiver(IUnitConverterFactory* factory, IImportEvents* events = nullptr);

    const std::vector<CFileRecords>& Files() const { return m_files; }
    // True when a call could not be recorded (memory ran out); the records are then incomplete.
    bool Failed() const { return m_failed; }

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
        Observation,
        ObservationWithoutStation
    };

    CFileRecords& CurrentFile();
    CRecord* OpenRecord();
    void Report(const wchar_t* message, bool fileError);
    // Runs one call; nothing thrown may return into the plug-in.
    template <class F> void Guard(F&& action) noexcept;

    IUnitConverterFactory* m_factory;
    IImportEvents* m_events;
    std::vector<CFileRecords> m_files;
    std::int64_t m_currentLine = -1;
    OpenKind m_open = OpenKind::None;
    bool m_failed = false;
};

} // namespace Host
