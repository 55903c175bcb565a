// Reads every feature of every layer of a vector dataset through GDAL's C interface and lets each
// go, as the lightest reader a GDAL program can be: what is left is the driver's own cost and
// that of the features GDAL makes. Prints the features read and the seconds taken.
//   orva_gdal_read FILE [NAME=VALUE...]   (open options)
#include <gdal.h>
#include <ogr_api.h>

#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: orva_gdal_read FILE [NAME=VALUE...]\n");
        return 2;
    }
    GDALAllRegister();
    std::vector<const char*> options(argv + 2, argv + argc);
    options.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    GDALDatasetH dataset =
        GDALOpenEx(argv[1], GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, options.data(), nullptr);
    if (!dataset)
        return 1;
    long long features = 0;
    for (int i = 0; i < GDALDatasetGetLayerCount(dataset); ++i)
    {
        OGRLayerH layer = GDALDatasetGetLayer(dataset, i);
        while (OGRFeatureH feature = OGR_L_GetNextFeature(layer))
        {
            ++features;
            OGR_F_Destroy(feature);
        }
    }
    GDALClose(dataset);
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    std::printf("%lld features in %.2f s\n", features, taken.count());
    return 0;
}
