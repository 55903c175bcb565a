// A host that holds the plug-in to every rule of the binary contract and aborts, with the rule it
// saw broken, the moment one is broken. The fuzzer imports through it; each object counts its own
// references and keeps living after its last release, so a late call is caught rather than being
// a use of freed memory that may pass unseen.
#pragma once

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Checking
{

// Aborts the process with the rule that was broken.
[[noreturn]] void Breach(const char* rule);

// The length of a string handed to the host; aborts on null. An unterminated string runs past
// its block, which the address sanitizer reports here.
std::size_t CheckedLength(const wchar_t* text, const char* what);

// A counted host object: created with one reference for the plug-in, which must give back every
// reference it takes, never more, and never call after the last.
class CCount
{
public:
    void Add();
    bool Drop();
    void CheckAlive(const char* what) const;
    std::int32_t Value() const { return m_count; }

private:
    std::int32_t m_count = 1;
    bool m_released = false;
};

// Which host objects are missing for one run: the factory as a whole, or the converter of one
// quantity and unit code.
struct CHostShape
{
    enum class Quantity
    {
        None,
        Angle,
        Linear,
        Temperature,
        Pressure
    };

    bool NoFactory = false;
    Quantity MissingQuantity = Quantity::None;
    std::int32_t MissingCode = -1;

    // Decodes one selector byte; every value stands for some shape.
    static CHostShape FromSelector(std::uint8_t selector);
};

class CConverterFactory;

// Receives one import, checking the order of calls: BeginFile before anything of its file, lines
// announced 0, 1, 2... and -1 only before a file message, progress within [0, 100], setters only
// while a record of the file is open, message texts from the module's table only.
class CReceiver final : public IGroundDataReceiver
{
public:
    explicit CReceiver(const CHostShape& shape);
    ~CReceiver();

    // Every reference that the plug-in was given is back; aborts otherwise.
    void CheckAllReleased() const;
    std::size_t Files() const { return m_files; }
    // What the import delivered, line by line: records, their values and texts, and messages,
    // in the order they came; two imports of the same content give the same transcript.
    const std::string& Transcript() const { return m_transcript; }

    IUnitConverterFactory* GetConverterFactory() override;
    void BeginFile(const wchar_t* path) override;
    void SetCurrentLine(std::int32_t index) override;
    void Reserved3() override;
    void ReportLineError(const wchar_t* message) override;
    void ReportFileError(const wchar_t* message) override;
    void SetProgress(float percent) override;
    void Reserved7() override;
    void BeginPoint(const wchar_t* name) override;
    void SetNorth(double value) override;
    void SetEast(double value) override;
    void SetElevation(double value) override;
    void SetPointClass(std::int32_t pointClass) override;
    void Reserved13() override;
    void Reserved14() override;
    void Reserved15() override;
    void SetCode(const wchar_t* code) override;
    void BeginStation(const wchar_t* name) override;
    void Reserved18() override;
    void Reserved19() override;
    void SetDate(const wchar_t* date) override;
    void SetInstrumentHeight(double value) override;
    void SetVerticalAngleOffset(double radians) override;
    void Reserved23() override;
    void BeginTarget(const wchar_t* name) override;
    void SetPressure(double value) override;
    void SetTemperature(double value) override;
    void Reserved27() override;
    void SetVerticalAngle(double radians) override;
    void SetHorizontalAngle(double radians) override;
    void SetReflectorHeight(double value) override;
    void SetSlopeDistance(double value) override;

private:
    void InFile(const char* what) const;
    void BeginRecord(const wchar_t* name, const char* what);
    void SetValue(double value, const char* what);
    void CheckMessage(const wchar_t* message) const;
    void Note(const char* what, double value, const wchar_t* text = nullptr);

    CHostShape m_shape;
    std::vector<std::unique_ptr<CConverterFactory>> m_factories;
    bool m_inFile = false;
    bool m_recordOpen = false;
    bool m_fileMessageSent = false;
    std::int64_t m_lastLine = -1;
    bool m_lineClosed = false;
    std::size_t m_files = 0;
    std::string m_transcript;
};

// One path, walked as the plug-in must walk a list: Reset, then IsValid before each GetPath and
// MoveNext.
class CFileList final : public IImportFileList
{
public:
    explicit CFileList(std::wstring path) : m_path(std::move(path)) {}

    bool IsValid() override;
    void MoveNext() override;
    const wchar_t* GetPath() override;
    void Reset() override;

private:
    std::wstring m_path;
    bool m_reset = false;
    bool m_validAsked = false;
    std::size_t m_cursor = 0;
};

// Open file descriptors of the process: an import must leave as many as it found.
std::size_t OpenDescriptors();

} // namespace Checking
