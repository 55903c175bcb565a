#include "gdal/OrvaLayer.h"

#include <cmath>
#include <memory>

namespace OrvaGdal
{
namespace
{

const char* LayerName(LayerKind kind)
{
    switch (kind)
    {
    case LayerKind::Points:
        break;
    case LayerKind::Stations:
        return "stations";
    case LayerKind::Observations:
        return "observations";
    case LayerKind::Messages:
        return "messages";
    }
    return "points";
}

OGRwkbGeometryType GeometryType(LayerKind kind)
{
    switch (kind)
    {
    case LayerKind::Points:
    case LayerKind::Stations:
        return wkbPoint25D;
    case LayerKind::Observations:
        return wkbLineString25D;
    case LayerKind::Messages:
        break;
    }
    return wkbNone;
}

struct CField
{
    const char* name;
    OGRFieldType type;
};

void AddFields(OGRFeatureDefn& definition, std::initializer_list<CField> fields)
{
    for (const CField& field : fields)
    {
        OGRFieldDefn column(field.name, field.type);
        definition.AddFieldDefn(&column);
    }
}

bool Known(double value)
{
    return !std::isnan(value);
}

} // namespace

COrvaLayer::COrvaLayer(LayerKind kind, const CRecordStore& store, const Host::CDisplayUnits& units,
                       OGRSpatialReference* srs)
    : m_kind(kind), m_store(store), m_units(units),
      m_definition(new OGRFeatureDefn(LayerName(kind)))
{
    m_definition->Reference();
    m_definition->SetGeomType(GeometryType(kind));
    if (m_definition->GetGeomFieldCount() > 0)
        m_definition->GetGeomFieldDefn(0)->SetSpatialRef(srs);
    SetDescription(m_definition->GetName());
    // An angle shown as degrees, minutes and seconds is a text, as in CSV.
    const OGRFieldType angle =
        units.angle == Host::AngleDisplay::DegreesMinutesSeconds ? OFTString : OFTReal;
    switch (kind)
    {
    case LayerKind::Points:
        AddFields(*m_definition, {{"name", OFTString},
                                  {"code", OFTString},
                                  {"class", OFTInteger},
                                  {"north", OFTReal},
                                  {"east", OFTReal},
                                  {"elevation", OFTReal}});
        break;
    case LayerKind::Stations:
        AddFields(*m_definition, {{"name", OFTString},
                                  {"instrument_height", OFTReal},
                                  {"temperature", OFTReal},
                                  {"pressure", OFTReal}});
        break;
    case LayerKind::Observations:
        AddFields(*m_definition, {{"station", OFTString},
                                  {"station_fid", OFTInteger64},
                                  {"target", OFTString},
                                  {"code", OFTString},
                                  {"horizontal_angle", angle},
                                  {"vertical_angle", angle},
                                  {"slope_distance", OFTReal},
                                  {"reflector_height", OFTReal},
                                  {"date", OFTDate},
                                  {"vertical_angle_offset", angle}});
        break;
    case LayerKind::Messages:
        AddFields(*m_definition, {{"kind", OFTString}, {"text", OFTString}});
        break;
    }
    AddFields(*m_definition, {{"file", OFTString}, {"line", OFTInteger}});
}

COrvaLayer::~COrvaLayer()
{
    m_definition->Release();
}

std::size_t COrvaLayer::RecordCount() const
{
    switch (m_kind)
    {
    case LayerKind::Points:
        break;
    case LayerKind::Stations:
        return m_store.Stations().size();
    case LayerKind::Observations:
        return m_store.Observations().size();
    case LayerKind::Messages:
        return m_store.Messages().size();
    }
    return m_store.Points().size();
}

OGRFeature* COrvaLayer::GetNextRawFeature()
{
    if (m_next >= RecordCount())
        return nullptr;
    return MakeFeature(m_next++);
}

OGRFeature* COrvaLayer::GetFeature(GIntBig fid)
{
    if (fid < 1 || static_cast<std::uint64_t>(fid) > RecordCount())
        return nullptr;
    return MakeFeature(static_cast<std::size_t>(fid - 1));
}

GIntBig COrvaLayer::GetFeatureCount(int force)
{
    if (m_poFilterGeom || m_poAttrQuery)
        return OGRLayer::GetFeatureCount(force);
    return static_cast<GIntBig>(RecordCount());
}

int COrvaLayer::TestCapability(const char* capability)
{
    if (EQUAL(capability, OLCRandomRead) || EQUAL(capability, OLCStringsAsUTF8))
        return TRUE;
    if (EQUAL(capability, OLCFastFeatureCount))
        return !m_poFilterGeom && !m_poAttrQuery;
    if (EQUAL(capability, OLCZGeometries))
        return m_kind != LayerKind::Messages;
    return FALSE;
}

OGRFeature* COrvaLayer::MakeFeature(std::size_t index) const
{
    try
    {
        auto feature = std::make_unique<OGRFeature>(m_definition);
        feature->SetFID(static_cast<GIntBig>(index) + 1);
        switch (m_kind)
        {
        case LayerKind::Points:
            FillPoint(*feature, index);
            break;
        case LayerKind::Stations:
            FillStation(*feature, index);
            break;
        case LayerKind::Observations:
            FillObservation(*feature, index);
            break;
        case LayerKind::Messages:
            FillMessage(*feature, index);
            break;
        }
        return feature.release();
    }
    catch (const std::exception&)
    {
        CPLError(CE_Failure, CPLE_OutOfMemory, "ORVA: out of memory making a feature");
        return nullptr;
    }
}

void COrvaLayer::SetSource(OGRFeature& feature, const CSourceLine& source) const
{
    feature.SetField("file", m_store.Files()[source.file].path.c_str());
    if (source.line)
        feature.SetField("line", static_cast<int>(std::min<std::uint32_t>(source.line, INT32_MAX)));
}

void COrvaLayer::SetText(OGRFeature& feature, const char* field, CTextRef text) const
{
    if (!CRecordStore::HasText(text))
        return;
    const std::string_view view = m_store.Text(text);
    feature.SetField(field, std::string(view).c_str());
}

void COrvaLayer::SetLength(OGRFeature& feature, const char* field, double metres) const
{
    if (!Known(metres))
        return;
    if (const std::optional<double> shown = Host::DisplayLength(metres, m_units.length))
        feature.SetField(field, *shown);
}

void COrvaLayer::SetAngle(OGRFeature& feature, const char* field, double radians) const
{
    if (!Known(radians))
        return;
    const std::optional<double> shown = Host::DisplayAngle(radians, m_units.angle);
    if (!shown)
        return;
    if (m_units.angle == Host::AngleDisplay::DegreesMinutesSeconds)
        feature.SetField(field, Host::DmsText(*shown).c_str());
    else
        feature.SetField(field, *shown);
}

OGRPoint* COrvaLayer::PointAt(std::uint32_t pointFid) const
{
    if (pointFid == 0)
        return nullptr;
    const CPointRow& point = m_store.Points()[pointFid - 1];
    return Known(point.elevation) ? new OGRPoint(point.east, point.north, point.elevation)
                                  : new OGRPoint(point.east, point.north);
}

void COrvaLayer::FillPoint(OGRFeature& feature, std::size_t index) const
{
    const CPointRow& point = m_store.Points()[index];
    SetText(feature, "name", point.name);
    SetText(feature, "code", point.code);
    if (point.hasClass)
        feature.SetField("class", point.pointClass);
    SetLength(feature, "north", point.north);
    SetLength(feature, "east", point.east);
    SetLength(feature, "elevation", point.elevation);
    SetSource(feature, point.source);
    if (Known(point.north) && Known(point.east))
        feature.SetGeometryDirectly(PointAt(static_cast<std::uint32_t>(index + 1)));
}

void COrvaLayer::FillStation(OGRFeature& feature, std::size_t index) const
{
    const CStationRow& station = m_store.Stations()[index];
    SetText(feature, "name", station.name);
    SetLength(feature, "instrument_height", station.instrumentHeight);
    if (Known(station.temperature))
        feature.SetField("temperature", station.temperature);
    if (Known(station.pressure))
        feature.SetField("pressure", station.pressure);
    SetSource(feature, station.source);
    if (OGRPoint* place = PointAt(station.pointFid))
        feature.SetGeometryDirectly(place);
}

void COrvaLayer::FillObservation(OGRFeature& feature, std::size_t index) const
{
    const CObservationRow& observation = m_store.Observations()[index];
    if (observation.stationFid)
    {
        SetText(feature, "station", m_store.Stations()[observation.stationFid - 1].name);
        feature.SetField("station_fid", static_cast<GIntBig>(observation.stationFid));
    }
    SetText(feature, "target", observation.target);
    SetText(feature, "code", observation.code);
    SetAngle(feature, "horizontal_angle", observation.horizontalAngle);
    SetAngle(feature, "vertical_angle", observation.verticalAngle);
    SetLength(feature, "slope_distance", observation.slopeDistance);
    SetLength(feature, "reflector_height", observation.reflectorHeight);
    if (observation.date)
        feature.SetField(feature.GetFieldIndex("date"), static_cast<int>(observation.date / 10000),
                         static_cast<int>(observation.date / 100 % 100),
                         static_cast<int>(observation.date % 100));
    SetAngle(feature, "vertical_angle_offset", observation.verticalAngleOffset);
    SetSource(feature, observation.source);
    const std::uint32_t from =
        observation.stationFid ? m_store.Stations()[observation.stationFid - 1].pointFid : 0;
    if (from && observation.targetPointFid)
    {
        std::unique_ptr<OGRPoint> start(PointAt(from));
        std::unique_ptr<OGRPoint> end(PointAt(observation.targetPointFid));
        auto ray = std::make_unique<OGRLineString>();
        ray->addPoint(start.get());
        ray->addPoint(end.get());
        // A ray has heights only where both of its ends have one.
        if (!start->Is3D() || !end->Is3D())
            ray->flattenTo2D();
        feature.SetGeometryDirectly(ray.release());
    }
}

void COrvaLayer::FillMessage(OGRFeature& feature, std::size_t index) const
{
    const CMessageRow& message = m_store.Messages()[index];
    feature.SetField("kind", message.warning ? "warning" : "message");
    SetText(feature, "text", message.text);
    SetSource(feature, message.source);
}

} // namespace OrvaGdal
