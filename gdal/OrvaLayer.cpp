#include "gdal/OrvaLayer.h"

#include <cmath>
#include <memory>
#include <new>

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

bool Known(double value)
{
    return !std::isnan(value);
}

} // namespace

COrvaLayer::COrvaLayer(LayerKind kind, const CRecordStore& store, const Host::CDisplayUnits& units,
                       OGRSpatialReference* srs)
    : m_kind(kind), m_store(store), m_units(units), m_srs(srs),
      m_definition(new OGRFeatureDefn(LayerName(kind)))
{
    m_fields.fill(-1);
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
        AddFields({{"name", OFTString, Field::Name},
                   {"code", OFTString, Field::Code},
                   {"class", OFTInteger, Field::Class},
                   {"north", OFTReal, Field::North},
                   {"east", OFTReal, Field::East},
                   {"elevation", OFTReal, Field::Elevation}});
        break;
    case LayerKind::Stations:
        AddFields({{"name", OFTString, Field::Name},
                   {"instrument_height", OFTReal, Field::InstrumentHeight},
                   {"temperature", OFTReal, Field::Temperature},
                   {"pressure", OFTReal, Field::Pressure}});
        break;
    case LayerKind::Observations:
        AddFields({{"station", OFTString, Field::Station},
                   {"station_fid", OFTInteger64, Field::StationFid},
                   {"target", OFTString, Field::Target},
                   {"code", OFTString, Field::Code},
                   {"horizontal_angle", angle, Field::HorizontalAngle},
                   {"vertical_angle", angle, Field::VerticalAngle},
                   {"slope_distance", OFTReal, Field::SlopeDistance},
                   {"reflector_height", OFTReal, Field::ReflectorHeight},
                   {"date", OFTDate, Field::Date},
                   {"vertical_angle_offset", angle, Field::VerticalAngleOffset}});
        break;
    case LayerKind::Messages:
        AddFields({{"kind", OFTString, Field::Kind}, {"text", OFTString, Field::Text}});
        break;
    }
    AddFields({{"file", OFTString, Field::File}, {"line", OFTInteger, Field::Line}});
}

void COrvaLayer::AddFields(std::initializer_list<CField> fields)
{
    for (const CField& field : fields)
    {
        OGRFieldDefn column(field.name, field.type);
        m_definition->AddFieldDefn(&column);
        m_fields[static_cast<std::size_t>(field.id)] = m_definition->GetFieldCount() - 1;
    }
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
    if (EQUAL(capability, OLCFastFeatureCount) || EQUAL(capability, OLCFastGetExtent))
        return !m_poFilterGeom && !m_poAttrQuery;
    if (EQUAL(capability, OLCZGeometries))
        return m_kind != LayerKind::Messages;
    return FALSE;
}

OGRErr COrvaLayer::GetExtent(OGREnvelope* extent, int force)
{
    if (m_kind == LayerKind::Messages)
        return OGRERR_FAILURE;
    if (m_poFilterGeom || m_poAttrQuery)
        return OGRLayer::GetExtent(extent, force);
    // Stations and rays stand on the points, so the points' extent bounds them; only points
    // that carry a geometry of a layer count.
    OGREnvelope found;
    auto include = [&found](const CPointRow& point) { found.Merge(point.east, point.north); };
    if (m_kind == LayerKind::Points)
    {
        for (const CPointRow& point : m_store.Points())
            if (Known(point.north) && Known(point.east))
                include(point);
    }
    else if (m_kind == LayerKind::Stations)
    {
        for (const CStationRow& station : m_store.Stations())
            if (station.pointFid)
                include(m_store.Points()[station.pointFid - 1]);
    }
    else
    {
        for (const CObservationRow& ray : m_store.Observations())
        {
            const std::uint32_t from =
                ray.stationFid ? m_store.Stations()[ray.stationFid - 1].pointFid : 0;
            if (!from || !ray.targetPointFid)
                continue;
            include(m_store.Points()[from - 1]);
            include(m_store.Points()[ray.targetPointFid - 1]);
        }
    }
    if (!found.IsInit())
        return OGRERR_FAILURE;
    *extent = found;
    return OGRERR_NONE;
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
        // A geometry carries its layer's reference system, as GDAL's own drivers give it.
        if (OGRGeometry* geometry = feature->GetGeometryRef(); geometry && m_srs)
            geometry->assignSpatialReference(m_srs);
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
    Put(feature, Field::File, m_store.Files()[source.file].path.c_str());
    if (source.line)
        Put(feature, Field::Line,
            static_cast<int>(std::min<std::uint32_t>(source.line, INT32_MAX)));
}

// A feature is made whole here, each field set once and with a value of the type that the layer
// defines for it: then GDAL's setters that skip the look-up of the field's definition serve, and
// they take a copy of a text that GDAL frees with the feature.
void COrvaLayer::Put(OGRFeature& feature, Field field, const char* text) const
{
    char* copy = VSIStrdup(text);
    if (!copy)
        throw std::bad_alloc();
    feature.SetFieldSameTypeUnsafe(Index(field), copy);
}

