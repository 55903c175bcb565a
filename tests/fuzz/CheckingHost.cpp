#include "tests/fuzz/CheckingHost.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <dirent.h>

namespace Checking
{

void Breach(const char* rule)
{
    std::fprintf(stderr, "contract breach: %s\n", rule);
    std::fflush(stderr);
    std::abort();
}

std::size_t CheckedLength(const wchar_t* text, const char* what)
{
    if (!text)
        Breach(what);
    return std::wcslen(text);
}

void CCount::Add()
{
    CheckAlive("AddRef after the last Release");
    ++m_count;
}

bool CCount::Drop()
{
    CheckAlive("Release below zero");
    if (--m_count > 0)
        return false;
    m_released = true;
    return true;
}

void CCount::CheckAlive(const char* what) const
{
    if (m_released || m_count <= 0)
        Breach(what);
}

CHostShape CHostShape::FromSelector(std::uint8_t selector)
{
    struct Missing
    {
        Quantity quantity;
        std::int32_t code;
    };
    // Every code the plug-in may ask for, so that each can be the one the host lacks.
    static const Missing kMissing[] = {
        {Quantity::Angle, 0},    {Quantity::Angle, 1},       {Quantity::Angle, 3},
        {Quantity::Angle, 4},    {Quantity::Linear, 0},      {Quantity::Linear, 1},
        {Quantity::Linear, 2},   {Quantity::Temperature, 0}, {Quantity::Temperature, 1},
        {Quantity::Pressure, 0}, {Quantity::Pressure, 1},    {Quantity::Pressure, 2},
    };
    const unsigned choice = selector & 0x0Fu;
    CHostShape shape;
    if (choice < sizeof kMissing / sizeof kMissing[0])
    {
        shape.MissingQuantity = kMissing[choice].quantity;
        shape.MissingCode = kMissing[choice].code;
    }
    else if (choice == 12)
        shape.NoFactory = true;
    return shape;
}

namespace
{

bool IsKnownCode(CHostShape::Quantity quantity, std::int32_t code)
{
    switch (quantity)
    {
    case CHostShape::Quantity::Angle:
        return code == 0 || code == 1 || code == 3 || code == 4;
    case CHostShape::Quantity::Linear:
    case CHostShape::Quantity::Pressure:
        return code >= 0 && code <= 2;
    case CHostShape::Quantity::Temperature:
        return code == 0 || code == 1;
    case CHostShape::Quantity::None:
        break;
    }
    return false;
}

// Reads a plain decimal number, or for dotted degrees-minutes-seconds the same digits with the
// points after the first dropped: enough to give the plug-in both answers, never a real unit.
bool ReadNumber(const wchar_t* text, bool dotted, double* value)
{
    if (!value)
        Breach("Convert given a null result");
    std::wstring digits(text, CheckedLength(text, "Convert given a null text"));
    if (dotted)
    {
        const std::size_t point = digits.find(L'.');
        if (point != std::wstring::npos)
            for (std::size_t i = digits.size(); i-- > point + 1;)
                if (digits[i] == L'.')
                    digits.erase(i, 1);
    }
    if (digits.empty())
        return false;
    wchar_t* end = nullptr;
    const double read = std::wcstod(digits.c_str(), &end);
    if (end != digits.c_str() + digits.size() || !std::isfinite(read))
        return false;
    *value = read;
    return true;
}

template <class TInterface> class CConverter final : public TInterface
{
public:
    explicit CConverter(bool dotted) : m_dotted(dotted) {}

    void AddRef() override { m_count.Add(); }
    bool Release() override { return m_count.Drop(); }
    bool Convert(const wchar_t* text, double* value) override
    {
        m_count.CheckAlive("Convert on a released converter");
        return ReadNumber(text, m_dotted, value);
    }

    const CCount& Count() const { return m_count; }

private:
    CCount m_count;
    bool m_dotted;
};

} // namespace

// Makes converters and keeps every one it made, released or not, until the receiver goes.
class CConverterFactory final : public IUnitConverterFactory
{
public:
    explicit CConverterFactory(const CHostShape& shape) : m_shape(shape) {}
    ~CConverterFactory()
    {
        for (auto* converter : m_angles)
            delete converter;
        for (auto* converter : m_linears)
            delete converter;
        for (auto* converter : m_pressures)
            delete converter;
        for (auto* converter : m_temperatures)
            delete converter;
    }

    void AddRef() override { m_count.Add(); }
    bool Release() override { return m_count.Drop(); }

    Plugin::IAngleConverter* CreateAngleConverter(std::int32_t unitCode) override
    {
        return Make(m_angles, CHostShape::Quantity::Angle, unitCode);
    }
    ILinearConverter* CreateLinearConverter(std::int32_t unitCode) override
    {
        return Make(m_linears, CHostShape::Quantity::Linear, unitCode);
    }
    IPressureConverter* CreatePressureConverter(std::int32_t unitCode) override
    {
        return Make(m_pressures, CHostShape::Quantity::Pressure, unitCode);
    }
    ITemperatureConverter* CreateTemperatureConverter(std::int32_t unitCode) override
    {
        return Make(m_temperatures, CHostShape::Quantity::Temperature, unitCode);
    }

