// The GDAL/OGR driver "ORVA": *.idx survey exchange files in every GDAL program. GDAL loads it as
// the plug-in ogr_ORVA.so and calls RegisterOGRORVA, its only export.
#include "gdal/OrvaDataset.h"
#include "host/kit/Encodings.h"
#include "host/kit/RecordReceiver.h"
#include "platform/Platform.h"
#include "plugin/ReaderCore.h"

#include <gdal_priv.h>

#include <algorithm>
#include <cstring>

namespace OrvaGdal
{
namespace
{

// The first block of a file, which GDAL has read already, as a source for the reader.
class CBlockSource final : public IByteSource
{
public:
    CBlockSource(const GByte* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}

    bool Read(char* buffer, std::size_t size, std::size_t& got) noexcept override
    {
        got = std::min(size, m_size - m_at);
        std::memcpy(buffer, m_bytes + m_at, got);
        m_at += got;
        return true;
    }
    bool IsRewindable() const noexcept override { return true; }
    bool Rewind() noexcept override
    {
        m_at = 0;
        return true;
    }

private:
    const GByte* m_bytes;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// A file is ours when the reader, given its first block, opens a section it knows: the same
// reading as the import's, so that no second grammar decides what the format is. Every file any
// GDAL program opens comes here: nothing is read beyond the block, and nothing is said.
int Identify(GDALOpenInfo* info)
{
    if (!info->fpL || info->nHeaderBytes == 0)
        return FALSE;
    try
    {
        CBlockSource block(info->pabyHeader, static_cast<std::size_t>(info->nHeaderBytes));
        Host::CRecordReceiver probe(nullptr, {});
        ImportSource(std::wstring(), &block, &probe);
        probe.Finish();
        return probe.Files() == 1 && probe.FilesNotImported() == 0;
    }
    catch (...)
    {
        return FALSE;
    }
}

template <class Value>
bool Choose(const char* text, const std::vector<std::pair<std::string, Value>>& names, Value& value)
{
    for (const auto& [name, choice] : names)
        if (EQUAL(text, name.c_str()))
        {
            value = choice;
            return true;
        }
    return false;
}

// The open options; false, with the reason told, for a value that means nothing.
bool ReadOpenOptions(CSLConstList options, COpenSettings& settings)
{
    settings.codePage = Host::DefaultCodePage();
    if (const char* encoding = CSLFetchNameValue(options, "ENCODING"))
    {
        const std::optional<unsigned> codePage = Host::CodePageByName(encoding);
        if (!codePage || !Platform::SelectThreadCodePage(*codePage))
        {
            CPLError(CE_Failure, CPLE_IllegalArg, "ORVA: ENCODING=%s cannot be decoded", encoding);
            return false;
        }
        settings.codePage = *codePage;
    }
    if (const char* angles = CSLFetchNameValue(options, "ANGLES"))
        if (!Choose(angles, Host::AngleDisplayNames(), settings.units.angle))
        {
            CPLError(CE_Failure, CPLE_IllegalArg, "ORVA: ANGLES=%s is not rad, deg, gon or dms",
                     angles);
            return false;
        }
    if (const char* lengths = CSLFetchNameValue(options, "LENGTHS"))
        if (!Choose(lengths, Host::LengthDisplayNames(), settings.units.length))
        {
            CPLError(CE_Failure, CPLE_IllegalArg, "ORVA: LENGTHS=%s is not m, ft or usft", lengths);
            return false;
        }
    if (const char* srs = CSLFetchNameValue(options, "SRS"))
        settings.srs = srs;
    return true;
}

GDALDataset* Open(GDALOpenInfo* info)
{
    if (!Identify(info))
        return nullptr;
    if (info->eAccess == GA_Update)
    {
        CPLError(CE_Failure, CPLE_NotSupported, "ORVA: %s can be opened for reading only",
                 info->pszFilename);
        return nullptr;
    }
    COpenSettings settings;
    if (!ReadOpenOptions(info->papszOpenOptions, settings))
        return nullptr;
    return COrvaDataset::Read(info->pszFilename, settings);
}

constexpr const char* OpenOptions =
    "<OpenOptionList>"
    "  <Option name='ENCODING' type='string' description='Code page of files without a "
    "byte-order mark: a number such as 1251 or a name such as cp1251, koi8-r, utf-8' "
    "default='1252'/>"
    "  <Option name='ANGLES' type='string-select' description='Unit of the angle fields' "
    "default='rad'><Value>rad</Value><Value>deg</Value><Value>gon</Value><Value>dms</Value>"
    "</Option>"
    "  <Option name='LENGTHS' type='string-select' description='Unit of the length fields' "
    "default='m'><Value>m</Value><Value>ft</Value><Value>usft</Value></Option>"
    "  <Option name='SRS' type='string' description='Reference system of the grid, as "
    "OGRSpatialReference::SetFromUserInput takes it (EPSG:3833, a WKT, a PROJ string)'/>"
    "</OpenOptionList>";

} // namespace
} // namespace OrvaGdal

#if defined(_WIN32)
#define ORVA_GDAL_EXPORT __declspec(dllexport)
#else
#define ORVA_GDAL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" ORVA_GDAL_EXPORT void RegisterOGRORVA()
{
    if (!GDAL_CHECK_VERSION("ORVA"))
        return;
    if (GDALGetDriverByName("ORVA"))
        return;
    auto* driver = new GDALDriver();
    driver->SetDescription("ORVA");
    driver->SetMetadataItem(GDAL_DCAP_VECTOR, "YES");
    driver->SetMetadataItem(GDAL_DMD_LONGNAME, "ORVA survey exchange file (*.idx)");
    driver->SetMetadataItem(GDAL_DMD_EXTENSION, "idx");
    driver->SetMetadataItem(GDAL_DMD_HELPTOPIC, "docs/gdal.md");
    driver->SetMetadataItem(GDAL_DCAP_VIRTUALIO, "YES");
    driver->SetMetadataItem(GDAL_DCAP_Z_GEOMETRIES, "YES");
    driver->SetMetadataItem(GDAL_DCAP_MULTIPLE_VECTOR_LAYERS, "YES");
    driver->SetMetadataItem(GDAL_DMD_SUPPORTED_SQL_DIALECTS, "OGRSQL SQLITE");
    driver->SetMetadataItem(GDAL_DMD_OPENOPTIONLIST, OrvaGdal::OpenOptions);
    driver->pfnIdentify = OrvaGdal::Identify;
    driver->pfnOpen = OrvaGdal::Open;
    GetGDALDriverManager()->RegisterDriver(driver);
}
