/* An integration host in plain C: loads the plug-in library, checks the plug-in object's identity
   and counting, and runs imports of generated files through a receiver that logs every call.
     orva_chost LIBRARY            runs the checks; exit status 0 when all pass
     orva_chost LIBRARY --import FILE...
                                   imports the files and prints how many calls of each kind came
     orva_chost LIBRARY --records FILE...
                                   imports the files in one call and prints every call of the
                                   receiver and of the converter factory in order, one a line:
                                   the slot's name and its argument (tests/msvchost compares) */
#include "HostPlatform.h"
#include "OrvaAbi.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* ---- results ---------------------------------------------------------------------------- */

static int g_failures;
static int g_checks;

static void Check(bool passed, const char* what, ...)
{
    ++g_checks;
    if (passed)
        return;
    ++g_failures;
    va_list arguments;
    va_start(arguments, what);
    fprintf(stderr, "FAILED: ");
    vfprintf(stderr, what, arguments);
    fputc('\n', stderr);
    va_end(arguments);
}

/* ---- text ------------------------------------------------------------------------------- */

typedef struct Text
{
    char* data;
    size_t size;
    size_t capacity;
} Text;

static void Append(Text* text, const char* bytes, size_t size)
{
    if (text->size + size + 1 > text->capacity)
    {
        size_t capacity = text->capacity ? text->capacity : 256;
        while (capacity < text->size + size + 1)
            capacity *= 2;
        char* grown = realloc(text->data, capacity);
        if (!grown)
        {
            fputs("out of memory\n", stderr);
            exit(2);
        }
        text->data = grown;
        text->capacity = capacity;
    }
    memcpy(text->data + text->size, bytes, size);
    text->size += size;
    text->data[text->size] = '\0';
}

static void AppendString(Text* text, const char* string)
{
    Append(text, string, strlen(string));
}

static void AppendFormat(Text* text, const char* format, ...)
{
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    AppendString(text, buffer);
}

static void AppendCodePoint(Text* text, unsigned long c)
{
    char out[4];
    size_t size;
    if (c < 0x80)
    {
        out[0] = (char)c;
        size = 1;
    }
    else if (c < 0x800)
    {
        out[0] = (char)(0xC0 | (c >> 6));
        out[1] = (char)(0x80 | (c & 0x3F));
        size = 2;
    }
    else if (c < 0x10000)
    {
        out[0] = (char)(0xE0 | (c >> 12));
        out[1] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[2] = (char)(0x80 | (c & 0x3F));
        size = 3;
    }
    else
    {
        out[0] = (char)(0xF0 | (c >> 18));
        out[1] = (char)(0x80 | ((c >> 12) & 0x3F));
        out[2] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[3] = (char)(0x80 | (c & 0x3F));
        size = 4;
    }
    Append(text, out, size);
}

/* UTF-8 of a wide string, whether wchar_t holds UTF-16 or UTF-32. */
static void AppendWide(Text* text, const wchar_t* wide)
{
    if (!wide)
    {
        AppendString(text, "<null>");
        return;
    }
    for (; *wide; ++wide)
    {
        unsigned long c = (unsigned long)*wide;
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && wide[1] >= 0xDC00 &&
            wide[1] < 0xE000)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + ((unsigned long)wide[1] - 0xDC00);
            ++wide;
        }
        AppendCodePoint(text, c);
    }
}

/* The shortest decimal text that reads back as the same value: 33.333332 for 100.0f / 3, and
   whole numbers without an exponent. */
static void AppendFloat(Text* text, float value)
{
    char buffer[64];
    if (value > -1e9f && value < 1e9f && value == (float)(long long)value)
    {
        AppendFormat(text, "%lld", (long long)value);
        return;
    }
    for (int digits = 1; digits <= 9; ++digits)
    {
        snprintf(buffer, sizeof buffer, "%.*g", digits, (double)value);
        if (strtof(buffer, NULL) == value)
            break;
    }
    AppendString(text, buffer);
}

