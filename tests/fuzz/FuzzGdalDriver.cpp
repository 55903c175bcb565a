// The GDAL driver fuzzed: arbitrary bytes as a file in GDAL's memory file system, opened with
// the driver alone and read through every feature of every layer, by FID too. The first byte
// chooses the open options. GDAL's errors are quiet; a crash, a leak or undefined behaviour is a
// finding.
#include <gdal.h>
#include <ogr_api.h>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>

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
    const char* options[4] = {nullptr, nullptr, nullptr, nullptr};
    int count = 0;
    if (selector & 1)
        options[count++] = "ANGLES=dms";
    if (selector & 2)
        options[count++] = "LENGTHS=usft";
    if (selector & 4)
        options[count++] = "ENCODING=1251";
    auto* bytes = static_cast<GByte*>(CPLMalloc(size - 1 + 1));
    std::memcpy(bytes, data + 1, size - 1);
    VSIFCloseL(VSIFileFromMemBuffer(Path, bytes, size - 1, TRUE));
    const char* const drivers[] = {"ORVA", nullptr};
    if (GDALDatasetH dataset =
            GDALOpenEx(Path, GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, options, nullptr))
    {
        for (int i = 0; i < GDALDatasetGetLayerCount(dataset); ++i)
            ReadLayer(GDALDatasetGetLayer(dataset, i));
        GDALClose(dataset);
    }
    VSIUnlink(Path);
    return 0;
}
