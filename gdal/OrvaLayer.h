// The four layers of a dataset (points, stations, observations, messages), each a view of the
// dataset's record store: a feature is made when it is asked for, its FID the 1-based place of its
// record in file order, the same on every open.
#pragma once

#include "gdal/RecordStore.h"
#include "host/kit/DisplayUnits.h"

#include <ogrsf_frmts.h>

#include <array>

namespace OrvaGdal
{

enum class LayerKind
{
    Points,
    Stations,
    Observations,
    Messages
};

// The fields of the layers, each looked up once by name.
enum class Field
{
    Name,
    Code,
    Class,
    North,
    East,
    Elevation,
    InstrumentHeight,
    Temperature,
    Pressure,
    Station,
    StationFid,
    Target,
    HorizontalAngle,
    VerticalAngle,
    SlopeDistance,
    ReflectorHeight,
    Date,
    VerticalAngleOffset,
    Kind,
    Text,
    File,
    Line,
    Count
};

class COrvaLayer final : public OGRLayer, public OGRGetNextFeatureThroughRaw<COrvaLayer>
{
    DEFINE_GET_NEXT_FEATURE_THROUGH_RAW(COrvaLayer)

public:
    // The store and the reference system outlive the layer (both belong to the dataset); srs may
    // be null.
    COrvaLayer(LayerKind kind, const CRecordStore& store, const Host::CDisplayUnits& units,
               OGRSpatialReference* srs);
    ~COrvaLayer() override;

    COrvaLayer(const COrvaLayer&) = delete;
    COrvaLayer& operator=(const COrvaLayer&) = delete;

    OGRFeatureDefn* GetLayerDefn() override { return m_definition; }
    void ResetReading() override { m_next = 0; }
    OGRFeature* GetNextRawFeature();
    OGRFeature* GetFeature(GIntBig fid) override;
    GIntBig GetFeatureCount(int force) override;
    int TestCapability(const char* capability) override;
    // From the records, without making a feature.
    OGRErr GetExtent(OGREnvelope* extent, int force) override;
    OGRErr GetExtent(int geometryField, OGREnvelope* extent, int force) override
    {
        return OGRLayer::GetExtent(geometryField, extent, force);
    }

private:
    struct CField
    {
        const char* name;
        OGRFieldType type;
        Field id;
    };
    void AddFields(std::initializer_list<CField> fields);
    std::size_t RecordCount() const;
    // The feature of record index, or null for want of memory.
    OGRFeature* MakeFeature(std::size_t index) const;
    void FillPoint(OGRFeature& feature, std::size_t index) const;
    void FillStation(OGRFeature& feature, std::size_t index) const;
    void FillObservation(OGRFeature& feature, std::size_t index) const;
    void FillMessage(OGRFeature& feature, std::size_t index) const;
    void SetSource(OGRFeature& feature, const CSourceLine& source) const;
    int Index(Field field) const { return m_fields[static_cast<std::size_t>(field)]; }
    void Put(OGRFeature& feature, Field field, const char* text) const;
    void Put(OGRFeature& feature, Field field, double value) const;
    void Put(OGRFeature& feature, Field field, int value) const;
    void Put(OGRFeature& feature, Field field, GIntBig value) const;
    void SetText(OGRFeature& feature, Field field, CTextRef text) const;
    void SetLength(OGRFeature& feature, Field field, double metres) const;
    void SetAngle(OGRFeature& feature, Field field, double radians) const;
    // The point at the place of the point with that FID, without elevation when it has none;
    // null for 0.
    OGRPoint* PointAt(std::uint32_t pointFid) const;
    static OGRLineString* RayBetween(const CPointRow& start, const CPointRow& end);

    LayerKind m_kind;
    const CRecordStore& m_store;
    Host::CDisplayUnits m_units;
    // The SRS open option's system, or null; the dataset's, which outlives the layer.
    OGRSpatialReference* m_srs;
    OGRFeatureDefn* m_definition;
    // The index of each field in the definition; -1 for the fields of other layers.
    std::array<int, static_cast<std::size_t>(Field::Count)> m_fields;
    std::size_t m_next = 0;
};

} // namespace OrvaGdal