static void AppendDouble(Text* text, double value)
{
    char buffer[64];
    if (value > -1e15 && value < 1e15 && value == (double)(long long)value)
    {
        AppendFormat(text, "%lld", (long long)value);
        return;
    }
    for (int digits = 1; digits <= 17; ++digits)
    {
        snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (strtod(buffer, NULL) == value)
            break;
    }
    AppendString(text, buffer);
}

static bool WideEquals(const wchar_t* wide, const char* ascii)
{
    if (!wide)
        return false;
    for (; *ascii; ++ascii, ++wide)
        if (*wide != (wchar_t)(unsigned char)*ascii)
            return false;
    return *wide == 0;
}

/* ---- converters and factory ------------------------------------------------------------- */

typedef struct HostConverter
{
    OrvaConverter base;
    int references;
} HostConverter;

static void ConverterAddRef(OrvaConverter* self)
{
    ++((HostConverter*)self)->references;
}

static bool ConverterRelease(OrvaConverter* self)
{
    HostConverter* converter = (HostConverter*)self;
    return --converter->references == 0; /* kept for the final count check */
}

/* The whole text as a decimal number, the unit taken as it is. */
static bool ConverterConvert(OrvaConverter* self, const wchar_t* text, double* value)
{
    (void)self;
    if (!text || !*text || !value)
        return false;
    wchar_t* end = NULL;
    double number = wcstod(text, &end);
    if (end == text || *end != 0)
        return false;
    *value = number;
    return true;
}

static const OrvaConverterSlots g_converterSlots = {ConverterAddRef, ConverterRelease,
                                                    ConverterConvert};

enum
{
    MaxConverters = 64
};

typedef struct HostFactory
{
    OrvaFactory base;
    int references;
    int made;
    Text* log; /* when set, each request is logged */
    HostConverter converters[MaxConverters];
} HostFactory;

static void FactoryAddRef(OrvaFactory* self)
{
    ++((HostFactory*)self)->references;
}

static bool FactoryRelease(OrvaFactory* self)
{
    return --((HostFactory*)self)->references == 0;
}

static OrvaConverter* FactoryCreate(OrvaFactory* self, const char* slot, int32_t unitCode)
{
    HostFactory* factory = (HostFactory*)self;
    if (factory->log)
        AppendFormat(factory->log, "%s(%d)\n", slot, (int)unitCode);
    if (factory->made == MaxConverters)
        return NULL;
    HostConverter* converter = &factory->converters[factory->made++];
    converter->base.slots = &g_converterSlots;
    converter->references = 1;
    return &converter->base;
}

static OrvaConverter* FactoryCreateAngle(OrvaFactory* self, int32_t unitCode)
{
    return FactoryCreate(self, "CreateAngleConverter", unitCode);
}

static OrvaConverter* FactoryCreateLinear(OrvaFactory* self, int32_t unitCode)
{
    return FactoryCreate(self, "CreateLinearConverter", unitCode);
}

static OrvaConverter* FactoryCreatePressure(OrvaFactory* self, int32_t unitCode)
{
    return FactoryCreate(self, "CreatePressureConverter", unitCode);
}

static OrvaConverter* FactoryCreateTemperature(OrvaFactory* self, int32_t unitCode)
{
    return FactoryCreate(self, "CreateTemperatureConverter", unitCode);
}

static const OrvaFactorySlots g_factorySlots = {FactoryAddRef,         FactoryRelease,
                                                FactoryCreateAngle,    FactoryCreateLinear,
                                                FactoryCreatePressure, FactoryCreateTemperature};

static void InitFactory(HostFactory* factory)
{
    memset(factory, 0, sizeof *factory);
    factory->base.slots = &g_factorySlots;
    factory->references = 1; /* the host's own */
}

