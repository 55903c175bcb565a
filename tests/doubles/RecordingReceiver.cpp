#include "tests/doubles/RecordingReceiver.h"

#include "tests/doubles/WideText.h"

namespace TestDoubles
{

std::vector<std::string> CRecordingReceiver::Records() const
{
    std::vector<std::string> records;
    for (const std::string& call : m_calls)
        if (call.rfind("SetCurrentLine(", 0) != 0 && call.rfind("SetProgress(", 0) != 0)
            records.push_back(call);
    return records;
}

void CRecordingReceiver::Text(const char* name, const wchar_t* text)
{
    m_calls.push_back(std::string(name) + "(" + Utf8(text) + ")");
}

void CRecordingReceiver::Value(const char* name, double value)
{
    m_calls.push_back(std::string(name) + "(" + Number(value) + ")");
}

void CRecordingReceiver::Unexpected(int slot)
{
    m_calls.push_back("UNEXPECTED(" + std::to_string(slot) + ")");
}

IUnitConverterFactory* CRecordingReceiver::GetConverterFactory()
{
    m_calls.push_back("GetConverterFactory");
    if (m_factory)
        m_factory->AddRef();
    return m_factory;
}

void CRecordingReceiver::BeginFile(const wchar_t* path) { Text("BeginFile", path); }

void CRecordingReceiver::SetCurrentLine(std::int32_t index)
{
    m_calls.push_back("SetCurrentLine(" + std::to_string(index) + ")");
}

void CRecordingReceiver::ReportLineError(const wchar_t* message)
{
    Text("ReportLineError", message);
}

void CRecordingReceiver::ReportFileError(const wchar_t* message)
{
    Text("ReportFileError", message);
}

void CRecordingReceiver::SetProgress(float percent)
{
    m_calls.push_back("SetProgress(" + Number(percent) + ")");
}

void CRecordingReceiver::BeginPoint(const wchar_t* name) { Text("BeginPoint", name); }
void CRecordingReceiver::SetNorth(double value) { Value("SetNorth", value); }
void CRecordingReceiver::SetEast(double value) { Value("SetEast", value); }
void CRecordingReceiver::SetElevation(double value) { Value("SetElevation", value); }

void CRecordingReceiver::SetPointClass(std::int32_t pointClass)
{
    m_calls.push_back("SetPointClass(" + std::to_string(pointClass) + ")");
}

void CRecordingReceiver::SetCode(const wchar_t* code) { Text("SetCode", code); }
void CRecordingReceiver::BeginStation(const wchar_t* name) { Text("BeginStation", name); }
void CRecordingReceiver::SetDate(const wchar_t* date) { Text("SetDate", date); }
void CRecordingReceiver::SetInstrumentHeight(double value) { Value("SetInstrumentHeight", value); }

void CRecordingReceiver::SetVerticalAngleOffset(double radians)
{
    Value("SetVerticalAngleOffset", radians);
}

void CRecordingReceiver::BeginTarget(const wchar_t* name) { Text("BeginTarget", name); }
void CRecordingReceiver::SetPressure(double value) { Value("SetPressure", value); }
void CRecordingReceiver::SetTemperature(double value) { Value("SetTemperature", value); }
void CRecordingReceiver::SetVerticalAngle(double radians) { Value("SetVerticalAngle", radians); }
void CRecordingReceiver::SetHorizontalAngle(double radians) { Value("SetHorizontalAngle", radians); }
void CRecordingReceiver::SetReflectorHeight(double value) { Value("SetReflectorHeight", value); }
void CRecordingReceiver::SetSlopeDistance(double value) { Value("SetSlopeDistance", value); }

} // namespace TestDoubles
