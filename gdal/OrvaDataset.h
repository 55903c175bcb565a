// One *.idx file opened in GDAL: read once, when it is opened, by the same reader as the plug-in's
// (through GDAL's virtual files), into a compact store that its four layers show.
#pragma once

#include "gdal/OrvaLayer.h"
#include "gdal/RecordStore.h"
#include "host/kit/DisplayUnits.h"

#include <gdal_priv.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace OrvaGdal
{

// What the open options ask for.
struct COpenSettings
{
    unsigned codePage = 0;
    Host::CDisplayUnits units;
    // Empty: the grid has no stated reference system.
    std::string srs;
};

class COrvaDataset final : public GDALDataset
{
public:
    // Reads the file at path; null, with the reason told through CPLError, when it cannot be read
    // or is not one of ours after all.
    static COrvaDataset* Read(const std::string& path, const COpenSettings& settings);

    int GetLayerCount() override { return static_cast<int>(m_layers.size()); }
    OGRLayer* GetLayer(int index) override;
    int TestCapability(const char*) override { return FALSE; }

private:
    COrvaDataset() = default;
    void MakeLayers(const COpenSettings& settings);
    // The units in force, separator, terminator and date order, as metadata.
    void DescribeFiles();
    // Each message and warning once, as a warning of GDAL with its file and line.
    void ReportMessages() const;

    CRecordStore m_store;
    // GDAL counts the references to a reference system: the layers' definitions, and through
    // them features that outlive the dataset, hold their own. The dataset gives its one back.
    struct CReleaseReference
    {
        void operator()(OGRSpatialReference* srs) const { srs->Release(); }
    };
    std::unique_ptr<OGRSpatialReference, CReleaseReference> m_srs;
    std::vector<std::unique_ptr<COrvaLayer>> m_layers;
};

} // namespace OrvaGdal