/* References the plug-in still holds: none after an import. */
static int OutstandingReferences(const HostFactory* factory)
{
    int outstanding = factory->references - 1;
    for (int i = 0; i < factory->made; ++i)
        outstanding += factory->converters[i].references;
    return outstanding;
}

/* ---- file list -------------------------------------------------------------------------- */

enum
{
    MaxFiles = 8
};

typedef struct HostFileList
{
    OrvaFileList base;
    const wchar_t* paths[MaxFiles];
    int count;
    int cursor;
} HostFileList;

static bool ListIsValid(OrvaFileList* self)
{
    HostFileList* list = (HostFileList*)self;
    return list->cursor < list->count;
}

static void ListMoveNext(OrvaFileList* self)
{
    ++((HostFileList*)self)->cursor;
}

static const wchar_t* ListGetPath(OrvaFileList* self)
{
    HostFileList* list = (HostFileList*)self;
    return list->cursor < list->count ? list->paths[list->cursor] : NULL;
}

static void ListReset(OrvaFileList* self)
{
    ((HostFileList*)self)->cursor = 0;
}

static const OrvaFileListSlots g_listSlots = {ListIsValid, ListMoveNext, ListGetPath, ListReset};

/* ---- receiver --------------------------------------------------------------------------- */

typedef struct HostReceiver
{
    OrvaReceiver base;
    OrvaFactory* factory; /* may be null */
    bool bookkeeping;     /* log SetCurrentLine and SetProgress too */
    bool counting;        /* count calls instead of logging them */
    unsigned long calls[32];
    Text log;
} HostReceiver;

static HostReceiver* Self(OrvaReceiver* self)
{
    return (HostReceiver*)self;
}

static bool Counted(OrvaReceiver* self, int slot)
{
    HostReceiver* receiver = Self(self);
    ++receiver->calls[slot];
    return receiver->counting;
}

static void LogText(OrvaReceiver* self, int slot, const char* name, const wchar_t* text)
{
    if (Counted(self, slot))
        return;
    AppendFormat(&Self(self)->log, "%s(", name);
    AppendWide(&Self(self)->log, text);
    AppendString(&Self(self)->log, ")\n");
}

static void LogValue(OrvaReceiver* self, int slot, const char* name, double value)
{
    if (Counted(self, slot))
        return;
    AppendFormat(&Self(self)->log, "%s(", name);
    AppendDouble(&Self(self)->log, value);
    AppendString(&Self(self)->log, ")\n");
}

static void LogUnexpected(OrvaReceiver* self, int slot)
{
    if (!Counted(self, slot))
        AppendFormat(&Self(self)->log, "UNEXPECTED(%d)\n", slot);
}

static OrvaFactory* RGetConverterFactory(OrvaReceiver* self)
{
    HostReceiver* receiver = Self(self);
    if (!Counted(self, 0))
        AppendString(&receiver->log, "GetConverterFactory\n");
    if (receiver->factory)
        receiver->factory->slots->AddRef(receiver->factory);
    return receiver->factory;
}

static void RBeginFile(OrvaReceiver* s, const wchar_t* path)
{
    LogText(s, 1, "BeginFile", path);
}

static void RSetCurrentLine(OrvaReceiver* self, int32_t index)
{
    if (!Counted(self, 2) && Self(self)->bookkeeping)
        AppendFormat(&Self(self)->log, "SetCurrentLine(%d)\n", (int)index);
}

static void RReserved3(OrvaReceiver* s)
{
    LogUnexpected(s, 3);
}

static void RReportLineError(OrvaReceiver* s, const wchar_t* text)
{
    LogText(s, 4, "ReportLineError", text);
}

static void RReportFileError(OrvaReceiver* s, const wchar_t* text)
{
    LogText(s, 5, "ReportFileError", text);
}

static void RSetProgress(OrvaReceiver* self, float percent)
{
    if (Counted(self, 6) || !Self(self)->bookkeeping)
        return;
    AppendString(&Self(self)->log, "SetProgress(");
    AppendFloat(&Self(self)->log, percent);
    AppendString(&Self(self)->log, ")\n");
}

