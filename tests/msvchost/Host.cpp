// A host built as the real one is: C++ compiled with Microsoft's object layout, vtables and
// calling convention (clang in cl mode), no C or C++ runtime, plugin/HostInterfaces.h included
// as it stands. It loads the plug-in DLL and calls every slot through ordinary virtual calls;
// its receiver, file list, factory and converters are ordinary C++ classes.
//   orva_msvchost LIBRARY FILE...            checks every slot of the plug-in object and imports
//                                            each file, with the references counted back to zero
//   orva_msvchost LIBRARY --records FILE...  imports the files in one call and prints every call
//                                            of the receiver and of the factory, in order, as
//                                            orva_chost LIBRARY --records FILE... prints them
#include "plugin/HostInterfaces.h"

#include "Numbers.h"
#include "System.h"

#if !defined(_MSC_VER) || !PLUGIN_MICROSOFT_ABI
#error "the host is built as Microsoft's compiler builds it"
#endif

static_assert(sizeof(GUID) == 16, "a GUID is 16 bytes");
static_assert(sizeof(wchar_t) == 2, "wchar_t is UTF-16");

namespace
{

// ---- text ---------------------------------------------------------------------------------

size_t Length(const char* text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

bool Contains(const char* text, const char* part)
{
    const size_t size = Length(part);
    for (; *text; ++text)
    {
        size_t i = 0;
        while (i < size && text[i] == part[i])
            ++i;
        if (i == size)
            return true;
    }
    return false;
}

// Bytes growing on the process heap, always zero-terminated.
class Text
{
public:
    Text() = default;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { delete[] m_data; }

    const char* Data() const { return m_data ? m_data : ""; }
    size_t Size() const { return m_size; }

    Text& Append(const char* bytes, size_t size)
    {
        if (m_size + size + 1 > m_capacity)
        {
            size_t capacity = m_capacity ? m_capacity : 256;
            while (capacity < m_size + size + 1)
                capacity *= 2;
            char* grown = new char[capacity];
            for (size_t i = 0; i < m_size; ++i)
                grown[i] = m_data[i];
            delete[] m_data;
            m_data = grown;
            m_capacity = capacity;
        }
        for (size_t i = 0; i < size; ++i)
            m_data[m_size++] = bytes[i];
        m_data[m_size] = '\0';
        return *this;
    }

    Text& operator<<(const char* text) { return Append(text, Length(text)); }

    Text& operator<<(int value)
    {
        char buffer[32];
        // A whole double below 1e15 is written as an integer.
        return Append(buffer, Numbers::FormatDouble(value, buffer));
    }

    Text& operator<<(double value)
    {
        char buffer[32];
        return Append(buffer, Numbers::FormatDouble(value, buffer));
    }

    Text& operator<<(float value)
    {
        char buffer[32];
        return Append(buffer, Numbers::FormatFloat(value, buffer));
    }

    // UTF-8 of UTF-16 text; "<null>" for none.
    Text& operator<<(const wchar_t* wide)
    {
        if (!wide)
            return *this << "<null>";
        for (; *wide; ++wide)
        {
            unsigned long c = static_cast<unsigned short>(*wide);
            if (c >= 0xD800 && c < 0xDC00 && wide[1] >= 0xDC00 && wide[1] < 0xE000)
            {
                c = 0x10000 + ((c - 0xD800) << 10) +
                    (static_cast<unsigned short>(wide[1]) - 0xDC00);
                ++wide;
            }
            char out[4];
            size_t size;
            if (c < 0x80)
            {
                out[0] = static_cast<char>(c);
                size = 1;
            }
            else if (c < 0x800)
            {
                out[0] = static_cast<char>(0xC0 | (c >> 6));
                out[1] = static_cast<char>(0x80 | (c & 0x3F));
                size = 2;
            }
            else if (c < 0x10000)
            {
                out[0] = static_cast<char>(0xE0 | (c >> 12));
                out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out[2] = static_cast<char>(0x80 | (c & 0x3F));
                size = 3;
            }
            else
            {
                out[0] = static_cast<char>(0xF0 | (c >> 18));
                out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out[3] = static_cast<char>(0x80 | (c & 0x3F));
                size = 4;
            }
            Append(out, size);
        }
        return *this;
    }

private:
    char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

void Write(DWORD which, const Text& text)
{
    const HANDLE handle = GetStdHandle(which);
    const char* data = text.Data();
    size_t left = text.Size();
    while (left > 0)
    {
        DWORD written = 0;
        if (!WriteFile(handle, data, static_cast<DWORD>(left), &written, nullptr) || written == 0)
            return;
        data += written;
        left -= written;
    }
}

// ---- results ------------------------------------------------------------------------------

int g_checks;
int g_failures;

void Check(bool passed, const Text& what)
{
    ++g_checks;
    if (passed)
        return;
    ++g_failures;
    Text line;
    line << "FAILED: " << what.Data() << "\n";
    Write(StdErrorHandle, line);
}

void Check(bool passed, const char* what)
{
    Text text;
    text << what;
    Check(passed, text);
}

// ---- converters and factory ---------------------------------------------------------------

int g_liveConverters; // converters made and not yet destroyed by their last Release

// A converter of any quantity: the whole text as a decimal number, the unit taken as it is,
// exactly as the plain-C host converts. Starts with the one reference the factory hands out and
// deletes itself on the last Release.
template <class Interface> class Converter final : public Interface
{
public:
    Converter() { ++g_liveConverters; }
    ~Converter() { --g_liveConverters; }

    void AddRef() override { ++m_references; }

    bool Release() override
    {
        if (--m_references != 0)
            return false;
        delete this;
        return true;
    }

    bool Convert(const wchar_t* text, double* value) override
    {
        if (!text || !*text || !value)
            return false;
        return Numbers::ParseDouble(text, value);
    }

private:
    int m_references = 1;
};

// The host's factory, one reference held by the host itself. Makes at most 64 converters, as
// the plain-C host does, and logs each request when given a log.
class Factory final : public IUnitConverterFactory
{
public:
    explicit Factory(Text* log) : m_log(log) {}

    void AddRef() override { ++m_references; }
    bool Release() override { return --m_references == 0; }

    Plugin::IAngleConverter* CreateAngleConverter(std::int32_t unitCode) override
    {
        return Make<Plugin::IAngleConverter>("CreateAngleConverter", unitCode);
    }

    ILinearConverter* CreateLinearConverter(std::int32_t unitCode) override
    {
        return Make<ILinearConverter>("CreateLinearConverter", unitCode);
    }

    IPressureConverter* CreatePressureConverter(std::int32_t unitCode) override
    {
        return Make<IPressureConverter>("CreatePressureConverter", unitCode);
    }

    ITemperatureConverter* CreateTemperatureConverter(std::int32_t unitCode) override
    {
        return Make<ITemperatureConverter>("CreateTemperatureConverter", unitCode);
    }

    // References the plug-in still holds, to the factory and to the converters.
    int Outstanding() const { return m_references - 1 + g_liveConverters; }

private:
    template <class Interface> Interface* Make(const char* slot, std::int32_t unitCode)
    {
        if (m_log)
            *m_log << slot << "(" << static_cast<int>(unitCode) << ")\n";
        if (m_made == 64)
            return nullptr;
        ++m_made;
        return new Converter<Interface>;
    }

    Text* m_log;
    int m_references = 1;
    int m_made = 0;
};

// ---- file list ----------------------------------------------------------------------------

class FileList final : public IImportFileList
{
public:
    FileList(const wchar_t* const* paths, int count) : m_paths(paths), m_count(count) {}

    bool IsValid() override { return m_cursor < m_count; }
    void MoveNext() override { ++m_cursor; }
    const wchar_t* GetPath() override { return m_cursor < m_count ? m_paths[m_cursor] : nullptr; }
    void Reset() override { m_cursor = 0; }

private:
    const wchar_t* const* m_paths;
    int m_count;
    int m_cursor = 0;
};

// ---- receiver -----------------------------------------------------------------------------

// Logs every call, one line each: the slot's name and its argument.
class Receiver final : public IGroundDataReceiver
{
public:
    Receiver(IUnitConverterFactory* factory, Text& log) : m_factory(factory), m_log(log) {}

    IUnitConverterFactory* GetConverterFactory() override
    {
        m_log << "GetConverterFactory\n";
        if (m_factory)
            m_factory->AddRef();
        return m_factory;
    }

    void BeginFile(const wchar_t* path) override { Log("BeginFile", path); }
    void SetCurrentLine(std::int32_t index) override
    {
        Log("SetCurrentLine", static_cast<int>(index));
    }
    void Reserved3() override { Unexpected(3); }
    void ReportLineError(const wchar_t* message) override { Log("ReportLineError", message); }
    void ReportFileError(const wchar_t* message) override { Log("ReportFileError", message); }
    void SetProgress(float percent) override { Log("SetProgress", percent); }
    void Reserved7() override { Unexpected(7); }
    void BeginPoint(const wchar_t* name) override { Log("BeginPoint", name); }
    void SetNorth(double value) override { Log("SetNorth", value); }
    void SetEast(double value) override { Log("SetEast", value); }
    void SetElevation(double value) override { Log("SetElevation", value); }
    void SetPointClass(std::int32_t pointClass) override
    {
        Log("SetPointClass", static_cast<int>(pointClass));
    }
    void Reserved13() override { Unexpected(13); }
    void Reserved14() override { Unexpected(14); }
    void Reserved15() override { Unexpected(15); }
    void SetCode(const wchar_t* code) override { Log("SetCode", code); }
    void BeginStation(const wchar_t* name) override { Log("BeginStation", name); }
    void Reserved18() override { Unexpected(18); }
    void Reserved19() override { Unexpected(19); }
    void SetDate(const wchar_t* date) override { Log("SetDate", date); }
    void SetInstrumentHeight(double value) override { Log("SetInstrumentHeight", value); }
    void SetVerticalAngleOffset(double radians) override { Log("SetVerticalAngleOffset", radians); }
    void Reserved23() override { Unexpected(23); }
    void BeginTarget(const wchar_t* name) override { Log("BeginTarget", name); }
    void SetPressure(double value) override { Log("SetPressure", value); }
    void SetTemperature(double value) override { Log("SetTemperature", value); }
    void Reserved27() override { Unexpected(27); }
    void SetVerticalAngle(double radians) override { Log("SetVerticalAngle", radians); }
    void SetHorizontalAngle(double radians) override { Log("SetHorizontalAngle", radians); }
    void SetReflectorHeight(double value) override { Log("SetReflectorHeight", value); }
    void SetSlopeDistance(double value) override { Log("SetSlopeDistance", value); }

private:
    template <class Value> void Log(const char* slot, Value value)
    {
        m_log << slot << "(" << value << ")\n";
    }

    void Unexpected(int slot) { m_log << "UNEXPECTED(" << slot << ")\n"; }

    IUnitConverterFactory* m_factory;
    Text& m_log;
};

// ---- the plug-in object -------------------------------------------------------------------

const GUID ExpectedId = {
    0x3CA97BE5, 0x5CFF, 0x4D66, {0x87, 0xC6, 0x73, 0x40, 0x14, 0x43, 0xA9, 0x6E}};

bool SameText(const wchar_t* text, const wchar_t* expected)
{
    for (; *expected; ++text, ++expected)
        if (*text != *expected)
            return false;
    return *text == 0;
}

void CheckString(BSTR text, const wchar_t* expected, const char* slot)
{
    Text what;
    what << slot << " returns \"" << expected << "\" as a BSTR of its byte count";
    size_t length = 0;
    while (expected[length])
        ++length;
    Check(text && SameText(text, expected) && SysStringByteLen(text) == length * sizeof(wchar_t),
          what);
    SysFreeString(text);
}

bool SameGuid(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}

void* const* SlotTable(const void* object)
{
    return *static_cast<void* const* const*>(object);
}

void CheckObject(CreatePluginFunction createPlugin)
{
    Plugin::IGroundBasedMIP* plugin = createPlugin();
    Check(plugin != nullptr, "CreatePlugin returns an object");
    if (!plugin)
        return;
    void* const* slots = SlotTable(plugin);

    CheckString(plugin->GetName(), L"ORVA", "GetName");
    CheckString(plugin->GetFileMask(), L"*.idx", "GetFileMask");
    CheckString(plugin->GetFormatName(), L"ORVA", "GetFormatName");

    // The natural Microsoft declaration: the GUID comes back by value.
    const GUID id = plugin->GetId();
    Check(SameGuid(id, ExpectedId), "GetId returns {3CA97BE5-5CFF-4D66-87C6-73401443A96E}");
    Check(SlotTable(plugin) == slots, "GetId leaves the object's slot table in place");
    CheckString(plugin->GetName(), L"ORVA", "GetName after GetId");

    Check(plugin->GetKind() == 2, "GetKind returns 2");
    plugin->Reserved1();
    plugin->Reserved2();
    Check(plugin->Reserved3() == 0, "Reserved3 returns 0");

    for (std::int32_t number = 0; number <= 2; ++number)
    {
        Text what;
        what << "QueryInterface(" << static_cast<int>(number) << ") returns the object";
        Check(plugin->QueryInterface(number) == static_cast<void*>(plugin), what);
    }
    const std::int32_t misses[] = {3, 4, -1, 0x7FFFFFFF, -0x7FFFFFFF - 1};
    for (std::int32_t number : misses)
    {
        Text what;
        what << "QueryInterface(" << static_cast<int>(number) << ") returns null";
        Check(plugin->QueryInterface(number) == nullptr, what);
    }
    // One reference from CreatePlugin, three from the hits of QueryInterface, none from misses.
    plugin->AddRef();
    for (int i = 0; i < 4; ++i)
    {
        Text what;
        what << "Release " << i + 1 << " of 5 keeps the object";
        Check(!plugin->Release(), what);
    }
    Check(plugin->Release(), "the last Release destroys the object");

    // Missing host objects: nothing is called, nothing crashes.
    plugin = createPlugin();
    Check(plugin != nullptr, "CreatePlugin returns an object");
    if (!plugin)
        return;
    Text log;
    Factory factory(nullptr);
    Receiver receiver(&factory, log);
    FileList none(nullptr, 0);
    plugin->Import(nullptr, nullptr);
    plugin->Import(&none, nullptr);
    plugin->Import(nullptr, &receiver);
    Check(log.Size() == 0, "Import without a file list or receiver calls nothing");
    plugin->Import(&none, &receiver);
    Check(factory.Outstanding() == 0, "an import of no file gives back every reference");
    Check(plugin->Release(), "the only Release destroys the object");
}

// Imports the files in one call into a receiver that logs into log; true when every reference
// came back.
bool Import(Plugin::IGroundBasedMIP* plugin, const wchar_t* const* paths, int count, Text& log,
            bool logFactory)
{
    Factory factory(logFactory ? &log : nullptr);
    Receiver receiver(&factory, log);
    FileList files(paths, count);
    plugin->Import(&files, &receiver);
    return factory.Outstanding() == 0;
}

void CheckImports(CreatePluginFunction createPlugin, wchar_t** paths, int count)
{
    Plugin::IGroundBasedMIP* plugin = createPlugin();
    Check(plugin != nullptr, "CreatePlugin returns an object");
    if (!plugin)
        return;
    for (int i = 0; i < count; ++i)
    {
        Text log;
        const bool balanced = Import(plugin, paths + i, 1, log, true);
        Text name;
        name << paths[i];
        Text what;
        what << "import of " << name.Data() << " gives back every reference";
        Check(balanced, what);
        Text records;
        records << "import of " << name.Data() << " delivers records through known slots only";
        Check(Contains(log.Data(), "BeginPoint(") && !Contains(log.Data(), "UNEXPECTED"), records);
        Text opened;
        opened << "import of " << name.Data() << " opens the file";
        Check(!Contains(log.Data(), "ReportFileError("), opened);
    }
    Text log;
    Check(Import(plugin, paths, count, log, true),
          "an import of every file gives back every reference");
    Check(plugin->Release(), "the only Release destroys the object");
}

int Run(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        Text usage;
        usage << "usage: orva_msvchost LIBRARY [--records] FILE...\n";
        Write(StdErrorHandle, usage);
        return 2;
    }
    const HMODULE library = LoadLibraryW(argv[1]);
    if (!library)
    {
        Text error;
        error << "cannot load " << argv[1] << ": LoadLibraryW failed with error "
              << static_cast<double>(GetLastError()) << "\n";
        Write(StdErrorHandle, error);
        return 1;
    }
    const FARPROC symbol = GetProcAddress(library, "CreatePlugin");
    if (!symbol)
    {
        Text error;
        error << argv[1] << " exports no CreatePlugin\n";
        Write(StdErrorHandle, error);
        return 1;
    }
    const auto createPlugin =
        reinterpret_cast<CreatePluginFunction>(reinterpret_cast<void*>(symbol));

    if (argc > 2 && SameText(argv[2], L"--records"))
    {
        Plugin::IGroundBasedMIP* plugin = createPlugin();
        if (!plugin)
            return 1;
        Text log;
        const bool balanced = Import(plugin, argv + 3, argc - 3, log, true);
        const bool destroyed = plugin->Release();
        Write(StdOutputHandle, log);
        FreeLibrary(library);
        return balanced && destroyed ? 0 : 1;
    }

    CheckObject(createPlugin);
    CheckImports(createPlugin, argv + 2, argc - 2);
    Check(g_liveConverters == 0, "every converter is destroyed");
    FreeLibrary(library);
    Text summary;
    summary << g_checks - g_failures << " of " << g_checks << " checks passed\n";
    Write(StdOutputHandle, summary);
    return g_failures == 0 ? 0 : 1;
}

} // namespace

// The process starts here: no C runtime runs before.
extern "C" void __cdecl HostEntry()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const int status = argv ? Run(argc, argv) : 2;
    LocalFree(argv);
    ExitProcess(static_cast<unsigned int>(status));
}
