// The parse of one file: settings, converters, lookup tables and the stack of open sections.
#pragma once

#include "parser/ParserState.h"
#include "parser/ParserStateContext.h"
#include "parser/ReadObserver.h"

#include <deque>
#include <unordered_set>

class CParser final : public IParserStateContext
{
public:
    // Takes the converter factory from the receiver and selects the defaults: separator ",",
    // terminator ";", grads, metres, degrees Celsius, hectopascals, day-month-year dates. A missing
    // factory or converter leaves that quantity unconverted. The observer, borrowed for the
    // parser's life, may be null.
    explicit CParser(IGroundDataReceiver* receiver, IReadObserver* observer = nullptr);
    ~CParser();

    CParser(const CParser&) = delete;
    CParser& operator=(const CParser&) = delete;

    // One decoded line of the file, in file order. The line is trimmed of blanks and line ends
    // where it is, so that the caller's reused buffer serves every line without a copy; what is
    // left of it afterwards is unspecified.
    // index counts the file's lines from 0, for what the observer is told of this one.
    void ProcessLine(std::wstring& line, std::size_t index);
    // The same for a line of bytes that stand for themselves in the file's encoding when they
    // are ASCII: takes it, and returns true, when the line is a data row that the current state
    // reads as fields and every byte of it is ASCII; such a row is cut without being decoded.
    // Otherwise returns false having done nothing, and the line is for ProcessLine.
    bool ProcessAsciiRow(const char* bytes, std::size_t size, std::size_t index);
    // After the last line: tells the observer the settings in force.
    void FinishFile();
    // True once a known top-level section has been opened.
    bool IsFormatRecognised() const;

    IGroundDataReceiver* GetReceiver() override;
    void MarkFormatRecognised() override;
    void SetSeparator(wchar_t separator) override;
    wchar_t GetSeparator() const override;
    void SetTerminator(wchar_t terminator) override;
    wchar_t GetTerminator() const override;
    Plugin::CRefPtr<Plugin::IAngleConverter> GetAngleConverter() const override;
    void SetAngleConverter(Plugin::IAngleConverter* converter) override;
    Plugin::CRefPtr<ILinearConverter> GetLinearConverter() const override;
    void SetLinearConverter(ILinearConverter* converter) override;
    Plugin::IAngleConverter* BorrowAngleConverter() const override;
    ILinearConverter* BorrowLinearConverter() const override;
    Plugin::CRefPtr<ITemperatureConverter> GetTemperatureConverter() const override;
    void SetTemperatureConverter(ITemperatureConverter* converter) override;
    Plugin::CRefPtr<IPressureConverter> GetPressureConverter() const override;
    void SetPressureConverter(IPressureConverter* converter) override;
    boost::shared_ptr<IDateConverter> GetDateConverter() const override;
    void SetDateConverter(const boost::shared_ptr<IDateConverter>& converter,
                          IReadObserver::DateOrder order) override;
    PointTable& GetPointTable() override;
    MeteoTable& GetMeteoTable() override;
    InstrumentTable& GetInstrumentTable() override;
    ConfigTable& GetConfigTable() override;
    void NoteRecordOpened() override;
    bool IsRecordOpen() const override;
    void NoteIgnoredLine(IReadObserver::IgnoredLine kind, const std::wstring& line) override;

    // Depth of the section stack, the initial state included.
    std::size_t StateDepth() const { return m_stateStack.size(); }

private:
    // Offers the trimmed line to the current state: as a head, as its END line, as content.
    void Dispatch(const std::wstring& trimmed);
    // Tells the observer the path of the section just opened, the first time it is opened.
    // Runs report, which tells the observer something, when there is an observer.
    template <class F> void Tell(F&& report) noexcept;
    void NoteSectionOpened();
    // Looks up the state on top of the stack once, and the list it cuts rows into, rather than
    // once a row.
    void NoteTopChanged();

    // Members are destroyed in reverse order: tables, date converter, the four converters, and
    // the section stack last.
    IGroundDataReceiver* m_receiver;
    IReadObserver* m_observer;
    std::deque<ParserStatePtr> m_stateStack;
    IParserState* m_top = nullptr;
    CFieldList* m_topRows = nullptr;
    Plugin::CRefPtr<Plugin::IAngleConverter> m_angleConverter;
    Plugin::CRefPtr<ILinearConverter> m_linearConverter;
    Plugin::CRefPtr<ITemperatureConverter> m_temperatureConverter;
    Plugin::CRefPtr<IPressureConverter> m_pressureConverter;
    boost::shared_ptr<IDateConverter> m_dateConverter;
    wchar_t m_separator = L',';
    wchar_t m_terminator = L';';
    PointTable m_pointTable;
    MeteoTable m_meteoTable;
    InstrumentTable m_instrumentTable;
    ConfigTable m_configTable;
    bool m_recognised = false;
    bool m_recordOpen = false;
    std::size_t m_lineIndex = 0;
    IReadObserver::DateOrder m_dateOrder = IReadObserver::DateOrder::DayMonthYear;
    // The section paths told to the observer; kept only when there is one.
    std::unordered_set<std::wstring> m_openedPaths;
};
