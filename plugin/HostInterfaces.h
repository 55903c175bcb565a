// The binary contract between the plug-in and its host. The host calls every object here by vtable
// slot position and the plug-in calls the host's objects the same way, so nothing in this file
// may be moved, retyped or given a body. Slots are numbered from 0 in the comments; a slot that is
// never called still stands in its place. Strings passed as const wchar_t* are zero-terminated and
// valid for the call only.
#pragma once

#include "plugin/PluginConfig.h"

#include <cstdint>

class IImportFileList;
class IGroundDataReceiver;

namespace Plugin
{

// Reference counting shared by the plug-in object and every converter. A new object starts with
// the count the creator documents; Release destroys the object when the count reaches zero.
class IRefCounted
{
public:
    virtual void AddRef() = 0;   // 0
    virtual bool Release() = 0;  // 1: true exactly when this call destroyed the object

protected:
    ~IRefCounted() = default;
};

class IPlugin : public IRefCounted
{
public:
    // 2: numbers 0..2 add a reference and return the object itself; anything else returns null
    // and adds nothing.
    virtual void* QueryInterface(std::int32_t interfaceNumber) = 0;
    virtual BSTR GetName() = 0;            // 3: new BSTR, freed by the caller
    virtual PLUGIN_GETID_SIGNATURE = 0;    // 4: the plug-in's GUID
    virtual std::int32_t GetKind() = 0;    // 5
    virtual void Reserved1() = 0;          // 6: position only, does nothing
    virtual void Reserved2() = 0;          // 7: position only, does nothing
    virtual std::int32_t Reserved3() = 0;  // 8: position only, returns 0

protected:
    ~IPlugin() = default;
};

class IFileImportPlugin : public IPlugin
{
public:
    virtual BSTR GetFileMask() = 0;    // 9: new BSTR, freed by the caller
    virtual BSTR GetFormatName() = 0;  // 10: new BSTR, freed by the caller

protected:
    ~IFileImportPlugin() = default;
};

class IGroundBasedMIP : public IFileImportPlugin
{
public:
    // 11: imports every file of the list into the receiver. Both objects are borrowed for the
    // call and never counted; nothing thrown inside leaves this call.
    virtual void Import(IImportFileList* files, IGroundDataReceiver* receiver) = 0;

protected:
    ~IGroundBasedMIP() = default;
};

// Host converters: Convert reads a zero-terminated text and writes *value; false means the text
// was not read and *value must not be used. Converters never throw.
class IAngleConverter : public IRefCounted
{
public:
    virtual bool Convert(const wchar_t* text, double* value) = 0;  // 2: radians

protected:
    ~IAngleConverter() = default;
};

} // namespace Plugin

class ILinearConverter : public Plugin::IRefCounted
{
public:
    virtual bool Convert(const wchar_t* text, double* value) = 0;  // 2

protected:
    ~ILinearConverter() = default;
};

class ITemperatureConverter : public Plugin::IRefCounted
{
public:
    virtual bool Convert(const wchar_t* text, double* value) = 0;  // 2

protected:
    ~ITemperatureConverter() = default;
};

class IPressureConverter : public Plugin::IRefCounted
{
public:
    virtual bool Convert(const wchar_t* text, double* value) = 0;  // 2

protected:
    ~IPressureConverter() = default;
};

// Makes converters by unit code. Each result is a new reference owned by the caller, or null when
// the host has no converter for that code.
class IUnitConverterFactory : public Plugin::IRefCounted
{
public:
    virtual Plugin::IAngleConverter* CreateAngleConverter(std::int32_t unitCode) = 0;      // 2
    virtual ILinearConverter* CreateLinearConverter(std::int32_t unitCode) = 0;            // 3
    virtual IPressureConverter* CreatePressureConverter(std::int32_t unitCode) = 0;        // 4
    virtual ITemperatureConverter* CreateTemperatureConverter(std::int32_t unitCode) = 0;  // 5

protected:
    ~IUnitConverterFactory() = default;
};

// The host's list of paths to import, walked with Reset, IsValid, GetPath, MoveNext. Borrowed for
// the import; the path is valid until the next call on the list and may be null.
class IImportFileList
{
public:
    virtual bool IsValid() = 0;                // 0
    virtual void MoveNext() = 0;               // 1
    virtual const wchar_t* GetPath() = 0;      // 2
    virtual void Reset() = 0;                  // 3

protected:
    ~IImportFileList() = default;
};

// Receives the records of an import in builder style: BeginPoint, BeginStation and BeginTarget open
// a record and the setters that follow apply to the record opened last. Borrowed for the import.
class IGroundDataReceiver
{
public:
    // 0: a factory holding one reference for the caller, who releases it; may be null.
    virtual IUnitConverterFactory* GetConverterFactory() = 0;
    virtual void BeginFile(const wchar_t* path) = 0;           // 1
    virtual void SetCurrentLine(std::int32_t index) = 0;       // 2: from 0; -1 before a file message
    virtual void Reserved3() = 0;                              // 3: position only, never called
    virtual void ReportLineError(const wchar_t* message) = 0;  // 4: for the current line
    virtual void ReportFileError(const wchar_t* message) = 0;  // 5: for the whole file
    virtual void SetProgress(float percent) = 0;               // 6
    virtual void Reserved7() = 0;                              // 7: position only, never called
    virtual void BeginPoint(const wchar_t* name) = 0;          // 8
    virtual void SetNorth(double value) = 0;                   // 9
    virtual void SetEast(double value) = 0;                    // 10
    virtual void SetElevation(double value) = 0;               // 11
    virtual void SetPointClass(std::int32_t pointClass) = 0;   // 12
    virtual void Reserved13() = 0;                             // 13: position only, never called
    virtual void Reserved14() = 0;                             // 14: position only, never called
    virtual void Reserved15() = 0;                             // 15: position only, never called
    virtual void SetCode(const wchar_t* code) = 0;             // 16
    virtual void BeginStation(const wchar_t* name) = 0;        // 17
    virtual void Reserved18() = 0;                             // 18: position only, never called
    virtual void Reserved19() = 0;                             // 19: position only, never called
    virtual void SetDate(const wchar_t* date) = 0;             // 20: year, month, day run together
    virtual void SetInstrumentHeight(double value) = 0;        // 21
    virtual void SetVerticalAngleOffset(double radians) = 0;   // 22
    virtual void Reserved23() = 0;                             // 23: position only, never called
    virtual void BeginTarget(const wchar_t* name) = 0;         // 24
    virtual void SetPressure(double value) = 0;                // 25
    virtual void SetTemperature(double value) = 0;             // 26
    virtual void Reserved27() = 0;                             // 27: position only, never called
    virtual void SetVerticalAngle(double radians) = 0;         // 28
    virtual void SetHorizontalAngle(double radians) = 0;       // 29
    virtual void SetReflectorHeight(double value) = 0;         // 30
    virtual void SetSlopeDistance(double value) = 0;           // 31

protected:
    ~IGroundDataReceiver() = default;
};

// The library's only export. Returns a new plug-in object holding one reference for the caller,
// or null when it cannot be made. Never throws.
typedef Plugin::IGroundBasedMIP* (*CreatePluginFunction)();
