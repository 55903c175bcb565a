"""The ORVA driver as GDAL's own programs and Python bindings see it: layers, fields, geometries
and FIDs of the examples, filters and SQL, virtual files, open options, conversion to other
formats and back, and the files it must not claim. Run with GDAL_DRIVER_PATH naming the folder of
ogr_ORVA.so and the source tree as the working directory."""
import io
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

from osgeo import gdal, ogr

gdal.UseExceptions()
JOB = "examples/survey-job.idx"
SITE = "examples/site-control-points.idx"


# The Python bindings let a dataset go while its layers are still in use: each test keeps the
# dataset in a variable of its own for as long as it reads the layers.
def open_vector(path, **options):
    return gdal.OpenEx(path, gdal.OF_VECTOR | gdal.OF_READONLY,
                       open_options=[f"{k}={v}" for k, v in options.items()])


def features(layer):
    layer.ResetReading()
    return list(layer)


class ExampleLayers(unittest.TestCase):
    def test_layers_counts_and_geometries(self):
        dataset = open_vector(JOB)
        self.assertEqual("ORVA", dataset.GetDriver().ShortName)
        expected = [("points", ogr.wkbPoint25D, 4), ("stations", ogr.wkbPoint25D, 2),
                    ("observations", ogr.wkbLineString25D, 9), ("messages", ogr.wkbNone, 0)]
        layers = [dataset.GetLayer(i) for i in range(dataset.GetLayerCount())]
        got = [(layer.GetName(), layer.GetGeomType(), layer.GetFeatureCount()) for layer in layers]
        self.assertEqual(expected, got)
        for layer in layers:
            listed = features(layer)
            self.assertEqual(layer.GetFeatureCount(), len(listed))
            self.assertEqual(list(range(1, len(listed) + 1)), [f.GetFID() for f in listed])
            for feature in listed:
                self.assertEqual(feature.ExportToJson(),
                                 layer.GetFeature(feature.GetFID()).ExportToJson())

    def test_point_fields_and_position(self):
        dataset = open_vector(JOB)
        point = dataset.GetLayerByName("points").GetFeature(1)
        self.assertEqual(("GGS-4512", "TRIG", "examples/survey-job.idx", 20),
                         (point["name"], point["code"], point["file"], point["line"]))
        self.assertEqual((2213048.902, 473512.381, 152.418), point.GetGeometryRef().GetPoint())

    def test_stations_stand_on_their_points_and_observations_join_them(self):
        dataset = open_vector(JOB)
        station = dataset.GetLayerByName("stations").GetFeature(1)
        self.assertEqual(("GGS-4512", 1.562), (station["name"], station["instrument_height"]))
        self.assertEqual((2213048.902, 473512.381, 152.418), station.GetGeometryRef().GetPoint())
        observations = features(dataset.GetLayerByName("observations"))
        first = observations[0]
        self.assertEqual(("GGS-4512", 1, "PP-107", "2021/06/14"),
                         (first["station"], first["station_fid"], first["target"], first["date"]))
        self.assertEqual(2, first.GetGeometryRef().GetPointCount())
        # Targets without a point of their name have no ray.
        self.assertIsNone(observations[2].GetGeometryRef())

    def test_rays_have_heights_only_where_both_ends_have_one(self):
        job = ("HEADER\n  SEPARATOR ','\nEND HEADER\nDATABASE\n"
               "  POINTS(PointNo,PointID,North,East,Elevation)\n"
               "    1,S,100,200,10;\n    2,T3,110,210,12;\n    3,T2,120,220;\n"
               "  END POINTS\nEND DATABASE\nTHEODOLITE\n"
               "  SETUP\n    STN_NO 1\n    STN_ID S\n  END SETUP\n"
               "  SLOPE(TgtNo,TgtID,Hz,Vz,SDist)\n"
               "    2,T3,1,90,15;\n    3,T2,2,90,30;\n  END SLOPE\nEND THEODOLITE\n")
        gdal.FileFromMemBuffer("/vsimem/rays.idx", job.encode())
        try:
            dataset = open_vector("/vsimem/rays.idx")
            rays = features(dataset.GetLayerByName("observations"))
            got = [(ray["target"], ray.GetGeometryRef().ExportToIsoWkt()) for ray in rays]
            self.assertEqual([("T3", "LINESTRING Z (200 100 10,210 110 12)"),
                              ("T2", "LINESTRING (200 100,220 120)")], got)
        finally:
            gdal.Unlink("/vsimem/rays.idx")

    def test_targets_join_the_first_point_of_their_name_with_a_position(self):
        # Targets in the order of the points and out of it; a name given twice, and a name whose
        # first point has no position.
        job = ("HEADER\n  SEPARATOR ','\nEND HEADER\nDATABASE\n"
               "  POINTS(PointNo,PointID,North,East)\n"
               "    1,S,0,0;\n    2,A,1,1;\n    3,B,2,2;\n    4,B,3,3;\n    5,X,,;\n"
               "    6,X,5,5;\n    7,C,6,6;\n  END POINTS\nEND DATABASE\nTHEODOLITE\n"
               "  SETUP\n    STN_NO 1\n    STN_ID S\n  END SETUP\n"
               "  SLOPE(TgtNo,TgtID,Hz,Vz,SDist)\n"
               + "".join(f"    {i},{name},0,90,1;\n"
                         for i, name in enumerate("ABBXCAZC", start=1))
               + "  END SLOPE\nEND THEODOLITE\n")
        gdal.FileFromMemBuffer("/vsimem/join.idx", job.encode())
        try:
            dataset = open_vector("/vsimem/join.idx")
            rays = features(dataset.GetLayerByName("observations"))
            ends = [(ray["target"], ray.GetGeometryRef().GetPoint_2D(1)
                     if ray.GetGeometryRef() else None) for ray in rays]
            self.assertEqual([("A", (1, 1)), ("B", (2, 2)), ("B", (2, 2)), ("X", (5, 5)),
                              ("C", (6, 6)), ("A", (1, 1)), ("Z", None), ("C", (6, 6))], ends)
        finally:
            gdal.Unlink("/vsimem/join.idx")

    def test_a_job_of_several_thousand_rows(self):
        # More rows than the store keeps in one piece: every row and ray stays where it belongs.
        rows = 9000
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "job.idx")
            subprocess.run([sys.executable, "bench/generate-job.py", "--rows", str(rows), path],
                           check=True, capture_output=True)
            dataset = open_vector(path)
            points = dataset.GetLayerByName("points")
            rays = dataset.GetLayerByName("observations")
            self.assertEqual((rows, rows), (points.GetFeatureCount(), rays.GetFeatureCount()))
            for fid in (4096, 4097, 8192, 8193, rows):
                point = points.GetFeature(fid)
                ray = rays.GetFeature(fid)
                self.assertEqual((f"P{fid}", f"P{fid}"), (point["name"], ray["target"]))
                self.assertEqual(point.GetGeometryRef().GetPoint(),
                                 ray.GetGeometryRef().GetPoint(1))
            self.assertEqual(rows, sum(1 for _ in features(rays)))

    def test_messages_and_warnings_with_their_lines(self):
        dataset = open_vector(SITE)
        layer = dataset.GetLayerByName("messages")
        rows = [(f["kind"], f["line"]) for f in features(layer)]
        self.assertEqual([("message", 30), ("message", 31), ("warning", 32), ("message", 42)], rows)

    def test_metadata_says_units_and_settings(self):
        metadata = open_vector(JOB, ANGLES="deg").GetMetadata()
        self.assertEqual("degrees, minutes and seconds", metadata["ANGULAR_UNIT"])
        self.assertEqual(("degrees", ",", ";", "DMY"),
                         (metadata["ANGLES"], metadata["SEPARATOR"], metadata["TERMINATOR"],
                          metadata["DATE_ORDER"]))