    void CheckAllReleased() const
    {
        if (m_count.Value() != 0)
            Breach("the converter factory's reference was not released");
        CheckReleased(m_angles);
        CheckReleased(m_linears);
        CheckReleased(m_pressures);
        CheckReleased(m_temperatures);
    }

private:
    template <class TInterface>
    static void CheckReleased(const std::vector<CConverter<TInterface>*>& converters)
    {
        for (const auto* converter : converters)
            if (converter->Count().Value() != 0)
                Breach("a converter reference was leaked");
    }

    template <class TInterface>
    TInterface* Make(std::vector<CConverter<TInterface>*>& made, CHostShape::Quantity quantity,
                     std::int32_t code)
    {
        m_count.CheckAlive("a converter asked of a released factory");
        if (!IsKnownCode(quantity, code))
            Breach("a converter asked for an unknown unit code");
        if (quantity == m_shape.MissingQuantity && code == m_shape.MissingCode)
            return nullptr;
        const bool dotted = quantity == CHostShape::Quantity::Angle && code == 1;
        made.push_back(new CConverter<TInterface>(dotted));
        return made.back();
    }

    CHostShape m_shape;
    CCount m_count;
    std::vector<CConverter<Plugin::IAngleConverter>*> m_angles;
    std::vector<CConverter<ILinearConverter>*> m_linears;
    std::vector<CConverter<IPressureConverter>*> m_pressures;
    std::vector<CConverter<ITemperatureConverter>*> m_temperatures;
};

namespace
{

// The module's message table, widened from its UTF-8 source.
std::wstring Widen(const char* utf8)
{
    std::wstring text;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p)
    {
        std::uint32_t c = *p++;
        int follow = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= follow == 3 ? 0x07 : follow == 2 ? 0x0F : follow == 1 ? 0x1F : 0x7F;
        while (follow-- > 0 && *p)
            c = (c << 6) | (*p++ & 0x3F);
        text += static_cast<wchar_t>(c);
    }
    return text;
}

const std::vector<std::wstring>& MessageTexts()
{
    static const std::vector<std::wstring> texts = {
#define ORVA_MESSAGE(id, text) Widen(text),
#include "resources/Messages.inc"
#undef ORVA_MESSAGE
    };
    return texts;
}

} // namespace

CReceiver::CReceiver(const CHostShape& shape) : m_shape(shape) {}

CReceiver::~CReceiver() = default;

void CReceiver::CheckAllReleased() const
{
    for (const auto& factory : m_factories)
        factory->CheckAllReleased();
}

IUnitConverterFactory* CReceiver::GetConverterFactory()
{
    InFile("GetConverterFactory before BeginFile");
    if (m_shape.NoFactory)
        return nullptr;
    m_factories.push_back(std::make_unique<CConverterFactory>(m_shape));
    return m_factories.back().get();
}

void CReceiver::BeginFile(const wchar_t* path)
{
    CheckedLength(path, "BeginFile given a null path");
    m_inFile = true;
    m_recordOpen = false;
    m_fileMessageSent = false;
    m_lastLine = -1;
    m_lineClosed = false;
    ++m_files;
}

void CReceiver::SetCurrentLine(std::int32_t index)
{
    InFile("SetCurrentLine before BeginFile");
    if (m_lineClosed)
        Breach("SetCurrentLine after the line -1");
    if (index == -1)
        m_lineClosed = true;
    else if (index != m_lastLine + 1)
        Breach("SetCurrentLine out of order");
    else
        m_lastLine = index;
    Note("line", index);
}

void CReceiver::ReportLineError(const wchar_t* message)
{
    InFile("ReportLineError before BeginFile");
    if (m_lastLine < 0 || m_lineClosed)
        Breach("ReportLineError with no line announced");
    CheckMessage(message);
    Note("line error", 0.0, message);
}

void CReceiver::ReportFileError(const wchar_t* message)
{
    InFile("ReportFileError before BeginFile");
    if (m_fileMessageSent)
        Breach("a second file message for one file");
    m_fileMessageSent = true;
    CheckMessage(message);
    Note("file error", 0.0, message);
}

void CReceiver::SetProgress(float percent)
{
    InFile("SetProgress before BeginFile");
    if (!(percent >= 0.0f && percent <= 100.0f))
        Breach("SetProgress outside [0, 100]");
}

void CReceiver::BeginPoint(const wchar_t* name)
{
    BeginRecord(name, "BeginPoint");
}

void CReceiver::SetNorth(double value)
{
    SetValue(value, "SetNorth");
}