static void RReserved7(OrvaReceiver* s)
{
    LogUnexpected(s, 7);
}
static void RBeginPoint(OrvaReceiver* s, const wchar_t* t)
{
    LogText(s, 8, "BeginPoint", t);
}
static void RSetNorth(OrvaReceiver* s, double v)
{
    LogValue(s, 9, "SetNorth", v);
}
static void RSetEast(OrvaReceiver* s, double v)
{
    LogValue(s, 10, "SetEast", v);
}
static void RSetElevation(OrvaReceiver* s, double v)
{
    LogValue(s, 11, "SetElevation", v);
}

static void RSetPointClass(OrvaReceiver* self, int32_t pointClass)
{
    if (!Counted(self, 12))
        AppendFormat(&Self(self)->log, "SetPointClass(%d)\n", (int)pointClass);
}

static void RReserved13(OrvaReceiver* s)
{
    LogUnexpected(s, 13);
}
static void RReserved14(OrvaReceiver* s)
{
    LogUnexpected(s, 14);
}
static void RReserved15(OrvaReceiver* s)
{
    LogUnexpected(s, 15);
}
static void RSetCode(OrvaReceiver* s, const wchar_t* t)
{
    LogText(s, 16, "SetCode", t);
}
static void RBeginStation(OrvaReceiver* s, const wchar_t* t)
{
    LogText(s, 17, "BeginStation", t);
}
static void RReserved18(OrvaReceiver* s)
{
    LogUnexpected(s, 18);
}
static void RReserved19(OrvaReceiver* s)
{
    LogUnexpected(s, 19);
}
static void RSetDate(OrvaReceiver* s, const wchar_t* t)
{
    LogText(s, 20, "SetDate", t);
}

static void RSetInstrumentHeight(OrvaReceiver* s, double v)
{
    LogValue(s, 21, "SetInstrumentHeight", v);
}

static void RSetVerticalAngleOffset(OrvaReceiver* s, double v)
{
    LogValue(s, 22, "SetVerticalAngleOffset", v);
}

static void RReserved23(OrvaReceiver* s)
{
    LogUnexpected(s, 23);
}
static void RBeginTarget(OrvaReceiver* s, const wchar_t* t)
{
    LogText(s, 24, "BeginTarget", t);
}
static void RSetPressure(OrvaReceiver* s, double v)
{
    LogValue(s, 25, "SetPressure", v);
}
static void RSetTemperature(OrvaReceiver* s, double v)
{
    LogValue(s, 26, "SetTemperature", v);
}
static void RReserved27(OrvaReceiver* s)
{
    LogUnexpected(s, 27);
}

static void RSetVerticalAngle(OrvaReceiver* s, double v)
{
    LogValue(s, 28, "SetVerticalAngle", v);
}

static void RSetHorizontalAngle(OrvaReceiver* s, double v)
{
    LogValue(s, 29, "SetHorizontalAngle", v);
}

static void RSetReflectorHeight(OrvaReceiver* s, double v)
{
    LogValue(s, 30, "SetReflectorHeight", v);
}

static void RSetSlopeDistance(OrvaReceiver* s, double v)
{
    LogValue(s, 31, "SetSlopeDistance", v);
}

static const OrvaReceiverSlots g_receiverSlots = {RGetConverterFactory,
                                                  RBeginFile,
                                                  RSetCurrentLine,
                                                  RReserved3,
                                                  RReportLineError,
                                                  RReportFileError,
                                                  RSetProgress,
                                                  RReserved7,
                                                  RBeginPoint,
                                                  RSetNorth,
                                                  RSetEast,
                                                  RSetElevation,
                                                  RSetPointClass,
                                                  RReserved13,
                                                  RReserved14,
                                                  RReserved15,
                                                  RSetCode,
                                                  RBeginStation,
                                                  RReserved18,
                                                  RReserved19,
                                                  RSetDate,
                                                  RSetInstrumentHeight,
                                                  RSetVerticalAngleOffset,
                                                  RReserved23,
                                                  RBeginTarget,
                                                  RSetPressure,
                                                  RSetTemperature,
                                                  RReserved27,
                                                  RSetVerticalAngle,
                                                  RSetHorizontalAngle,
                                                  RSetReflectorHeight,
                                                  RSetSlopeDistance};

