/* The plug-in's binary interface as a host written in C sees it. Every object is a pointer to its
   slot table; every slot takes the object as its first argument. Slots are listed in call order,
   inherited ones first, each with its number. */
#ifndef ORVA_ABI_H
#define ORVA_ABI_H

#include <stdbool.h>
#include <stdint.h>
#include <wchar.h>

typedef struct OrvaGuid
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} OrvaGuid;

/* Preceded by a 32-bit byte count; freed by the host (SysFreeString, or free of the count). */
typedef wchar_t* OrvaBstr;

typedef struct OrvaPlugin OrvaPlugin;
typedef struct OrvaFileList OrvaFileList;
typedef struct OrvaReceiver OrvaReceiver;
typedef struct OrvaFactory OrvaFactory;
typedef struct OrvaConverter OrvaConverter;

typedef struct OrvaPluginSlots
{
    void (*AddRef)(OrvaPlugin* self);                                              /* 0 */
    bool (*Release)(OrvaPlugin* self);                                             /* 1 */
    void* (*QueryInterface)(OrvaPlugin* self, int32_t interfaceNumber);            /* 2 */
    OrvaBstr (*GetName)(OrvaPlugin* self);                                         /* 3 */
    OrvaGuid* (*GetId)(OrvaPlugin* self, OrvaGuid* result);                        /* 4 */
    int32_t (*GetKind)(OrvaPlugin* self);                                          /* 5 */
    void (*Reserved1)(OrvaPlugin* self);                                           /* 6 */
    void (*Reserved2)(OrvaPlugin* self);                                           /* 7 */
    int32_t (*Reserved3)(OrvaPlugin* self);                                        /* 8 */
    OrvaBstr (*GetFileMask)(OrvaPlugin* self);                                     /* 9 */
    OrvaBstr (*GetFormatName)(OrvaPlugin* self);                                   /* 10 */
    void (*Import)(OrvaPlugin* self, OrvaFileList* files, OrvaReceiver* receiver); /* 11 */
    void* (*Destroy)(OrvaPlugin* self, unsigned int flags);                        /* 12 */
} OrvaPluginSlots;

struct OrvaPlugin
{
    const OrvaPluginSlots* slots;
};

typedef struct OrvaFileListSlots
{
    bool (*IsValid)(OrvaFileList* self);           /* 0 */
    void (*MoveNext)(OrvaFileList* self);          /* 1 */
    const wchar_t* (*GetPath)(OrvaFileList* self); /* 2 */
    void (*Reset)(OrvaFileList* self);             /* 3 */
} OrvaFileListSlots;

struct OrvaFileList
{
    const OrvaFileListSlots* slots;
};

typedef struct OrvaConverterSlots
{
    void (*AddRef)(OrvaConverter* self);                                      /* 0 */
    bool (*Release)(OrvaConverter* self);                                     /* 1 */
    bool (*Convert)(OrvaConverter* self, const wchar_t* text, double* value); /* 2 */
} OrvaConverterSlots;

struct OrvaConverter
{
    const OrvaConverterSlots* slots;
};

typedef struct OrvaFactorySlots
{
    void (*AddRef)(OrvaFactory* self);                                                 /* 0 */
    bool (*Release)(OrvaFactory* self);                                                /* 1 */
    OrvaConverter* (*CreateAngleConverter)(OrvaFactory* self, int32_t unitCode);       /* 2 */
    OrvaConverter* (*CreateLinearConverter)(OrvaFactory* self, int32_t unitCode);      /* 3 */
    OrvaConverter* (*CreatePressureConverter)(OrvaFactory* self, int32_t unitCode);    /* 4 */
    OrvaConverter* (*CreateTemperatureConverter)(OrvaFactory* self, int32_t unitCode); /* 5 */
} OrvaFactorySlots;

struct OrvaFactory
{
    const OrvaFactorySlots* slots;
};

typedef struct OrvaReceiverSlots
{
    OrvaFactory* (*GetConverterFactory)(OrvaReceiver* self);            /* 0 */
    void (*BeginFile)(OrvaReceiver* self, const wchar_t* path);         /* 1 */
    void (*SetCurrentLine)(OrvaReceiver* self, int32_t index);          /* 2 */
    void (*Reserved3)(OrvaReceiver* self);                              /* 3 */
    void (*ReportLineError)(OrvaReceiver* self, const wchar_t* text);   /* 4 */
    void (*ReportFileError)(OrvaReceiver* self, const wchar_t* text);   /* 5 */
    void (*SetProgress)(OrvaReceiver* self, float percent);             /* 6 */
    void (*Reserved7)(OrvaReceiver* self);                              /* 7 */
    void (*BeginPoint)(OrvaReceiver* self, const wchar_t* name);        /* 8 */
    void (*SetNorth)(OrvaReceiver* self, double value);                 /* 9 */
    void (*SetEast)(OrvaReceiver* self, double value);                  /* 10 */
    void (*SetElevation)(OrvaReceiver* self, double value);             /* 11 */
    void (*SetPointClass)(OrvaReceiver* self, int32_t pointClass);      /* 12 */
    void (*Reserved13)(OrvaReceiver* self);                             /* 13 */
    void (*Reserved14)(OrvaReceiver* self);                             /* 14 */
    void (*Reserved15)(OrvaReceiver* self);                             /* 15 */
    void (*SetCode)(OrvaReceiver* self, const wchar_t* code);           /* 16 */
    void (*BeginStation)(OrvaReceiver* self, const wchar_t* name);      /* 17 */
    void (*Reserved18)(OrvaReceiver* self);                             /* 18 */
    void (*Reserved19)(OrvaReceiver* self);                             /* 19 */
    void (*SetDate)(OrvaReceiver* self, const wchar_t* date);           /* 20 */
    void (*SetInstrumentHeight)(OrvaReceiver* self, double value);      /* 21 */
    void (*SetVerticalAngleOffset)(OrvaReceiver* self, double radians); /* 22 */
    void (*Reserved23)(OrvaReceiver* self);                             /* 23 */
    void (*BeginTarget)(OrvaReceiver* self, const wchar_t* name);       /* 24 */
    void (*SetPressure)(OrvaReceiver* self, double value);              /* 25 */
    void (*SetTemperature)(OrvaReceiver* self, double value);           /* 26 */
    void (*Reserved27)(OrvaReceiver* self);                             /* 27 */
    void (*SetVerticalAngle)(OrvaReceiver* self, double radians);       /* 28 */
    void (*SetHorizontalAngle)(OrvaReceiver* self, double radians);     /* 29 */
    void (*SetReflectorHeight)(OrvaReceiver* self, double value);       /* 30 */
    void (*SetSlopeDistance)(OrvaReceiver* self, double value);         /* 31 */
} OrvaReceiverSlots;

struct OrvaReceiver
{
    const OrvaReceiverSlots* slots;
};

/* The library's exports. */
typedef OrvaPlugin* (*OrvaCreatePluginFunction)(void);
typedef bool (*OrvaSetThreadCodePageFunction)(unsigned int codePage);

#endif
