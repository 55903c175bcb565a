#include "gdal/OrvaDataset.h"

#include "gdal/VsiSource.h"
#include "host/kit/RecordReceiver.h"
#include "host/kit/UnitConverters.h"
#include "host/kit/Utf8.h"
#include "platform/Platform.h"
#include "plugin/ReaderCore.h"

namespace OrvaGdal
{
namespace
{

// A separator or terminator: printable ASCII as itself, anything else by its code.
std::string CharacterText(std::uint16_t code)
{
    if (code >= 0x20 && code < 0x7F)
        return std::string(1, static_cast<char>(code));
    return "code " + std::to_string(code);
}

// Reads the file into the sink with the host's converters; false when memory ran out.
bool ReadInto(IByteSource& source, const std::string& path, Host::IRecordSink& sink)
{
    Host::CUnitConverterFactory* factory = Host::CUnitConverterFactory::Create();
    bool read = false;
    {
        Host::CRecordReceiver receiver(factory, {&sink});
        // The converters tell the receiver which value failed; the receiver knows the line.
        factory->SetEvents(&receiver);
        ImportSource(Host::FromUtf8(path), &source, &receiver, &receiver);
        factory->SetEvents(nullptr);
        receiver.Finish();
        read = !receiver.Failed();
    }
    factory->Release();
    return read;
}

} // namespace

COrvaDataset* COrvaDataset::Read(const std::string& path, const COpenSettings& settings)
{
    try
    {
        std::unique_ptr<COrvaDataset> dataset(new COrvaDataset());
        if (!settings.srs.empty())
        {
            dataset->m_srs.reset(new OGRSpatialReference());
            dataset->m_srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
            if (dataset->m_srs->SetFromUserInput(settings.srs.c_str()) != OGRERR_NONE)
            {
                CPLError(CE_Failure, CPLE_IllegalArg, "ORVA: SRS=%s is no reference system",
                         settings.srs.c_str());
                return nullptr;
            }
        }
        CVsiSource source(path);
        if (!source.IsOpen())
        {
            CPLError(CE_Failure, CPLE_OpenFailed, "ORVA: cannot open %s", path.c_str());
            return nullptr;
        }
        // The reader decodes with the calling thread's code page: it is chosen for each open.
        Platform::SelectThreadCodePage(settings.codePage);
        if (!ReadInto(source, path, dataset->m_store))
        {
            CPLError(CE_Failure, CPLE_OutOfMemory, "ORVA: out of memory reading %s", path.c_str());
            return nullptr;
        }
        const CFileFacts& file = dataset->m_store.Files().front();
        if (!file.imported)
        {
            const CMessageRow& reason = dataset->m_store.Messages().back();
            CPLError(CE_Failure, CPLE_OpenFailed, "ORVA: %s: %s", path.c_str(),
                     std::string(dataset->m_store.Text(reason.text)).c_str());
            return nullptr;
        }
        dataset->SetDescription(path.c_str());
        dataset->MakeLayers(settings);
        dataset->DescribeFiles();
        dataset->ReportMessages();
        return dataset.release();
    }
    catch (const std::exception& failure)
    {
        CPLError(CE_Failure, CPLE_AppDefined, "ORVA: %s: %s", path.c_str(), failure.what());
        return nullptr;
    }
}

OGRLayer* COrvaDataset::GetLayer(int index)
{
    if (index < 0 || index >= GetLayerCount())
        return nullptr;
    return m_layers[static_cast<std::size_t>(index)].get();
}

void COrvaDataset::MakeLayers(const COpenSettings& settings)
{
    for (LayerKind kind :
         {LayerKind::Points, LayerKind::Stations, LayerKind::Observations, LayerKind::Messages})
        m_layers.push_back(
            std::make_unique<COrvaLayer>(kind, m_store, settings.units, m_srs.get()));
    SetMetadataItem("ANGLES", Host::AngleUnitName(settings.units.angle));
    SetMetadataItem("LENGTHS", Host::LengthUnitName(settings.units.length));
}

void COrvaDataset::DescribeFiles()
{
    const CFileFacts& file = m_store.Files().front();
    const struct
    {
        const char* key;
        Host::Quantity quantity;
    } units[] = {{"ANGULAR_UNIT", Host::Quantity::Angle},
                 {"LINEAR_UNIT", Host::Quantity::Length},
                 {"TEMPERATURE_UNIT", Host::Quantity::Temperature},
                 {"PRESSURE_UNIT", Host::Quantity::Pressure}};
    for (const auto& unit : units)
    {
        const std::int32_t code = file.units[static_cast<std::size_t>(unit.quantity)];
        if (code >= 0)
            SetMetadataItem(unit.key, Host::UnitCodeName(unit.quantity, code));
    }
    if (!file.settingsKnown)
        return;
    SetMetadataItem("SEPARATOR", CharacterText(file.settings.separator).c_str());
    SetMetadataItem("TERMINATOR", CharacterText(file.settings.terminator).c_str());
    SetMetadataItem("DATE_ORDER", Host::DateOrderCode(file.settings.dateOrder));
}

void COrvaDataset::ReportMessages() const
{
    for (const CMessageRow& message : m_store.Messages())
    {
        const std::string& path = m_store.Files()[message.source.file].path;
        const std::string text(m_store.Text(message.text));
        if (message.source.line)
            CPLError(CE_Warning, CPLE_AppDefined, "%s:%u: %s", path.c_str(), message.source.line,
                     text.c_str());
        else
            CPLError(CE_Warning, CPLE_AppDefined, "%s: %s", path.c_str(), text.c_str());
    }
}

} // namespace OrvaGdal
