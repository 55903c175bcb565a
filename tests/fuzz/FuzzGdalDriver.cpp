// The GDAL driver fuzzed: arbitrary bytes as a file in GDAL's memory file system, opened with
// the driver alone and read through every feature of every layer, by FID too, and the first
// feature of each layer read again after the dataset is closed. The first byte chooses the open
// options. GDAL's errors are quiet; a crash, a leak or undefined behaviour is a finding.
#include <gdal.h>
#include <ogr_api.h>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <ogr_srs_api.h>

#include <cstdint>
#include <cstring>

extern "C" void RegisterOGRORVA();

namespace
{

constexpr const char* Path = "/vsimem/fuzz.idx";

void ReadLayer(OGRLayerH layer)
{
    OGR_L_ResetReading(layer);
    GIntBig read = 0;
    while (OGRFeatureH feature = OGR_L_GetNextFeature(layer))
    {
        ++read;
        OGR_F_Destroy(feature);
    }
    if (OGR_L_GetFeatureCount(layer, TRUE) != read)
        __builtin_trap();
    for (GIntBig fid : {GIntBig{0}, GIntBig{1}, read, read + 1})
        if (OGRFeatureH feature = OGR_L_GetFeature(layer, fid))
            OGR_F_Destroy(feature);
}

// A feature of the layer's that a caller keeps after the dataset is closed, as scripts do.
OGRFeatureH KeepFirst(OGRLayerH layer)
{
    return OGR_L_GetFeature(layer, 1);
}

// Everything a feature holds, read after its dataset has gone: its definition, its fields, its
// geometry and the geometry's reference system are its own or shared by reference.
void ReadKept(OGRFeatureH feature)
{
    OGRFeatureDefnH definition = OGR_F_GetDefnRef(feature);
    for (int i = 0; i < OGR_FD_GetFieldCount(definition); ++i)
        if (OGR_F_IsFieldSetAndNotNull(feature, i))
            OGR_F_GetFieldAsString(feature, i);
    for (int i = 0; i < OGR_FD_GetGeomFieldCount(definition); ++i)
        if (OGRSpatialReferenceH srs =
                OGR_GFld_GetSpatialRef(OGR_FD_GetGeomFieldDefn(definition, i)))
            OSRIsProjected(srs);
    if (OGRGeometryH geometry = OGR_F_GetGeometryRef(feature))
    {
        char* text = nullptr;
        if (OGR_G_ExportToWkt(geometry, &text) == OGRERR_NONE)
            CPLFree(text);
    }
    OGR_F_Destroy(feature);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterOGRORVA();
    CPLSetErrorHandler(CPLQuietErrorHandler);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t selector = data[0];
    const char* options[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    int count = 0;
    if (selector & 1)
        options[count++] = "ANGLES=dms";
    if (selector & 2)
        options[count++] = "LENGTHS=usft";
    if (selector & 4)
        options[count++] = "ENCODING=1251";
    // A projected system from its parameters, which costs no look-up in PROJ's database.
    if ((selector & 24) == 24)
        options[count++] = "SRS=+proj=utm +zone=37 +datum=WGS84 +units=m +no_defs";
    auto* bytes = static_cast<GByte*>(CPLMalloc(size - 1 + 1));
    std::memcpy(bytes, data + 1, size - 1);
    VSIFCloseL(VSIFileFromMemBuffer(Path, bytes, size - 1, TRUE));
    const char* const drivers[] = {"ORVA", nullptr};
    if (GDALDatasetH dataset =
            GDALOpenEx(Path, GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, options, nullptr))
    {
        OGRFeatureH kept[8] = {};
        const int layers = GDALDatasetGetLayerCount(dataset);
        for (int i = 0; i < layers; ++i)
        {
            OGRLayerH layer = GDALDatasetGetLayer(dataset, i);
            ReadLayer(layer);
            if (i < 8)
                kept[i] = KeepFirst(layer);
        }
        GDALClose(dataset);
        for (OGRFeatureH feature : kept)
            if (feature)
                ReadKept(feature);
    }
    VSIUnlink(Path);
    return 0;
}
