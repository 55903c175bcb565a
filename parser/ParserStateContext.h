// What a section state sees of the parse of one file: the host's receiver, the separator and
// terminator, the converters selected by the file's header, and the tables through which one
// section hands data to a later one.
#pragma once

#include "parser/PointTable.h"
#include "parser/ReadObserver.h"
#include "plugin/HostInterfaces.h"
#include "plugin/RefPtr.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <optional>
#include <string>

class IDateConverter;

// Readings of one station from METEO ELEMENTS; a reading that did not convert is absent.
struct MeteoReadings
{
    std::optional<double> Temperature;
    std::optional<double> Pressure;
};

// Keys are compared as exact wide strings in code-unit order.
typedef CPointTable PointTable;                           // point number -> point code
typedef std::map<std::wstring, MeteoReadings> MeteoTable; // station number -> readings
typedef std::map<std::wstring, double> InstrumentTable;   // instrument name -> offset, radians
typedef std::map<std::wstring, double, std::less<>> ConfigTable; // configuration number -> offset

// Converter getters return a new reference (empty when the host gave none); setters add their own
// reference to the new converter before releasing the one they replace.
class IParserStateContext
{
public:
    virtual IGroundDataReceiver* GetReceiver() = 0; // borrowed, no reference added
    virtual void MarkFormatRecognised() = 0;
    virtual void SetSeparator(wchar_t separator) = 0;
    virtual wchar_t GetSeparator() const = 0;
    virtual void SetTerminator(wchar_t terminator) = 0;
    virtual wchar_t GetTerminator() const = 0;
    virtual Plugin::CRefPtr<Plugin::IAngleConverter> GetAngleConverter() const = 0;
    virtual void SetAngleConverter(Plugin::IAngleConverter* converter) = 0;
    virtual Plugin::CRefPtr<ILinearConverter> GetLinearConverter() const = 0;
    virtual void SetLinearConverter(ILinearConverter* converter) = 0;
    virtual Plugin::CRefPtr<ITemperatureConverter> GetTemperatureConverter() const = 0;
    virtual void SetTemperatureConverter(ITemperatureConverter* converter) = 0;
    virtual Plugin::CRefPtr<IPressureConverter> GetPressureConverter() const = 0;
    virtual void SetPressureConverter(IPressureConverter* converter) = 0;
    // The angle and linear converters in force, borrowed (null when the host gave none), for a
    // row's values: only the HEADER's states replace them, never while a row is read, and a
    // reference taken and given back for each row costs two locked instructions.
    virtual Plugin::IAngleConverter* BorrowAngleConverter() const = 0;
    virtual ILinearConverter* BorrowLinearConverter() const = 0;
    virtual boost::shared_ptr<IDateConverter> GetDateConverter() const = 0;
    // The converter reads dates written in this order.
    virtual void SetDateConverter(const boost::shared_ptr<IDateConverter>& converter,
                                  IReadObserver::DateOrder order) = 0;
    virtual PointTable& GetPointTable() = 0;
    virtual MeteoTable& GetMeteoTable() = 0;
    virtual InstrumentTable& GetInstrumentTable() = 0;
    virtual ConfigTable& GetConfigTable() = 0;
    // A setter applies to the record the receiver opened last; until a reader of this file has
    // opened one there is no such record, and a value for it has nowhere to go.
    virtual void NoteRecordOpened() = 0;
    virtual bool IsRecordOpen() const = 0;
    // The trimmed line at hand changes nothing, for the reason kind.
    virtual void NoteIgnoredLine(IReadObserver::IgnoredLine kind, const std::wstring& line) = 0;

protected:
    // Never destroyed through this interface.
    ~IParserStateContext() = default;
};