class FiltersAndSql(unittest.TestCase):
    def test_attribute_and_spatial_filters(self):
        dataset = open_vector(JOB)
        layer = dataset.GetLayerByName("points")
        layer.SetAttributeFilter("code = 'TRAV'")
        self.assertEqual(["PP-107", "PP-108"], [f["name"] for f in features(layer)])
        self.assertEqual(2, layer.GetFeatureCount())
        layer.SetAttributeFilter(None)
        layer.SetSpatialFilterRect(2213000, 473400, 2213100, 473600)
        self.assertEqual(["GGS-4512"], [f["name"] for f in features(layer)])

    def test_ogr_sql_and_sqlite_dialect(self):
        dataset = open_vector(JOB)
        for dialect in ("OGRSQL", "SQLITE"):
            result = dataset.ExecuteSQL(
                "SELECT target FROM observations WHERE slope_distance > 200 ORDER BY target",
                dialect=dialect)
            self.assertEqual(["BM-22", "GGS-4512", "PP-107", "PP-108"],
                             [f["target"] for f in result], dialect)
            dataset.ReleaseResultSet(result)


class Options(unittest.TestCase):
    def test_display_units_and_reference_system(self):
        dataset = open_vector(JOB, ANGLES="dms", LENGTHS="ft", SRS="EPSG:3833")
        observation = dataset.GetLayerByName("observations").GetFeature(2)
        self.assertEqual("71°23′15.0″", observation["horizontal_angle"])
        self.assertAlmostEqual(223.376 / 0.3048, observation["slope_distance"])
        srs = dataset.GetLayerByName("points").GetSpatialRef()
        self.assertEqual("3833", srs.GetAuthorityCode(None))
        # Each geometry carries the system too; without the option, none.
        # (A feature is kept in a variable while its geometry is used: the geometry is its.)
        for layer in ("points", "stations", "observations"):
            feature = dataset.GetLayerByName(layer).GetFeature(1)
            srs = feature.GetGeometryRef().GetSpatialReference()
            self.assertEqual("3833", srs.GetAuthorityCode(None))
        plain = open_vector(JOB)
        feature = plain.GetLayerByName("points").GetFeature(1)
        self.assertIsNone(feature.GetGeometryRef().GetSpatialReference())

    def test_features_keep_the_reference_system_after_their_dataset_closes(self):
        # In a process of its own, with freed memory overwritten, so that a reference system
        # freed under the features fails for certain.
        script = ("from osgeo import gdal\n"
                  "gdal.UseExceptions()\n"
                  f"dataset = gdal.OpenEx({JOB!r}, gdal.OF_VECTOR, open_options=['SRS=EPSG:3833'])\n"
                  "point = dataset.GetLayerByName('points').GetFeature(1)\n"
                  "dataset = None\n"
                  "print(point.GetDefnRef().GetGeomFieldDefn(0).GetSpatialRef()"
                  ".GetAuthorityCode(None))\n"
                  "point = None\n")
        run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                             env={**os.environ, "MALLOC_PERTURB_": "165"}, timeout=60)
        self.assertEqual((0, "3833"), (run.returncode, run.stdout.strip()), run.stderr)

    def test_encoding(self):
        dataset = open_vector("tests/host/data/cyrillic-1251.idx", ENCODING="cp1251")
        name = dataset.GetLayerByName("points").GetFeature(1)["name"]
        self.assertTrue(all("\u0400" <= c <= "\u04ff" or c.isdigit() or c in "-. " for c in name),
                        name)

    def test_bad_options_are_refused(self):
        for options in ({"ANGLES": "grad"}, {"LENGTHS": "yards"}, {"ENCODING": "nothing"},
                        {"SRS": "not a system"}):
            with self.assertRaises(RuntimeError, msg=str(options)):
                open_vector(JOB, **options)


