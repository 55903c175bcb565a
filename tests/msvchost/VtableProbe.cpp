// Makes clang lay out the vtable of every interface of plugin/HostInterfaces.h as Microsoft's ABI
// does: a call of a slot declared in an interface needs that interface's whole table. Compiled
// only for -fdump-vtable-layouts by CheckVtables.cmake; never linked.
#include "plugin/HostInterfaces.h"

void Probe(Plugin::IRefCounted* counted, Plugin::IPlugin* plugin,
           Plugin::IFileImportPlugin* fileImport, Plugin::IGroundBasedMIP* import,
           Plugin::IAngleConverter* angle, ILinearConverter* linear,
           ITemperatureConverter* temperature, IPressureConverter* pressure,
           IUnitConverterFactory* factory, IImportFileList* files, IGroundDataReceiver* receiver)
{
    double value = 0;
    counted->AddRef();
    plugin->GetKind();
    fileImport->GetFormatName();
    import->Import(files, receiver);
    angle->Convert(L"", &value);
    linear->Convert(L"", &value);
    temperature->Convert(L"", &value);
    pressure->Convert(L"", &value);
    factory->CreateAngleConverter(0);
    files->Reset();
    receiver->SetSlopeDistance(value);
}