void COrvaLayer::Put(OGRFeature& feature, Field field, double value) const
{
    feature.SetFieldSameTypeUnsafe(Index(field), value);
}

void COrvaLayer::Put(OGRFeature& feature, Field field, int value) const
{
    feature.SetFieldSameTypeUnsafe(Index(field), value);
}

void COrvaLayer::Put(OGRFeature& feature, Field field, GIntBig value) const
{
    feature.SetFieldSameTypeUnsafe(Index(field), value);
}

void COrvaLayer::SetText(OGRFeature& feature, Field field, CTextRef text) const
{
    if (const char* value = m_store.CString(text))
        Put(feature, field, value);
}

void COrvaLayer::SetLength(OGRFeature& feature, Field field, double metres) const
{
    if (!Known(metres))
        return;
    if (const std::optional<double> shown = Host::DisplayLength(metres, m_units.length))
        Put(feature, field, *shown);
}

void COrvaLayer::SetAngle(OGRFeature& feature, Field field, double radians) const
{
    if (!Known(radians))
        return;
    const std::optional<double> shown = Host::DisplayAngle(radians, m_units.angle);
    if (!shown)
        return;
    if (m_units.angle == Host::AngleDisplay::DegreesMinutesSeconds)
        Put(feature, field, Host::DmsText(*shown).c_str());
    else
        Put(feature, field, *shown);
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
    SetText(feature, Field::Name, point.name);
    SetText(feature, Field::Code, point.code);
    if (point.hasClass)
        Put(feature, Field::Class, static_cast<int>(point.pointClass));
    SetLength(feature, Field::North, point.north);
    SetLength(feature, Field::East, point.east);
    SetLength(feature, Field::Elevation, point.elevation);
    SetSource(feature, point.source);
    if (Known(point.north) && Known(point.east))
        feature.SetGeometryDirectly(PointAt(static_cast<std::uint32_t>(index + 1)));
}

void COrvaLayer::FillStation(OGRFeature& feature, std::size_t index) const
{
    const CStationRow& station = m_store.Stations()[index];
    SetText(feature, Field::Name, station.name);
    SetLength(feature, Field::InstrumentHeight, station.instrumentHeight);
    if (Known(station.temperature))
        Put(feature, Field::Temperature, station.temperature);
    if (Known(station.pressure))
        Put(feature, Field::Pressure, station.pressure);
    SetSource(feature, station.source);
    if (OGRPoint* place = PointAt(station.pointFid))
        feature.SetGeometryDirectly(place);
}

// A ray has heights only where both of its ends have one. Its two vertices are set in place: a
// million rays made through points of their own cost an allocation each more.
OGRLineString* COrvaLayer::RayBetween(const CPointRow& start, const CPointRow& end)
{
    auto ray = std::make_unique<OGRLineString>();
    ray->setNumPoints(2, FALSE);
    if (Known(start.elevation) && Known(end.elevation))
    {
        ray->setPoint(0, start.east, start.north, start.elevation);
        ray->setPoint(1, end.east, end.north, end.elevation);
    }
    else
    {
        ray->setPoint(0, start.east, start.north);
        ray->setPoint(1, end.east, end.north);
    }
    return ray.release();
}

void COrvaLayer::FillObservation(OGRFeature& feature, std::size_t index) const
{
    const CObservationRow& observation = m_store.Observations()[index];
    if (observation.stationFid)
    {
        SetText(feature, Field::Station, m_store.Stations()[observation.stationFid - 1].name);
        Put(feature, Field::StationFid, static_cast<GIntBig>(observation.stationFid));
    }
    SetText(feature, Field::Target, observation.target);
    SetText(feature, Field::Code, observation.code);
    SetAngle(feature, Field::HorizontalAngle, observation.horizontalAngle);
    SetAngle(feature, Field::VerticalAngle, observation.verticalAngle);
    SetLength(feature, Field::SlopeDistance, observation.slopeDistance);
    SetLength(feature, Field::ReflectorHeight, observation.reflectorHeight);
    if (observation.date)
        feature.SetField(Index(Field::Date), static_cast<int>(observation.date / 10000),
                         static_cast<int>(observation.date / 100 % 100),
                         static_cast<int>(observation.date % 100));
    SetAngle(feature, Field::VerticalAngleOffset, observation.verticalAngleOffset);
    SetSource(feature, observation.source);
    const std::uint32_t from =
        observation.stationFid ? m_store.Stations()[observation.stationFid - 1].pointFid : 0;
    if (from && observation.targetPointFid)
        feature.SetGeometryDirectly(RayBetween(m_store.Points()[from - 1],
                                               m_store.Points()[observation.targetPointFid - 1]));
}

void COrvaLayer::FillMessage(OGRFeature& feature, std::size_t index) const
{
    const CMessageRow& message = m_store.Messages()[index];
    Put(feature, Field::Kind, message.warning ? "warning" : "message");
    SetText(feature, Field::Text, message.text);
    SetSource(feature, message.source);
}

} // namespace OrvaGdal