static void InitReceiver(HostReceiver* receiver, OrvaFactory* factory, bool bookkeeping)
{
    memset(receiver, 0, sizeof *receiver);
    receiver->base.slots = &g_receiverSlots;
    receiver->factory = factory;
    receiver->bookkeeping = bookkeeping;
}

/* ---- the plug-in object ----------------------------------------------------------------- */

static OrvaCreatePluginFunction g_createPlugin;

static const uint8_t g_expectedId[16] = {0xE5, 0x7B, 0xA9, 0x3C, 0xFF, 0x5C, 0x66, 0x4D,
                                         0x87, 0xC6, 0x73, 0x40, 0x14, 0x43, 0xA9, 0x6E};

static uint32_t ByteCount(OrvaBstr text)
{
    uint32_t count;
    memcpy(&count, (const char*)text - sizeof count, sizeof count);
    return count;
}

static void CheckString(OrvaBstr text, const char* expected, const char* slot)
{
    Check(text != NULL, "%s returns a string", slot);
    if (!text)
        return;
    Check(WideEquals(text, expected), "%s holds \"%s\"", slot, expected);
    Check(ByteCount(text) == strlen(expected) * sizeof(wchar_t),
          "%s has the byte count %u before its characters", slot,
          (unsigned)(strlen(expected) * sizeof(wchar_t)));
}

static void CheckIdentity(void)
{
    OrvaPlugin* plugin = g_createPlugin();
    Check(plugin != NULL, "CreatePlugin returns an object");
    if (!plugin)
        return;
    const OrvaPluginSlots* slots = plugin->slots;

    OrvaBstr name = slots->GetName(plugin);
    OrvaBstr again = slots->GetName(plugin);
    OrvaBstr format = slots->GetFormatName(plugin);
    OrvaBstr mask = slots->GetFileMask(plugin);
    CheckString(name, "ORVA", "GetName");
    CheckString(format, "ORVA", "GetFormatName");
    CheckString(mask, "*.idx", "GetFileMask");
    Check(name != again && name != format, "every string is allocated anew");
    HostFreeString(name);
    HostFreeString(again);
    HostFreeString(format);
    HostFreeString(mask);

    OrvaGuid id;
    memset(&id, 0xCC, sizeof id);
    OrvaGuid* result = slots->GetId(plugin, &id);
    Check(result == &id, "GetId returns the caller's buffer");
    Check(memcmp(&id, g_expectedId, sizeof g_expectedId) == 0, "GetId gives the plug-in's GUID");
    Check(plugin->slots == slots, "GetId leaves the object's slot table in place");
    name = slots->GetName(plugin);
    CheckString(name, "ORVA", "GetName after GetId");
    HostFreeString(name);

    Check(slots->GetKind(plugin) == 2, "GetKind is 2");
    slots->Reserved1(plugin);
    slots->Reserved2(plugin);
    Check(slots->Reserved3(plugin) == 0, "Reserved3 returns 0");

    for (int32_t number = 0; number <= 2; ++number)
        Check(slots->QueryInterface(plugin, number) == plugin,
              "QueryInterface(%d) returns the object", (int)number);
    Check(slots->QueryInterface(plugin, 3) == NULL, "QueryInterface(3) returns null");
    Check(slots->QueryInterface(plugin, -1) == NULL, "QueryInterface(-1) returns null");
    /* Three references from QueryInterface, one from CreatePlugin, none from the misses. */
    for (int i = 0; i < 3; ++i)
        Check(!slots->Release(plugin), "Release %d of 4 keeps the object", i + 1);
    Check(slots->Release(plugin), "the last Release destroys the object");

    OrvaPlugin* first = g_createPlugin();
    OrvaPlugin* second = g_createPlugin();
    Check(first && second && first != second, "each CreatePlugin makes a new object");
    if (first)
    {
        /* Missing host objects: nothing happens, nothing crashes. */
        HostReceiver receiver;
        InitReceiver(&receiver, NULL, true);
        HostFileList list = {{&g_listSlots}, {NULL}, 0, 0};
        first->slots->Import(first, NULL, NULL);
        first->slots->Import(first, &list.base, NULL);
        first->slots->Import(first, NULL, &receiver.base);
        Check(receiver.log.size == 0, "Import without a file list calls nothing");
        Check(first->slots->Release(first), "the only Release destroys the object");
        free(receiver.log.data);
    }
    if (second)
        Check(second->slots->Release(second), "the only Release destroys the object");
}