void CReceiver::SetEast(double value)
{
    SetValue(value, "SetEast");
}

void CReceiver::SetElevation(double value)
{
    SetValue(value, "SetElevation");
}

void CReceiver::SetPointClass(std::int32_t pointClass)
{
    SetValue(pointClass, "SetPointClass");
}

void CReceiver::SetCode(const wchar_t* code)
{
    SetValue(0.0, "SetCode");
    CheckedLength(code, "SetCode given a null text");
    Note("code", 0.0, code);
}

void CReceiver::BeginStation(const wchar_t* name)
{
    BeginRecord(name, "BeginStation");
}

void CReceiver::SetDate(const wchar_t* date)
{
    SetValue(0.0, "SetDate");
    CheckedLength(date, "SetDate given a null text");
    Note("date", 0.0, date);
}

void CReceiver::SetInstrumentHeight(double value)
{
    SetValue(value, "SetInstrumentHeight");
}

void CReceiver::SetVerticalAngleOffset(double radians)
{
    SetValue(radians, "SetVerticalAngleOffset");
}

void CReceiver::BeginTarget(const wchar_t* name)
{
    BeginRecord(name, "BeginTarget");
}

void CReceiver::SetPressure(double value)
{
    SetValue(value, "SetPressure");
}

void CReceiver::SetTemperature(double value)
{
    SetValue(value, "SetTemperature");
}

void CReceiver::SetVerticalAngle(double radians)
{
    SetValue(radians, "SetVerticalAngle");
}

void CReceiver::SetHorizontalAngle(double radians)
{
    SetValue(radians, "SetHorizontalAngle");
}

void CReceiver::SetReflectorHeight(double value)
{
    SetValue(value, "SetReflectorHeight");
}

void CReceiver::SetSlopeDistance(double value)
{
    SetValue(value, "SetSlopeDistance");
}

void CReceiver::Reserved3()
{
    Breach("receiver slot 3 called");
}

void CReceiver::Reserved7()
{
    Breach("receiver slot 7 called");
}

void CReceiver::Reserved13()
{
    Breach("receiver slot 13 called");
}

void CReceiver::Reserved14()
{
    Breach("receiver slot 14 called");
}

void CReceiver::Reserved15()
{
    Breach("receiver slot 15 called");
}

void CReceiver::Reserved18()
{
    Breach("receiver slot 18 called");
}

void CReceiver::Reserved19()
{
    Breach("receiver slot 19 called");
}

void CReceiver::Reserved23()
{
    Breach("receiver slot 23 called");
}

void CReceiver::Reserved27()
{
    Breach("receiver slot 27 called");
}

void CReceiver::InFile(const char* what) const
{
    if (!m_inFile)
        Breach(what);
}

void CReceiver::BeginRecord(const wchar_t* name, const char* what)
{
    InFile(what);
    if (m_lastLine < 0 || m_lineClosed)
        Breach("a record opened outside a line");
    CheckedLength(name, what);
    m_recordOpen = true;
    Note(what, 0.0, name);
}

void CReceiver::SetValue(double value, const char* what)
{
    InFile(what);
    if (!m_recordOpen)
        Breach(what);
    // The host's converters give only finite numbers; anything else was made up on the way.
    if (!std::isfinite(value))
        Breach("a setter given a value that is not finite");
    Note(what, value);
}

void CReceiver::Note(const char* what, double value, const wchar_t* text)
{
    m_transcript += what;
    m_transcript.append(reinterpret_cast<const char*>(&value), sizeof value);
    if (text)
        m_transcript.append(reinterpret_cast<const char*>(text),
                            std::char_traits<wchar_t>::length(text) * sizeof(wchar_t));
    m_transcript += '\n';
}

void CReceiver::CheckMessage(const wchar_t* message) const
{
    const std::size_t length = CheckedLength(message, "a message given as null");
    for (const std::wstring& text : MessageTexts())
        if (text.size() == length && text == message)
            return;
    Breach("a message text that is not in the module's table");
}

bool CFileList::IsValid()
{
    if (!m_reset)
        Breach("the file list walked without Reset");
    m_validAsked = true;
    return m_cursor == 0;
}

void CFileList::MoveNext()
{
    if (!m_validAsked || m_cursor != 0)
        Breach("MoveNext past the end of the file list");
    m_validAsked = false;
    ++m_cursor;
}

const wchar_t* CFileList::GetPath()
{
    if (!m_validAsked || m_cursor != 0)
        Breach("GetPath without a valid entry");
    return m_path.c_str();
}

void CFileList::Reset()
{
    m_reset = true;
    m_validAsked = false;
    m_cursor = 0;
}

std::size_t OpenDescriptors()
{
    std::size_t count = 0;
    if (DIR* directory = ::opendir("/proc/self/fd"))
    {
        while (::readdir(directory))
            ++count;
        ::closedir(directory);
    }
    return count;
}

} // namespace Checking