class VirtualFiles(unittest.TestCase):
    def test_zip_and_memory(self):
        with tempfile.TemporaryDirectory() as folder:
            archive = os.path.join(folder, "job.zip")
            with zipfile.ZipFile(archive, "w") as zipped:
                zipped.write(JOB, "survey-job.idx")
            zipped = open_vector(f"/vsizip/{archive}/survey-job.idx")
            self.assertEqual(4, zipped.GetLayerByName("points").GetFeatureCount())
        with open(JOB, "rb") as job:
            gdal.FileFromMemBuffer("/vsimem/job.bin", job.read())
        try:
            memory = open_vector("/vsimem/job.bin")
            self.assertEqual(9, memory.GetLayerByName("observations").GetFeatureCount())
        finally:
            gdal.Unlink("/vsimem/job.bin")


class Conversions(unittest.TestCase):
    def test_geopackage_and_back(self):
        with tempfile.TemporaryDirectory() as folder:
            package = os.path.join(folder, "job.gpkg")
            gdal.VectorTranslate(package, JOB, format="GPKG")
            copied = gdal.OpenEx(package, gdal.OF_VECTOR)
            original = open_vector(JOB)
            for name in ("points", "stations", "observations"):
                mine = [f.ExportToJson(as_object=True) for f in features(original.GetLayerByName(name))]
                theirs = [f.ExportToJson(as_object=True) for f in features(copied.GetLayerByName(name))]
                for a, b in zip(mine, theirs):
                    self.assertEqual(a["properties"], b["properties"], name)
                    self.assertEqual(a["geometry"], b["geometry"], name)
                self.assertEqual(len(mine), len(theirs), name)

    def test_dxf_with_codes_as_layers(self):
        with tempfile.TemporaryDirectory() as folder:
            drawing = os.path.join(folder, "points.dxf")
            gdal.VectorTranslate(drawing, JOB, format="DXF",
                                 SQLStatement="SELECT code AS Layer FROM points")
            with open(drawing, encoding="ascii", errors="replace") as text:
                content = text.read()
            for code in ("TRIG", "TRAV", "BM"):
                self.assertIn(code, content)

    def test_ogrinfo_reads_it(self):
        shown = subprocess.run(["ogrinfo", "-ro", "-al", "-so", JOB], capture_output=True,
                               text=True, check=True).stdout
        self.assertIn("using driver `ORVA' successful", shown)
        for summary in ("Layer name: points\nGeometry: 3D Point\nFeature Count: 4",
                        "Geometry: 3D Line String\nFeature Count: 9", "station_fid: Integer64",
                        "date: Date", "Layer name: messages"):
            self.assertIn(summary, shown.replace("\n  ", "\n"))

    def test_ogrinfo_filters_and_sql(self):
        runs = [
            (["-where", "code = 'TRAV'", "points"], ["PP-107", "PP-108"]),
            (["-spat", "2213000", "473400", "2213100", "473600", "points"], ["GGS-4512"]),
            (["-fid", "4", "points"], ["BM-22"]),
            (["-sql", "SELECT name FROM stations ORDER BY name DESC"], ["PP-107", "GGS-4512"]),
            (["-dialect", "SQLite", "-sql",
              "SELECT s.name FROM observations o JOIN stations s ON o.station_fid = s.rowid "
              "WHERE o.target = 'PP-108'"], ["PP-107"]),
        ]
        for arguments, names in runs:
            shown = subprocess.run(["ogrinfo", "-ro", "-q", JOB] + arguments, capture_output=True,
                                   text=True, check=True).stdout
            found = [line.split("= ", 1)[1] for line in shown.splitlines()
                     if line.strip().startswith("name (String) =")]
            self.assertEqual(names, found, arguments)


