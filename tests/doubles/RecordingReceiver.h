// A receiver that keeps every call it gets, in order, as text: "BeginPoint(P1)", "SetNorth(100.5)",
// "SetProgress(33.333332)". Slots that must never be called are recorded as "UNEXPECTED(n)".
#pragma once

#include "plugin/HostInterfaces.h"

#include <string>
#include <vector>

namespace TestDoubles
{

class CRecordingReceiver final : public IGroundDataReceiver
{
public:
    // The factory is handed out with a reference added for the caller; null hands out none.
    explicit CRecordingReceiver(IUnitConverterFactory* factory = nullptr) : m_factory(factory) {}

    const std::vector<std::string>& Calls() const { return m_calls; }
    // The calls without the per-line bookkeeping (SetCurrentLine, SetProgress).
    std::vector<std::string> Records() const;
    void Clear() { m_calls.clear(); }

    IUnitConverterFactory* GetConverterFactory() override;
    void BeginFile(const wchar_t* path) override;
    void SetCurrentLine(std::int32_t index) override;
    void Reserved3() override { Unexpected(3); }
    void ReportLineError(const wchar_t* message) override;
    void ReportFileError(const wchar_t* message) override;
    void SetProgress(float percent) override;
    void Reserved7() override { Unexpected(7); }
    void BeginPoint(const wchar_t* name) override;
    void SetNorth(double value) override;
    void SetEast(double value) override;
    void SetElevation(double value) override;
    void SetPointClass(std::int32_t pointClass) override;
    void Reserved13() override { Unexpected(13); }
    void Reserved14() override { Unexpected(14); }
    void Reserved15() override { Unexpected(15); }
    void SetCode(const wchar_t* code) override;
    void BeginStation(const wchar_t* name) override;
    void Reserved18() override { Unexpected(18); }
    void Reserved19() override { Unexpected(19); }
    void SetDate(const wchar_t* date) override;
    void SetInstrumentHeight(double value) override;
    void SetVerticalAngleOffset(double radians) override;
    void Reserved23() override { Unexpected(23); }
    void BeginTarget(const wchar_t* name) override;
    void SetPressure(double value) override;
    void SetTemperature(double value) override;
    void Reserved27() override { Unexpected(27); }
    void SetVerticalAngle(double radians) override;
    void SetHorizontalAngle(double radians) override;
    void SetReflectorHeight(double value) override;
    void SetSlopeDistance(double value) override;

private:
    void Text(const char* name, const wchar_t* text);
    void Value(const char* name, double value);
    void Unexpected(int slot);

    IUnitConverterFactory* m_factory;
    std::vector<std::string> m_calls;
};

} // namespace TestDoubles
