// A parser context for the lexer alone: only the separator and terminator matter to it.
#pragma once

#include "parser/ParserStateContext.h"

namespace TestDoubles
{

class CLexerContext final : public IParserStateContext
{
public:
    CLexerContext(wchar_t separator = L',', wchar_t terminator = L';')
        : m_separator(separator), m_terminator(terminator)
    {
    }

    IGroundDataReceiver* GetReceiver() override { return nullptr; }
    void MarkFormatRecognised() override {}
    void SetSeparator(wchar_t separator) override { m_separator = separator; }
    wchar_t GetSeparator() const override { return m_separator; }
    void SetTerminator(wchar_t terminator) override { m_terminator = terminator; }
    wchar_t GetTerminator() const override { return m_terminator; }
    Plugin::CRefPtr<Plugin::IAngleConverter> GetAngleConverter() const override { return {}; }
    void SetAngleConverter(Plugin::IAngleConverter*) override {}
    Plugin::CRefPtr<ILinearConverter> GetLinearConverter() const override { return {}; }
    void SetLinearConverter(ILinearConverter*) override {}
    Plugin::IAngleConverter* BorrowAngleConverter() const override { return nullptr; }
    ILinearConverter* BorrowLinearConverter() const override { return nullptr; }
    Plugin::CRefPtr<ITemperatureConverter> GetTemperatureConverter() const override { return {}; }
    void SetTemperatureConverter(ITemperatureConverter*) override {}
    Plugin::CRefPtr<IPressureConverter> GetPressureConverter() const override { return {}; }
    void SetPressureConverter(IPressureConverter*) override {}
    boost::shared_ptr<IDateConverter> GetDateConverter() const override { return {}; }
    void SetDateConverter(const boost::shared_ptr<IDateConverter>&,
                          IReadObserver::DateOrder) override
    {
    }
    PointTable& GetPointTable() override { return m_points; }
    MeteoTable& GetMeteoTable() override { return m_meteo; }
    InstrumentTable& GetInstrumentTable() override { return m_instruments; }
    ConfigTable& GetConfigTable() override { return m_configs; }
    void NoteRecordOpened() override {}
    bool IsRecordOpen() const override { return false; }
    void NoteIgnoredLine(IReadObserver::IgnoredLine, const std::wstring&) override {}

private:
    wchar_t m_separator;
    wchar_t m_terminator;
    PointTable m_points;
    MeteoTable m_meteo;
    InstrumentTable m_instruments;
    ConfigTable m_configs;
};

} // namespace TestDoubles