class GeoPandas(unittest.TestCase):
    def test_reads_the_layers(self):
        import geopandas
        points = geopandas.read_file(JOB, layer="points", allow_unsupported_drivers=True)
        self.assertEqual(["GGS-4512", "PP-107", "PP-108", "BM-22"], list(points["name"]))
        self.assertEqual((2213048.902, 473512.381, 152.418), points.geometry[0].coords[0])
        rays = geopandas.read_file(JOB, layer="observations", allow_unsupported_drivers=True)
        self.assertEqual(9, len(rays))
        self.assertEqual(4, int(rays.geometry.notna().sum()))


class NotClaimed(unittest.TestCase):
    def test_other_files_are_refused_silently(self):
        others = {
            "grib.idx": b"1:0:d=2021061400:HGT:500 mb:anl:\n2:1234:d=2021061400:TMP:500 mb:anl:\n",
            "notes.idx": b"Remember the tripod.\nHEADER is not here.\n",
            "binary.idx": bytes(range(256)) * 4,
            "empty.idx": b"",
        }
        for name, content in others.items():
            path = f"/vsimem/{name}"
            gdal.FileFromMemBuffer(path, content)
            try:
                gdal.ErrorReset()
                driver = gdal.IdentifyDriverEx(path, gdal.OF_VECTOR, allowed_drivers=["ORVA"])
                self.assertIsNone(driver, name)
                self.assertEqual("", gdal.GetLastErrorMsg(), name)
            finally:
                gdal.Unlink(path)


if __name__ == "__main__":
    unittest.main(verbosity=1)