/* ---- imports ---------------------------------------------------------------------------- */

#define OPEN_FAILED "ReportFileError(Не удается открыть файл)\n"
#define UNKNOWN_FORMAT                                                                             \
    "SetCurrentLine(-1)\nReportFileError(Файл содержит данные в неизвестном формате)\n"

typedef struct ImportCase
{
    const char* name;     /* file name, or null for a null path from the list */
    const char* content;  /* null: the file is not written */
    size_t size;          /* bytes of content */
    bool withFactory;     /* hand out a factory, else null */
    bool bookkeeping;     /* log SetCurrentLine and SetProgress */
    const char* expected; /* the log after "BeginFile(<path>)\n" */
} ImportCase;

#define BYTES(literal) literal, sizeof literal - 1

static const ImportCase g_cases[] = {
    {"missing.idx", NULL, 0, false, true, OPEN_FAILED},
    {"two.idx", BYTES("HEADER\nEND HEADER\n"), false, true,
     "GetConverterFactory\nSetCurrentLine(0)\nSetProgress(50)\nSetCurrentLine(1)\n"
     "SetProgress(100)\nSetProgress(100)\n"},
    {NULL, NULL, 0, false, true, OPEN_FAILED},
    {"empty.idx", BYTES(""), false, true, "GetConverterFactory\nSetProgress(100)\n" UNKNOWN_FORMAT},
    {"unknown.idx", BYTES("FOO\nEND FOO\n"), true, true,
     "GetConverterFactory\nSetCurrentLine(0)\nSetProgress(50)\nSetCurrentLine(1)\n"
     "SetProgress(100)\nSetProgress(100)\n" UNKNOWN_FORMAT},
    {"three.idx", BYTES("METEO\nEND METEO\n\n"), true, true,
     "GetConverterFactory\nSetCurrentLine(0)\nSetProgress(33.333332)\nSetCurrentLine(1)\n"
     "SetProgress(66.666664)\nSetCurrentLine(2)\nSetProgress(100)\nSetProgress(100)\n"},
    {"crlf.idx",
     BYTES("DATABASE\r\nPOINTS(PointNo,PointID,North,East)\r\n1,P1,10.5,20\r\nEND POINTS\r\n"
           "END DATABASE\r\n"),
     true, false, "GetConverterFactory\nBeginPoint(P1)\nSetNorth(10.5)\nSetEast(20)\n"},
    {"nulbyte.idx",
     BYTES("DATABASE\0 trailing\nPOINTS(PointNo,PointID,North)\n1,P1\0,5\n2,P2,7\0.5\n"), true,
     false, "GetConverterFactory\nBeginPoint(P1)\nBeginPoint(P2)\nSetNorth(7)\n"},
    {"nolf.idx", BYTES("DATABASE\nPOINTS(PointNo,PointID)\n1,LAST"), false, true,
     "GetConverterFactory\nSetCurrentLine(0)\nSetProgress(33.333332)\nSetCurrentLine(1)\n"
     "SetProgress(66.666664)\nSetCurrentLine(2)\nBeginPoint(LAST)\nSetProgress(100)\n"
     "SetProgress(100)\n"},
    {"cp1251.idx",
     BYTES("DATABASE\nPOINTS(PointNo,PointID,Code)\n1,\xCF\xF3\xED\xEA\xF2,\xE3\xF0\xE0\xED\xE8"
           "\xF2\n"),
     false, false, "GetConverterFactory\nBeginPoint(Пункт)\nSetCode(гранит)\n"},
};

