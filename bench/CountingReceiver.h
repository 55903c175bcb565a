// A receiver for the benchmarks: it counts records and messages and folds every value into a
// sum, so that the plug-in's work cannot be skipped, and does nothing else.
#pragma once

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <cstdio>

namespace Bench
{

class CCountingReceiver final : public IGroundDataReceiver
{
public:
    // The factory is borrowed; each request for it adds a reference, as a host's does.
    explicit CCountingReceiver(IUnitConverterFactory* factory) : m_factory(factory) {}

    std::uint64_t points = 0;
    std::uint64_t stations = 0;
    std::uint64_t observations = 0;
    std::uint64_t messages = 0;
    double sum = 0.0;

    std::uint64_t Records() const { return points + stations + observations; }
    // The counts as the import programs print them, which scripts check against a job's.
    void PrintCounts() const
    {
        std::printf("points=%llu stations=%llu observations=%llu messages=%llu\n",
                    static_cast<unsigned long long>(points),
                    static_cast<unsigned long long>(stations),
                    static_cast<unsigned long long>(observations),
                    static_cast<unsigned long long>(messages));
    }

    IUnitConverterFactory* GetConverterFactory() override
    {
        if (m_factory)
            m_factory->AddRef();
        return m_factory;
    }
    void BeginFile(const wchar_t*) override {}
    void SetCurrentLine(std::int32_t) override {}
    void Reserved3() override {}
    void ReportLineError(const wchar_t*) override { ++messages; }
    void ReportFileError(const wchar_t*) override { ++messages; }
    void SetProgress(float) override {}
    void Reserved7() override {}
    void BeginPoint(const wchar_t* name) override { Begin(points, name); }
    void SetNorth(double value) override { sum += value; }
    void SetEast(double value) override { sum += value; }
    void SetElevation(double value) override { sum += value; }
    void SetPointClass(std::int32_t value) override { sum += value; }
    void Reserved13() override {}
    void Reserved14() override {}
    void Reserved15() override {}
    void SetCode(const wchar_t* code) override { sum += code[0]; }
    void BeginStation(const wchar_t* name) override { Begin(stations, name); }
    void Reserved18() override {}
    void Reserved19() override {}
    void SetDate(const wchar_t* date) override { sum += date[0]; }
    void SetInstrumentHeight(double value) override { sum += value; }
    void SetVerticalAngleOffset(double value) override { sum += value; }
    void Reserved23() override {}
    void BeginTarget(const wchar_t* name) override { Begin(observations, name); }
    void SetPressure(double value) override { sum += value; }
    void SetTemperature(double value) override { sum += value; }
    void Reserved27() override {}
    void SetVerticalAngle(double value) override { sum += value; }
    void SetHorizontalAngle(double value) override { sum += value; }
    void SetReflectorHeight(double value) override { sum += value; }
    void SetSlopeDistance(double value) override { sum += value; }

private:
    void Begin(std::uint64_t& count, const wchar_t* name)
    {
        ++count;
        sum += name[0];
    }

    IUnitConverterFactory* m_factory;
};

} // namespace Bench
