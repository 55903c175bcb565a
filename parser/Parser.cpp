#include "parser/Parser.h"

#include "convert/DateConverter.h"
#include "parser/Lexer.h"
#include "parser/State/Initial.h"
#include "platform/AsciiText.h"

#include <boost/make_shared.hpp>

#include <cstdint>

namespace
{

// The factory is the host's and may be missing; so may any converter it is asked for.
template <class T, class Make>
Plugin::CRefPtr<T> AdoptFrom(IUnitConverterFactory* factory, Make make)
{
    return Plugin::CRefPtr<T>::Adopt(factory ? make(factory) : nullptr);
}

// Adds the holder's reference to the new converter before the old one goes, so setting the
// converter already held keeps it alive.
template <class T> void Replace(Plugin::CRefPtr<T>& held, T* converter)
{
    held = Plugin::CRefPtr<T>::Share(converter);
}

// What a line is trimmed of: blanks and line ends. Tested by hand, as the library's search for
// a set of characters looks each character up in the set with a call; none is above a space,
// which turns away the printable character that nearly every line begins and ends with.
bool IsTrimmed(wchar_t c)
{
    return static_cast<std::uint32_t>(c) <= L' ' &&
           (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n');
}

// The first and last characters that stay, or npos for a line of nothing else.
std::size_t FirstKept(const std::wstring& line)
{
    for (std::size_t i = 0; i < line.size(); ++i)
        if (!IsTrimmed(line[i]))
            return i;
    return std::wstring::npos;
}

std::size_t LastKept(const std::wstring& line)
{
    for (std::size_t i = line.size(); i > 0; --i)
        if (!IsTrimmed(line[i - 1]))
            return i - 1;
    return std::wstring::npos;
}

} // namespace

CParser::CParser(IGroundDataReceiver* receiver, IReadObserver* observer)
    : m_receiver(receiver), m_observer(observer)
{
    Plugin::CRefPtr<IUnitConverterFactory> factory = Plugin::CRefPtr<IUnitConverterFactory>::Adopt(
        m_receiver ? m_receiver->GetConverterFactory() : nullptr);
    m_angleConverter = AdoptFrom<Plugin::IAngleConverter>(
        factory.Get(), [](IUnitConverterFactory* f) { return f->CreateAngleConverter(4); });
    m_linearConverter = AdoptFrom<ILinearConverter>(factory.Get(), [](IUnitConverterFactory* f)
                                                    { return f->CreateLinearConverter(0); });
    m_temperatureConverter = AdoptFrom<ITemperatureConverter>(
        factory.Get(), [](IUnitConverterFactory* f) { return f->CreateTemperatureConverter(0); });
    m_pressureConverter = AdoptFrom<IPressureConverter>(factory.Get(), [](IUnitConverterFactory* f)
                                                        { return f->CreatePressureConverter(1); });
    m_dateConverter = boost::make_shared<CDateDMYConverter>();

    ParserStatePtr initial = boost::make_shared<State::CInitial>();
    initial->SetContext(this);
    m_stateStack.push_back(initial);
    NoteTopChanged();
}

CParser::~CParser() = default;

void CParser::ProcessLine(std::wstring& line, std::size_t index)
{
    m_lineIndex = index;
    const std::size_t first = FirstKept(line);
    if (first == std::wstring::npos)
        line.clear();
    else
    {
        const std::size_t last = LastKept(line);
        if (last + 1 != line.size())
            line.resize(last + 1);
        if (first != 0)
            line.erase(0, first);
    }
    Dispatch(line);
}

bool CParser::ProcessAsciiRow(const char* bytes, std::size_t size, std::size_t index)
{
    CFieldList* const fields = m_topRows;
    if (!fields)
        return false;
    const char* first = bytes;
    const char* last = bytes + size;
    while (first != last && IsTrimmed(static_cast<unsigned char>(*first)))
        ++first;
    while (last != first && IsTrimmed(static_cast<unsigned char>(last[-1])))
        --last;
    // A head or an END line begins with a keyword, and so with a capital letter: a line that
    // does not is a row of the state that reads rows. A line of blanks goes the usual way.
    if (first == last || (*first >= 'A' && *first <= 'Z'))
        return false;
    if (!Platform::IsAscii(first, static_cast<std::size_t>(last - first)))
        return false;
    m_lineIndex = index;
    SplitAsciiRow(*this, first, last, *fields);
    m_top->HandleRow();
    return true;
}

void CParser::NoteTopChanged()
{
    m_top = m_stateStack.back().get();
    m_topRows = m_top->RowFields();
}

void CParser::Dispatch(const std::wstring& trimmed)
{
    // Borrowed, not shared: the state is popped only once it has had the line, and nothing it is
    // told can touch the stack.
    IParserState& current = *m_top;
    if (ParserStatePtr opened = current.BeginSection(trimmed))
    {
        opened->SetContext(this);
        m_stateStack.push_back(std::move(opened));
        NoteTopChanged();
        NoteSectionOpened();
        return;
    }
    if (current.IsSectionEnd(trimmed))
    {
        m_stateStack.pop_back();
        NoteTopChanged();
        return;
    }
    current.HandleLine(trimmed);
}

template <class F> void CParser::Tell(F&& report) noexcept
{
    if (!m_observer)
        return;
    // What the observer hears must not change what the receiver gets: a report that fails, even
    // for want of memory, is dropped and the reading goes on as it would without an observer.
    try
    {
        report();
    }
    catch (...)
    {
    }
}

void CParser::NoteSectionOpened()
{
    Tell(
        [this]
        {
            std::wstring path;
            for (std::size_t i = 1; i < m_stateStack.size(); ++i)
            {
                if (i > 1)
                    path += L'/';
                path += m_stateStack[i]->Name();
            }
            if (m_openedPaths.insert(path).second)
                m_observer->SectionOpened(path);
        });
}

void CParser::NoteIgnoredLine(IReadObserver::IgnoredLine kind, const std::wstring& line)
{
    Tell([&] { m_observer->LineIgnored(kind, m_lineIndex, line); });
}

void CParser::FinishFile()
{
    Tell([this] { m_observer->FileEnded(m_separator, m_terminator, m_dateOrder); });
}

bool CParser::IsFormatRecognised() const
{
    return m_recognised;
}

IGroundDataReceiver* CParser::GetReceiver()
{
    return m_receiver;
}

void CParser::MarkFormatRecognised()
{
    m_recognised = true;
}

void CParser::SetSeparator(wchar_t separator)
{
    m_separator = separator;
}

wchar_t CParser::GetSeparator() const
{
    return m_separator;
}

void CParser::SetTerminator(wchar_t terminator)
{
    m_terminator = terminator;
}

wchar_t CParser::GetTerminator() const
{
    return m_terminator;
}

Plugin::CRefPtr<Plugin::IAngleConverter> CParser::GetAngleConverter() const
{
    return m_angleConverter;
}

void CParser::SetAngleConverter(Plugin::IAngleConverter* converter)
{
    Replace(m_angleConverter, converter);
}

Plugin::CRefPtr<ILinearConverter> CParser::GetLinearConverter() const
{
    return m_linearConverter;
}

void CParser::SetLinearConverter(ILinearConverter* converter)
{
    Replace(m_linearConverter, converter);
}

Plugin::IAngleConverter* CParser::BorrowAngleConverter() const
{
    return m_angleConverter.Get();
}

ILinearConverter* CParser::BorrowLinearConverter() const
{
    return m_linearConverter.Get();
}

Plugin::CRefPtr<ITemperatureConverter> CParser::GetTemperatureConverter() const
{
    return m_temperatureConverter;
}

void CParser::SetTemperatureConverter(ITemperatureConverter* converter)
{
    Replace(m_temperatureConverter, converter);
}

Plugin::CRefPtr<IPressureConverter> CParser::GetPressureConverter() const
{
    return m_pressureConverter;
}

void CParser::SetPressureConverter(IPressureConverter* converter)
{
    Replace(m_pressureConverter, converter);
}

boost::shared_ptr<IDateConverter> CParser::GetDateConverter() const
{
    return m_dateConverter;
}

void CParser::SetDateConverter(const boost::shared_ptr<IDateConverter>& converter,
                               IReadObserver::DateOrder order)
{
    m_dateConverter = converter;
    m_dateOrder = order;
}

PointTable& CParser::GetPointTable()
{
    return m_pointTable;
}

MeteoTable& CParser::GetMeteoTable()
{
    return m_meteoTable;
}

InstrumentTable& CParser::GetInstrumentTable()
{
    return m_instrumentTable;
}

ConfigTable& CParser::GetConfigTable()
{
    return m_configTable;
}

void CParser::NoteRecordOpened()
{
    m_recordOpen = true;
}

bool CParser::IsRecordOpen() const
{
    return m_recordOpen;
}