/* Runs the cases from first to last in one Import, then checks each file's part of the log. */
static void RunImport(OrvaPlugin* plugin, const ImportCase* cases, int count)
{
    HostFactory factory;
    InitFactory(&factory);
    HostReceiver receiver;
    InitReceiver(&receiver, cases[0].withFactory ? &factory.base : NULL, cases[0].bookkeeping);

    wchar_t paths[MaxFiles][512];
    HostFileList list = {{&g_listSlots}, {NULL}, 0, 0};
    Text expected = {NULL, 0, 0};
    for (int i = 0; i < count && i < MaxFiles; ++i)
    {
        const ImportCase* c = &cases[i];
        bool ready = true;
        if (!c->name)
            list.paths[list.count++] = NULL;
        else
        {
            ready = c->content ? HostWriteFile(c->name, c->content, c->size, paths[i], 512)
                               : HostFilePath(c->name, paths[i], 512);
            list.paths[list.count++] = paths[i];
        }
        Check(ready, "test file %s is written", c->name ? c->name : "(null)");
        AppendString(&expected, "BeginFile(");
        if (c->name)
            AppendWide(&expected, paths[i]);
        AppendString(&expected, ")\n");
        AppendString(&expected, c->expected);
    }

    plugin->slots->Import(plugin, &list.base, &receiver.base);
    const char* log = receiver.log.data ? receiver.log.data : "";
    Check(strcmp(log, expected.data) == 0, "import of %s:\n--- expected\n%s--- received\n%s---",
          cases[0].name ? cases[0].name : "(null)", expected.data, log);
    Check(OutstandingReferences(&factory) == 0, "import of %s gives back %d references",
          cases[0].name ? cases[0].name : "(null)", OutstandingReferences(&factory));
    free(receiver.log.data);
    free(expected.data);
}

static void CheckImports(void)
{
    OrvaPlugin* plugin = g_createPlugin();
    Check(plugin != NULL, "CreatePlugin returns an object");
    if (!plugin)
        return;
    const int count = (int)(sizeof g_cases / sizeof g_cases[0]);
    /* A missing file, a good one and a null path in one import: each goes on to the next. */
    RunImport(plugin, g_cases, 3);
    for (int i = 3; i < count; ++i)
    {
        if (strcmp(g_cases[i].name, "cp1251.idx") == 0)
        {
            const char* how = "";
            bool selected = HostSelectCyrillic(&how);
            Check(selected, "code page 1251 can be selected (%s)", how);
            printf("code page 1251: %s\n", how);
            if (!selected)
                continue;
        }
        RunImport(plugin, &g_cases[i], 1);
    }
    Check(plugin->slots->Release(plugin), "the plug-in is destroyed by its last Release");
}

/* ---- measuring -------------------------------------------------------------------------- */

static int ImportFiles(char** names, int count)
{
    OrvaPlugin* plugin = g_createPlugin();
    if (!plugin)
    {
        fputs("CreatePlugin returned null\n", stderr);
        return 1;
    }
    static wchar_t paths[MaxFiles][1024];
    HostFileList list = {{&g_listSlots}, {NULL}, 0, 0};
    for (int i = 0; i < count && i < MaxFiles; ++i)
    {
        size_t length = mbstowcs(paths[i], names[i], 1023);
        if (length == (size_t)-1)
            length = 0;
        paths[i][length] = 0;
        list.paths[list.count++] = paths[i];
    }
    HostFactory factory;
    InitFactory(&factory);
    HostReceiver receiver;
    InitReceiver(&receiver, &factory.base, true);
    receiver.counting = true;
    plugin->slots->Import(plugin, &list.base, &receiver.base);
    plugin->slots->Release(plugin);
    static const char* names32[32] = {"GetConverterFactory",
                                      "BeginFile",
                                      "SetCurrentLine",
                                      "",
                                      "ReportLineError",
                                      "ReportFileError",
                                      "SetProgress",
                                      "",
                                      "BeginPoint",
                                      "SetNorth",
                                      "SetEast",
                                      "SetElevation",
                                      "SetPointClass",
                                      "",
                                      "",
                                      "",
                                      "SetCode",
                                      "BeginStation",
                                      "",
                                      "",
                                      "SetDate",
                                      "SetInstrumentHeight",
                                      "SetVerticalAngleOffset",
                                      "",
                                      "BeginTarget",
                                      "SetPressure",
                                      "SetTemperature",
                                      "",
                                      "SetVerticalAngle",
                                      "SetHorizontalAngle",
                                      "SetReflectorHeight",
                                      "SetSlopeDistance"};
    for (int slot = 0; slot < 32; ++slot)
        if (receiver.calls[slot])
            printf("%-24s %lu\n", names32[slot][0] ? names32[slot] : "UNEXPECTED",
                   receiver.calls[slot]);
    return OutstandingReferences(&factory) == 0 ? 0 : 1;
}

/* ---- the record listing ------------------------------------------------------------- */

static int PrintRecords(char** names, int count)
{
    OrvaPlugin* plugin = g_createPlugin();
    if (!plugin)
    {
        fputs("CreatePlugin returned null\n", stderr);
        return 1;
    }
    static wchar_t paths[MaxFiles][1024];
    HostFileList list = {{&g_listSlots}, {NULL}, 0, 0};
    for (int i = 0; i < count && i < MaxFiles; ++i)
    {
        size_t length = mbstowcs(paths[i], names[i], 1023);
        if (length == (size_t)-1)
            length = 0;
        paths[i][length] = 0;
        list.paths[list.count++] = paths[i];
    }
    HostFactory factory;
    InitFactory(&factory);
    HostReceiver receiver;
    InitReceiver(&receiver, &factory.base, true);
    factory.log = &receiver.log;
    plugin->slots->Import(plugin, &list.base, &receiver.base);
    bool destroyed = plugin->slots->Release(plugin);
    HostWriteOutput(receiver.log.data ? receiver.log.data : "", receiver.log.size);
    free(receiver.log.data);
    return destroyed && count <= MaxFiles && OutstandingReferences(&factory) == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        fputs("usage: orva_chost LIBRARY [--import FILE... | --records FILE...]\n", stderr);
        return 2;
    }
    char error[512];
    if (!HostLoadLibrary(argv[1], error, sizeof error))
    {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], error);
        return 1;
    }
    g_createPlugin = (OrvaCreatePluginFunction)HostFindSymbol("CreatePlugin");
    if (!g_createPlugin)
    {
        fprintf(stderr, "%s exports no CreatePlugin\n", argv[1]);
        return 1;
    }
    if (argc > 2 && strcmp(argv[2], "--import") == 0)
        return ImportFiles(argv + 3, argc - 3);
    if (argc > 2 && strcmp(argv[2], "--records") == 0)
        return PrintRecords(argv + 3, argc - 3);

    if (!HostMakeDirectory())
    {
        fputs("cannot make a directory for the test files\n", stderr);
        return 1;
    }
    CheckIdentity();
    CheckImports();
    HostRemoveFiles();
    HostUnloadLibrary();
    printf("%d of %d checks passed\n", g_checks - g_failures, g_checks);
    return g_failures == 0 ? 0 : 1;
}
