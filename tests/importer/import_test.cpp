// lumora-cli import and import-dem over products built with GDAL here: the
// georeference against GDAL's own transformation, the stretch rule, the
// resampling of coarser bands, areas and sizes, elevation models in another
// system, the vegetation index of an imported scene, and every refusal
// leaving the output as it was.
#include <geodesic.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/ground_scale.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "importer/scene_import.h"
#include "tests/importer/import_fixtures.h"
#include "tests/support/cli_run.h"
#include "tests/support/file_limit.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::GdalLonLat;
using test::ReadFile;
using test::RunCli;
using test::TiffSpec;
using test::WrittenSettings;

std::string Q(const std::string& path) { return "'" + path + "'"; }

// Landsat-like values: fill (0) down the first column, a vegetated field
// (dark red, bright near infrared) in a block, bare soil elsewhere, and
// varied values in the other bands.
double LandsatValue(int band, int x, int y) {
  if (x == 0) return 0;
  const bool field = x >= 8 && x < 20 && y >= 6 && y < 16;
  const int wiggle = (x * 31 + y * 17) % 97;
  if (band == 4) return field ? 700 + wiggle : 3000 + wiggle * 5;
  if (band == 5) return field ? 4000 + wiggle : 2800 + wiggle * 5;
  return 1000 * band + (x * 31 + y * 17) % 997;
}

// The stretch worked out independently: sort, take the 0.5 % and 99.5 %
// values, map linearly onto 1..255.
std::vector<uint8_t> ExpectedStretch(const std::vector<double>& values) {
  std::vector<double> valid;
  for (double v : values)
    if (v != 0) valid.push_back(v);
  std::sort(valid.begin(), valid.end());
  const size_t n = valid.size();
  const double lo = valid[n / 200], hi = valid[n - 1 - n / 200];
  std::vector<uint8_t> out;
  for (double v : values) {
    if (v == 0)
      out.push_back(0);
    else if (v <= lo)
      out.push_back(1);
    else if (v >= hi)
      out.push_back(255);
    else
      out.push_back(static_cast<uint8_t>(1 + static_cast<int>((v - lo) * 254.0 / (hi - lo) + 0.5)));
  }
  return out;
}

std::vector<double> Grid(int width, int height, const std::function<double(int, int)>& f) {
  std::vector<double> v;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) v.push_back(f(x, y));
  return v;
}

class Import : public ::testing::Test {
 protected:
  // Runs in the folder: the names given are the test's own files.
  test::CliResult Run(const std::string& args) { return RunCli(dir, args, test::InFolder(dir)); }
  std::string Landsat(const TiffSpec& tiff = {}, bool thermal = true, int skip = 0) {
    return test::WriteLandsat(dir / "product", tiff, LandsatValue, thermal, skip);
  }
  test::TempDir dir;
  std::string out = dir / "out/scene.inf";
};

TEST_F(Import, LandsatBandsTakeTheTmNumbersAndTheirOwnStretch) {
  const TiffSpec tiff;
  const auto r = Run("import " + Q(Landsat(tiff)) + " -o out/scene.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  const ImageSettings s = WrittenSettings(out);
  EXPECT_EQ(s.pixels, tiff.width);
  EXPECT_EQ(s.lines, tiff.height);
  EXPECT_EQ(s.sensor, 1);
  EXPECT_EQ(s.date, "2024-05-01");  // as the MTL file says
  // OLI 2..7 and the thermal band in the places the TM presets expect.
  const int source[8] = {0, 2, 3, 4, 5, 6, 10, 7};
  for (int n = 1; n <= 7; ++n) {
    SCOPED_TRACE(n);
    const auto bytes = Bytes(BandFilePath(dir / "out/scene", 1, n));
    EXPECT_EQ(bytes, ExpectedStretch(Grid(tiff.width, tiff.height, [&](int x, int y) {
                return LandsatValue(source[n], x, y);
              })));
    EXPECT_NE(ReadBandDescription(dir / "out/scene", n).find(Format("バンド%d ", source[n])),
              std::string::npos);
  }
  EXPECT_NE(ReadFile(dir / "out/scene.d03").find("SR_B4.TIF"), std::string::npos);
  EXPECT_NE(ReadFile(dir / "out/scene.d03").find("STRETCH_LOW = "), std::string::npos);
  // The folder names the same product as its MTL file, and the JSON and XML
  // forms of the metadata name the same bands.
  ASSERT_EQ(Run("import product -o again.inf").status, 0);
  EXPECT_EQ(Bytes(dir / "again.b04"), Bytes(dir / "out/scene.b04"));
  for (auto [format, name] :
       {std::pair{test::MtlFormat::kJson, "json"}, std::pair{test::MtlFormat::kXml, "xml"}}) {
    SCOPED_TRACE(name);
    const std::string mtl = test::WriteLandsat(dir / name, tiff, LandsatValue, true, 0, format);
    // The file and its folder (where it is the only metadata).
    for (const std::string& input : {mtl, std::string(dir / name)}) {
      const std::string set = input + ".set";
      ASSERT_EQ(Run("import " + Q(input) + " -o " + Q(set + ".inf")).status, 0);
      for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(Bytes(BandFilePath(set, 1, n)), Bytes(BandFilePath(dir / "out/scene", 1, n)));
    }
  }
}

struct CornerCase {
  const char* name;
  int epsg;
  double originX, originY;
  // Rows turn from east towards north west of the central meridian in the
  // north and east of it in the south (meridians converge to the pole).
  double inclination;
};

class ImportCorner : public Import, public ::testing::WithParamInterface<CornerCase> {};

TEST_P(ImportCorner, CornerAndRowDirectionFollowGdal) {
  TiffSpec tiff;
  tiff.epsg = GetParam().epsg;
  tiff.originX = GetParam().originX;
  tiff.originY = GetParam().originY;
  tiff.bands = 3;
  test::WriteGeoTiff(dir / "in.tif", tiff, [](int b, int x, int y) { return b * 100 + x + y; });
  ASSERT_EQ(Run("import in.tif --sensor aster -o out/scene.inf").status, 0);
  const ImageSettings s = WrittenSettings(out);
  EXPECT_EQ(s.sensor, 0);
  double lon = 0, lat = 0;
  GdalLonLat(tiff.epsg, tiff.originX, tiff.originY, lon, lat);
  EXPECT_NEAR(s.leftTopLon, lon, 1e-6);
  EXPECT_NEAR(s.leftTopLat, lat, 1e-6);
  EXPECT_NE(s.gpsChar.find(Format("(EPSG:%d)", tiff.epsg)), std::string::npos) << s.gpsChar;
  // Length and direction of the first cell of the first row, measured on
  // the ellipsoid between GDAL's lon/lat of its two ends.
  double endLon = 0, endLat = 0, metres = 0, azimuth = 0, azimuthEnd = 0;
  GdalLonLat(tiff.epsg, tiff.originX + tiff.pixelSize, tiff.originY, endLon, endLat);
  geod_geodesic wgs84;
  geod_init(&wgs84, 6378137.0, 1 / 298.257223563);
  geod_inverse(&wgs84, lat, lon, endLat, endLon, &metres, &azimuth, &azimuthEnd);
  EXPECT_NEAR(s.lengthPerPixel, metres / 1000.0, 1e-9);
  EXPECT_NEAR(s.inclination, 90.0 - azimuth, 2e-4);
  EXPECT_NEAR(s.inclination, GetParam().inclination, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Hemispheres, ImportCorner,
    ::testing::Values(CornerCase{"Utm54NorthWestOfMeridian", 32654, 350000.0, 4000020.0, 0.98},
                      CornerCase{"Utm55SouthEastOfMeridian", 32755, 650000.0, 6200000.0, 0.92},
                      CornerCase{"Utm33SouthWestOfMeridian", 32733, 280000.0, 8900000.0, -0.35}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Import, SentinelTwentyMetreBandsLandOnTheTenMetreGrid) {
  TiffSpec tiff;
  tiff.pixelSize = 10;
  tiff.width = 40;
  tiff.height = 30;
  auto value = [](int band, int x, int y) { return 500.0 + band * 300 + x * 7 + y * 3; };
  const auto folder = test::WriteSentinel(dir / "S2A_MSIL2A.SAFE", tiff, value);
  const auto r = Run("import " + Q(folder) + " -o out/scene.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  const ImageSettings s = WrittenSettings(out);
  EXPECT_EQ(s.pixels, 40);
  EXPECT_EQ(s.lines, 30);
  EXPECT_EQ(s.date, "2024-05-01");  // from the tile's file names
  EXPECT_NEAR(s.lengthPerPixel, 0.010, 0.00002);
  // Blue comes from the 10 m file although a 20 m one lies beside it.
  EXPECT_EQ(Bytes(dir / "out/scene.b01"),
            ExpectedStretch(Grid(40, 30, [&](int x, int y) { return value(2, x, y); })));
  // B11 and B12 (20 m): each cell covers two by two of the grid.
  EXPECT_EQ(Bytes(dir / "out/scene.b05"),
            ExpectedStretch(Grid(40, 30, [&](int x, int y) { return value(11, x / 2, y / 2); })));
  EXPECT_EQ(Bytes(dir / "out/scene.b07"),
            ExpectedStretch(Grid(40, 30, [&](int x, int y) { return value(12, x / 2, y / 2); })));
  EXPECT_FALSE(fs::exists(dir / "out/scene.b06"));
  // Delivered products hold lossless JPEG 2000 files: the same scene.
  const auto jp2 = test::WriteSentinel(dir / "S2B_MSIL2A.SAFE", tiff, value, true);
  ASSERT_EQ(Run("import " + Q(jp2) + " -o jp2.inf").status, 0);
  EXPECT_EQ(ReadFile(dir / "jp2.inf"), ReadFile(out));
  for (int n : {1, 2, 3, 4, 5, 7})
    EXPECT_EQ(Bytes(BandFilePath(dir / "jp2", 1, n)), Bytes(BandFilePath(dir / "out/scene", 1, n)))
        << n;
}

std::vector<uint8_t> LittleEndian16(const std::vector<double>& values) {
  std::vector<uint8_t> out;
  for (double v : values) {
    const int i = static_cast<int>(v);
    out.push_back(static_cast<uint8_t>(i & 0xFF));
    out.push_back(static_cast<uint8_t>(i >> 8));
  }
  return out;
}

TEST_F(Import, SixteenBitAreaAndSize) {
  const TiffSpec tiff;
  const auto mtl = Landsat(tiff);
  auto red = [](int x, int y) { return LandsatValue(4, x, y); };
  // Kept as they are, in the chosen window.
  ASSERT_EQ(Run("import " + Q(mtl) + " --keep-16bit --area 4,2,10,8 -o out/scene.inf").status, 0);
  EXPECT_FALSE(fs::exists(dir / "out/scene.b03"));
  EXPECT_EQ(Bytes(dir / "out/scene.i03"),
            LittleEndian16(Grid(10, 8, [&](int x, int y) { return red(x + 4, y + 2); })));
  const ImageSettings s = WrittenSettings(out);
  EXPECT_EQ(s.startPixel, 4);
  EXPECT_EQ(s.startLine, 2);
  double lon = 0, lat = 0;
  GdalLonLat(tiff.epsg, tiff.originX + 4 * 30, tiff.originY - 2 * 30, lon, lat);
  EXPECT_NEAR(s.leftTopLon, lon, 1e-6);
  EXPECT_NEAR(s.leftTopLat, lat, 1e-6);

  // Halved: each output cell is the mean of two by two cells.
  test::WriteGeoTiff(dir / "ramp.tif", tiff,
                     [](int, int x, int y) { return 1000 + 4 * x + 8 * y; });
  ASSERT_EQ(Run("import ramp.tif --keep-16bit --size 16x100 -o half.inf").status, 0);
  EXPECT_EQ(WrittenSettings(dir / "half.inf").pixels, 16);
  EXPECT_EQ(WrittenSettings(dir / "half.inf").lines, 12);
  EXPECT_NEAR(WrittenSettings(dir / "half.inf").lengthPerPixel, 0.060, 0.0002);
  EXPECT_EQ(Bytes(dir / "half.i01"),
            LittleEndian16(Grid(16, 12, [](int i, int j) { return 1006 + 8 * i + 16 * j; })));
  // No exact factor: the other side is rounded, 24 / (32 / 21) = 15.75 to 16.
  ASSERT_EQ(Run("import ramp.tif --keep-16bit --size 21x100 -o odd.inf").status, 0);
  EXPECT_EQ(WrittenSettings(dir / "odd.inf").pixels, 21);
  EXPECT_EQ(WrittenSettings(dir / "odd.inf").lines, 16);
}

// A second date of the place, its grid shifted by 3 cells east and 2 south:
// put on the first scene's grid, every pixel shows the ground it showed
// there; what it does not cover is 0 ("no data").
TEST_F(Import, SecondSceneOnTheFirstGridLandsEveryPixelOnItsGround) {
  const TiffSpec first;
  const auto ground = [](int gx, int gy) { return 100 + 7 * gx + 13 * gy; };
  test::WriteGeoTiff(dir / "first.tif", first, [&](int, int x, int y) { return ground(x, y); });
  ASSERT_EQ(Run("import first.tif --keep-16bit -o a.inf").status, 0);
  TiffSpec second = first;
  second.originX += 3 * 30;
  second.originY -= 2 * 30;
  test::WriteGeoTiff(dir / "second.tif", second,
                     [&](int, int x, int y) { return ground(x + 3, y + 2); });
  for (const char* resample : {"nearest", "bilinear"}) {
    SCOPED_TRACE(resample);
    const auto r = Run(std::string("import second.tif --keep-16bit --like a.inf --resample ") +
                       resample + " -o out/scene.inf");
    ASSERT_EQ(r.status, 0) << r.err;
    // On whole cells bilinear and nearest agree.
    EXPECT_EQ(Bytes(dir / "out/scene.i01"),
              LittleEndian16(Grid(first.width, first.height, [&](int x, int y) {
                return x >= 3 && y >= 2 ? ground(x, y) : 0;
              })));
    const ImageSettings a = WrittenSettings(dir / "a.inf"), b = WrittenSettings(out);
    EXPECT_EQ(b.pixels, a.pixels);
    EXPECT_EQ(b.lines, a.lines);
    EXPECT_EQ(b.leftTopLon, a.leftTopLon);
    EXPECT_EQ(b.leftTopLat, a.leftTopLat);
    EXPECT_EQ(b.lengthPerPixel, a.lengthPerPixel);
    EXPECT_EQ(b.inclination, a.inclination);
    EXPECT_EQ(b.alignedTo, "a.inf");
  }
  // Finer cells (10 m) starting 2 cells east and south: the warper takes, for
  // each cell, the fine pixel whose centre is the cell's centre.
  TiffSpec fine = first;
  fine.pixelSize = 10;
  fine.width = fine.height = 96;
  fine.originX += 2 * 30;
  fine.originY -= 2 * 30;
  const auto fineValue = [](int i, int j) { return 1 + i + 100 * j; };
  test::WriteGeoTiff(dir / "fine.tif", fine, [&](int, int i, int j) { return fineValue(i, j); });
  const auto expected = LittleEndian16(Grid(first.width, first.height, [&](int x, int y) {
    return x >= 2 && y >= 2 ? fineValue(3 * x - 5, 3 * y - 5) : 0;
  }));
  ASSERT_EQ(Run("import fine.tif --keep-16bit --like a.inf -o out/scene.inf").status, 0);
  EXPECT_EQ(Bytes(dir / "out/scene.i01"), expected);
  // Bilinear averages the fine pixels around each centre (a kernel as wide as
  // the cell): on values that rise evenly, the centre's value inside the
  // product, to the rounding.
  ASSERT_EQ(
      Run("import fine.tif --keep-16bit --like a.inf --resample bilinear -o out/scene.inf").status,
      0);
  const auto smooth = Bytes(dir / "out/scene.i01");
  for (int y = 3; y < first.height; ++y)
    for (int x = 3; x < first.width; ++x) {
      const size_t i = 2 * static_cast<size_t>(y * first.width + x);
      EXPECT_NEAR(smooth[i] | smooth[i + 1] << 8, expected[i] | expected[i + 1] << 8, 1)
          << x << "," << y;
    }
  // A quarter cell off in one direction is no whole-cell shift: the warper
  // weighs the two rows around each centre (values rising 4 a row: 1 less
  // than the row a copy would take).
  TiffSpec quarter = first;
  quarter.originX += 3 * 30;
  quarter.originY -= 2.25 * 30;
  test::WriteGeoTiff(dir / "quarter.tif", quarter,
                     [](int, int i, int j) { return 1000 + 7 * i + 4 * j; });
  ASSERT_EQ(Run("import quarter.tif --keep-16bit --like a.inf --resample bilinear -o out/scene.inf")
                .status,
            0);
  const auto weighed = Bytes(dir / "out/scene.i01");
  for (int y = 4; y < first.height - 1; ++y)
    for (int x = 4; x < first.width - 1; ++x) {
      const size_t i = 2 * static_cast<size_t>(y * first.width + x);
      ASSERT_EQ(weighed[i] | weighed[i + 1] << 8, 1000 + 7 * (x - 3) + 4 * y - 9) << x << "," << y;
    }
  // The grid's keys are the first scene's word for word, whatever they say.
  std::string settings = ReadFile(dir / "a.inf");
  const size_t at = settings.find("LengthPerPixel = ");
  settings.replace(at, settings.find('\n', at) - at, "LengthPerPixel = 0.031234500000");
  test::WriteFile(dir / "a.inf", settings);
  ASSERT_EQ(Run("import second.tif --like a.inf -o out/scene.inf").status, 0);
  EXPECT_EQ(WrittenSettings(out).lengthPerPixel, 0.0312345);
  // A product beside the grid, and options that would change the grid.
  TiffSpec away = first;
  away.originX += 100 * 30;
  test::WriteGeoTiff(dir / "away.tif", away, [](int, int, int) { return 500; });
  fs::remove_all(dir / "out");
  EXPECT_EQ(Run("import away.tif --like a.inf -o out/scene.inf").status, 1);
  EXPECT_EQ(Run("import second.tif --like a.inf --size 10x10 -o out/scene.inf").status, 2);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Import, LonLatAreaCoversTheCellsOfTheBox) {
  const TiffSpec tiff;
  double west = 0, north = 0, east = 0, south = 0;
  GdalLonLat(tiff.epsg, tiff.originX + 6.5 * 30, tiff.originY - 4.5 * 30, west, north);
  GdalLonLat(tiff.epsg, tiff.originX + 15.5 * 30, tiff.originY - 11.5 * 30, east, south);
  const auto r = Run(Format("import %s --keep-16bit --lonlat %.9f,%.9f,%.9f,%.9f -o out/scene.inf",
                            Q(Landsat(tiff)).c_str(), west, south, east, north));
  ASSERT_EQ(r.status, 0) << r.err;
  const ImageSettings s = WrittenSettings(out);
  // The box's edges are not grid lines; the area holds them with a cell to spare.
  EXPECT_LE(s.startPixel, 6);
  EXPECT_GE(s.startPixel, 5);
  EXPECT_LE(s.startLine, 4);
  EXPECT_GE(s.startLine, 3);
  EXPECT_GE(s.startPixel + s.pixels, 16);
  EXPECT_LE(s.startPixel + s.pixels, 17);
  EXPECT_GE(s.startLine + s.lines, 12);
  EXPECT_LE(s.startLine + s.lines, 13);
  // A box around the whole image, far past its projection's zone, takes all of it.
  TiffSpec away = tiff;
  away.originX = 250000.0;
  test::WriteGeoTiff(dir / "away.tif", away, [](int, int x, int) { return x; });
  const auto all = Run("import away.tif --lonlat -179,-89,179,89 -o whole.inf");
  ASSERT_EQ(all.status, 0) << all.err;
  const ImageSettings w = WrittenSettings(dir / "whole.inf");
  EXPECT_EQ(std::vector<int>({w.startPixel, w.startLine, w.pixels, w.lines}),
            std::vector<int>({0, 0, tiff.width, tiff.height}));
}

TEST_F(Import, WhatTheInputsHoldIsFoundAndWhatIsCutIsSaid) {
  // A stray file named like the metadata, sorted before the product's own.
  Landsat();
  test::WriteFile(dir / "product/aa_MTL.txt", "not a product\n");
  auto r = Run("import product -o out/scene.inf");
  EXPECT_EQ(r.status, 0) << r.err;
  // Files of different extents give their overlap, and say so.
  TiffSpec small;
  small.width = small.height = 16;
  test::WriteGeoTiff(dir / "large.tif", TiffSpec{}, [](int, int x, int) { return x; });
  test::WriteGeoTiff(dir / "small.tif", small, [](int, int, int y) { return y; });
  r = Run("import large.tif small.tif -o out/scene.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(MessageText(kMsgImportCutToOverlap)), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("16 x 16"), std::string::npos) << r.err;
  EXPECT_EQ(WrittenSettings(out).pixels, 16);
  // Bands of one extent, of a sensor named, say nothing.
  r = Run("import large.tif large.tif --sensor tm -o out/scene.inf");
  EXPECT_EQ(r.err, "");
}

// Altitudes of the model: a tilted plane in degrees, sea west of a meridian.
struct Plane {
  double lon0, lat0, seaLon;
  double At(double lon, double lat) const {
    return lon < seaLon ? 0.0 : 300.0 + 20000.0 * (lon - lon0) + 30000.0 * (lat - lat0);
  }
};

class ImportDem : public Import {
 protected:
  void SetUp() override {
    scene.width = 40;
    scene.height = 30;
    test::WriteGeoTiff(dir / "scene.tif", scene, [](int, int x, int y) { return 100 + x + y; });
    ASSERT_EQ(Run("import scene.tif -o out/scene.inf").status, 0);
    double lonA = 0, latA = 0, lonB = 0, latB = 0;
    GdalLonLat(scene.epsg, scene.originX, scene.originY, lonA, latA);
    GdalLonLat(scene.epsg, scene.originX + 1200, scene.originY - 900, lonB, latB);
    plane = {lonA, latB, lonA + 0.0012};
    // Geographic cells of about 9 m, reaching past the scene on every side.
    TiffSpec dem;
    dem.epsg = 4326;
    dem.type = GDT_Float32;
    dem.pixelSize = 0.0001;
    dem.originX = lonA - 0.002;
    dem.originY = latA + 0.002;
    dem.width = static_cast<int>((lonB - lonA + 0.004) / dem.pixelSize);
    dem.height = static_cast<int>((latA - latB + 0.004) / dem.pixelSize);
    test::WriteGeoTiff(dir / "dem.tif", dem, [&](int, int x, int y) {
      return plane.At(dem.originX + (x + 0.5) * dem.pixelSize,
                      dem.originY - (y + 0.5) * dem.pixelSize);
    });
  }
  TiffSpec scene;
  Plane plane{};
};

TEST_F(ImportDem, ModelInDegreesLandsOnTheSceneGrid) {
  const auto r = Run("import-dem dem.tif out/scene.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto codes = Bytes(dir / "out/scene.dem");
  ASSERT_EQ(codes.size(), 40u * 30u);
  const std::string lev = ReadFile(dir / "out/scene.lev");
  const int minAlt = AtoI(lev.substr(lev.find("MIN_ALTITUDE =") + 14));
  const int maxAlt = AtoI(lev.substr(lev.find("MAX_ALTITUDE =") + 14));
  EXPECT_EQ(lev.find("MIN_VAL = "), 0u);
  // The code range is that of the land; sea cells (code 0) do not count.
  int lowest = 255, highest = 0;
  for (uint8_t c : codes)
    if (c != 0) lowest = std::min<int>(lowest, c), highest = std::max<int>(highest, c);
  EXPECT_EQ(AtoI(lev.substr(9)), lowest);
  EXPECT_EQ(AtoI(lev.substr(lev.find("MAX_VAL =") + 9)), highest);
  const double step = (maxAlt - minAlt) * 0.003937007874015748;
  int sea = 0;
  for (int y = 1; y < 30; y += 4)
    for (int x = 0; x < 40; x += 3) {
      double lon = 0, lat = 0;
      GdalLonLat(scene.epsg, scene.originX + (x + 0.5) * 30, scene.originY - (y + 0.5) * 30, lon,
                 lat);
      const int code = codes[static_cast<size_t>(y * 40 + x)];
      // Cells next to the coast mix sea and land.
      if (std::abs(lon - plane.seaLon) < 0.0006) continue;
      if (lon < plane.seaLon) {
        EXPECT_EQ(code, 0) << x << "," << y;
        ++sea;
        continue;
      }
      ASSERT_GT(code, 0) << x << "," << y;
      // Half a code, and what bilinear resampling of 9 m cells onto 30 m ones
      // makes of a tilted plane.
      EXPECT_NEAR((code - 1) * step + minAlt, plane.At(lon, lat), step / 2 + 0.25) << x << "," << y;
    }
  EXPECT_GT(sea, 0);

  // A grid cell size that is no number is no grid: the corner rule places
  // the model, nearly where the grid did, instead of an empty sea.
  std::string settings = ReadFile(out);
  const size_t at = settings.find("GridPixelWidth = ");
  ASSERT_NE(at, std::string::npos);
  settings.replace(at, settings.find('\n', at) - at, "GridPixelWidth = inf");
  test::WriteFile(out, settings);
  ASSERT_EQ(Run("import-dem dem.tif out/scene.inf --replace").status, 0);
  const std::string byCorner = ReadFile(dir / "out/scene.lev");
  EXPECT_NEAR(AtoI(byCorner.substr(byCorner.find("MAX_ALTITUDE =") + 14)), maxAlt, 1);

  // A flat land at a whole metre is land everywhere, over a range of one metre.
  TiffSpec flat = scene;
  flat.type = GDT_Float32;
  test::WriteGeoTiff(dir / "flat.tif", flat, [](int, int, int) { return 500.0; });
  ASSERT_EQ(Run("import-dem flat.tif out/scene.inf --replace").status, 0);
  for (uint8_t c : Bytes(dir / "out/scene.dem")) ASSERT_NE(c, 0);
  const std::string flatRange = ReadFile(dir / "out/scene.lev");
  EXPECT_NE(flatRange.find("MIN_ALTITUDE = 500\n"), std::string::npos) << flatRange;
  EXPECT_NE(flatRange.find("MAX_ALTITUDE = 501\n"), std::string::npos) << flatRange;
  // Two levels between whole metres: the range runs from 100 up to 301 m, and
  // 300.5 m is code 1 + trunc(200.5 * 254 / 201 + 0.5) = 254.
  test::WriteGeoTiff(dir / "steps.tif", flat,
                     [](int, int x, int) { return x < 20 ? 100.25 : 300.5; });
  ASSERT_EQ(Run("import-dem steps.tif out/scene.inf --replace").status, 0);
  EXPECT_EQ(ReadFile(dir / "out/scene.lev"),
            "MIN_VAL = 1\nMIN_ALTITUDE = 100\nMAX_VAL = 254\nMAX_ALTITUDE = 301\n");
}

TEST_F(ImportDem, KeepsAnExistingModelUnlessToldToReplaceIt) {
  test::WriteFile(dir / "out/scene.dem", "old codes");
  test::WriteFile(dir / "out/scene.lev", "old range");
  auto r = Run("import-dem dem.tif --like out/scene.inf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(MessageText(kMsgImportDemExists)), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "out/scene.dem"), "old codes");
  // A model over the scene without one altitude there (NaN, not declared
  // no-data, and heights no ground has) is no replacement: it is refused as
  // such, not as elsewhere.
  TiffSpec empty;
  empty.type = GDT_Float32;
  empty.originX = scene.originX - 300;
  empty.originY = scene.originY + 300;
  empty.width = 60;
  empty.height = 50;
  test::WriteGeoTiff(dir / "nan.tif", empty,
                     [](int, int x, int) { return x < 30 ? std::nan("") : 3e9; });
  r = Run("import-dem nan.tif --like out/scene.inf --replace");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(MessageText(kMsgImportDemNoValues)), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "out/scene.dem"), "old codes");
  EXPECT_EQ(ReadFile(dir / "out/scene.lev"), "old range");
  // Nor is the old pair split when the range file cannot take its place.
  fs::remove(dir / "out/scene.lev");
  fs::create_directory(dir / "out/scene.lev");
  test::WriteFile(dir / "out/scene.lev/keep", "");
  r = Run("import-dem dem.tif --like out/scene.inf --replace");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir / "out/scene.dem"), "old codes");
  fs::remove_all(dir / "out/scene.lev");
  r = Run("import-dem dem.tif --like out/scene.inf --replace");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Bytes(dir / "out/scene.dem").size(), 40u * 30u);
  // The imported model works with the elevation commands.
  r = Run("dem out/scene.inf --kind relative -o relief.inf");
  EXPECT_EQ(r.status, 0) << r.err;
}

// Models the import cannot use are refused by name, and the scene keeps
// what it had; a model of one cell over the whole scene is one altitude.
TEST_F(ImportDem, UnusableModelsAreRefusedAndTheSceneKeepsItsOwn) {
  TiffSpec over;  // the scene's cells and more around them
  over.type = GDT_Float32;
  over.originX = scene.originX - 300;
  over.originY = scene.originY + 300;
  over.width = 60;
  over.height = 50;
  const struct {
    const char* name;
    int message;
  } cases[] = {
      {"virtual.vrt", kMsgImportCannotOpen},
      {"sea.tif", kMsgImportDemAllSea},
      {"zero.tif", kMsgImportDemAllSea},
      {"cell.tif", 0},
  };
  for (const auto& c : cases) {
    const std::string name = c.name, model = dir / name;
    if (name == "virtual.vrt") test::WriteVrt(model, dir / "dem.tif");
    if (name == "sea.tif" || name == "zero.tif") {
      const double altitude = name == "sea.tif" ? -12.0 : 0.0;
      test::WriteGeoTiff(model, over, [&](int, int, int) { return altitude; });
    }
    if (name == "cell.tif") {
      TiffSpec cell = over;
      cell.width = cell.height = 1;
      double lon = 0, lat = 0;
      GdalLonLat(scene.epsg, scene.originX, scene.originY, lon, lat);
      cell.epsg = 4326;
      cell.pixelSize = 1.0;
      cell.originX = lon - 0.5;
      cell.originY = lat + 0.5;
      test::WriteGeoTiff(model, cell, [](int, int, int) { return 250.0; });
    }
    const auto r = Run("import-dem " + Q(model) + " out/scene.inf");
    if (c.message == 0) {
      EXPECT_EQ(r.status, 0) << name << "\n" << r.err;
      const auto codes = Bytes(dir / "out/scene.dem");
      EXPECT_EQ(codes.size(), 40u * 30u) << name;
      EXPECT_TRUE(std::all_of(codes.begin(), codes.end(), [&](uint8_t v) { return v == codes[0]; }))
          << name;
      EXPECT_GT(codes.empty() ? 0 : codes[0], 0) << name;
      fs::remove(dir / "out/scene.dem");
      fs::remove(dir / "out/scene.lev");
      continue;
    }
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_NE(r.err.find(MessageText(c.message)), std::string::npos) << name << "\n" << r.err;
    EXPECT_NE(r.err.find(name), std::string::npos) << name << "\n" << r.err;
    EXPECT_FALSE(fs::exists(dir / "out/scene.dem")) << name;
    EXPECT_FALSE(fs::exists(dir / "out/scene.lev")) << name;
  }
  // A folder in the model's place stays, and the message names it.
  fs::create_directories(dir / "out/scene.dem/keep");
  const auto r = Run("import-dem dem.tif out/scene.inf --replace");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("out/scene.dem"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir / "out/scene.dem/keep"));
}

TEST_F(ImportDem, SceneWithoutItsGridUsesTheProgramsCornerRule) {
  // A sample scene carries only longitude, latitude, length and inclination.
  ASSERT_EQ(Run("sample --sensor tm --size 64x48 -o tm/tokyo.inf").status, 0);
  fs::remove(dir / "tm/tokyo.dem");
  fs::remove(dir / "tm/tokyo.lev");
  auto r = Run("import-dem dem.tif tm/tokyo.inf");
  // The first model lies elsewhere, not under the sample.
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(MessageText(kMsgImportDemOutside)), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "tm/tokyo.dem"));

  const ImageSettings s = WrittenSettings(dir / "tm/tokyo.inf");
  const Plane around{s.leftTopLon, s.leftTopLat - 0.05, s.leftTopLon - 1.0};
  TiffSpec dem;
  dem.epsg = 4326;
  dem.type = GDT_Float32;
  dem.pixelSize = 0.0002;
  dem.originX = s.leftTopLon - 0.02;
  dem.originY = s.leftTopLat + 0.02;
  dem.width = dem.height = 300;
  test::WriteGeoTiff(dir / "near.tif", dem, [&](int, int x, int y) {
    return around.At(dem.originX + (x + 0.5) * dem.pixelSize,
                     dem.originY - (y + 0.5) * dem.pixelSize);
  });
  r = Run("import-dem near.tif tm/tokyo.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto codes = Bytes(dir / "tm/tokyo.dem");
  ASSERT_EQ(codes.size(), 64u * 48u);
  const std::string lev = ReadFile(dir / "tm/tokyo.lev");
  const int minAlt = AtoI(lev.substr(lev.find("MIN_ALTITUDE =") + 14));
  const int maxAlt = AtoI(lev.substr(lev.find("MAX_ALTITUDE =") + 14));
  const double step = (maxAlt - minAlt) * 0.003937007874015748;
  // The centre of a cell lies halfway between its corner and the next one.
  double lonA = 0, latA = 0, lonB = 0, latB = 0;
  WindowCorner(s.leftTopLon, s.leftTopLat, s.inclination, s.lengthPerPixel, 20, 30, lonA, latA);
  WindowCorner(s.leftTopLon, s.leftTopLat, s.inclination, s.lengthPerPixel, 21, 31, lonB, latB);
  const int code = codes[30 * 64 + 20];
  EXPECT_NEAR((code - 1) * step + minAlt, around.At((lonA + lonB) / 2, (latA + latB) / 2),
              step / 2 + 0.25);
}

// Every refusal names the problem and leaves an earlier output as it was.
struct BadCase {
  const char* name;
  int message;
  const char* detail;  // part of the message's second line
};

class ImportRefuses : public Import, public ::testing::WithParamInterface<BadCase> {};

TEST_P(ImportRefuses, WithAClearMessageAndNothingWritten) {
  const std::string name = GetParam().name;
  TiffSpec tiff;
  std::string input = dir / "in.tif", output = out;
  std::string extra, limit;
  auto flat = [](int, int, int) { return 1.0; };
  if (name == "NotARaster") {
    test::WriteFile(input, "II*\0 this is no image");
  } else if (name == "TwoZones") {
    test::WriteGeoTiff(dir / "a.tif", tiff, flat);
    tiff.epsg = 32653;
    test::WriteGeoTiff(dir / "b.tif", tiff, flat);
    input = (dir / "a.tif") + "' '" + (dir / "b.tif");
  } else if (name == "BandsApart") {
    test::WriteGeoTiff(dir / "a.tif", tiff, flat);
    tiff.originX = 1e15;  // the cells between overflow an int
    test::WriteGeoTiff(dir / "b.tif", tiff, flat);
    input = (dir / "a.tif") + "' '" + (dir / "b.tif");
  } else if (name == "TooLarge" || name == "TooTall") {
    tiff.width = name == "TooLarge" ? 20001 : 1;
    tiff.height = name == "TooLarge" ? 1 : 20001;
    tiff.type = GDT_Byte;
    test::WriteGeoTiff(input, tiff, flat);
  } else if (name == "Geographic") {
    tiff.epsg = 4326;
    tiff.pixelSize = 0.001;
    tiff.originX = 139.0;
    tiff.originY = 35.0;
    test::WriteGeoTiff(input, tiff, flat);
  } else if (name == "MissingBand") {
    input = Landsat(tiff, true, 5);
  } else if (name == "AreaOutside") {
    test::WriteGeoTiff(input, tiff, flat);
    extra = " --area 30,0,8,8";
  } else if (name == "CellsTooLarge") {
    tiff.pixelSize = 1e200;  // the cell's area overflows
    test::WriteGeoTiff(input, tiff, flat);
  } else if (name == "HugeMtl") {
    // Band names past the first megabyte must not be reported missing.
    input = Landsat(tiff);
    std::string text = ReadFile(input);
    text.insert(text.find('\n') + 1, "  SPACECRAFT_ID = \"LANDSAT_9\"\n  NOTE = \"" +
                                         std::string(1 << 20, 'x') + "\"\n");
    test::WriteFile(input, text);
  } else if (name == "BandCutShort") {
    // Found out only when the last band is read, into a folder made for it.
    input = Landsat(tiff);
    const std::string band = input.substr(0, input.rfind("_MTL.txt")) + "_SR_B7.TIF";
    fs::resize_file(band, fs::file_size(band) - 1000);
    output = dir / "new/deeper/scene.inf";
  } else if (name == "BandLinkOutside" || name == "SentinelLinkOutside") {
    // A link in the product to a file elsewhere brings in no outside file.
    const bool landsat = name == "BandLinkOutside";
    const std::string product =
        landsat ? Landsat(tiff) : test::WriteSentinel(dir / "s2", tiff, flat);
    std::string band;
    for (const auto& e : fs::recursive_directory_iterator(landsat ? dir / "product" : product))
      if (e.path().string().find(landsat ? "_SR_B2." : "_B03_") != std::string::npos)
        band = e.path().string();
    fs::rename(band, dir / "outside.tif");
    fs::create_symlink(dir / "outside.tif", band);
    input = product;
  } else if (name == "AllNoData" || name == "AllNaN" || name == "Huge") {
    tiff.hasNoData = name == "AllNoData";
    tiff.noData = 7;
    tiff.type = name == "AllNoData" ? GDT_UInt16 : name == "AllNaN" ? GDT_Float32 : GDT_Float64;
    test::WriteGeoTiff(input, tiff, [&](int, int x, int) {
      return name == "AllNoData" ? 7.0 : name == "AllNaN" ? std::nan("") : x % 2 ? 1e300 : -1e300;
    });
  } else if (name == "UpsideDown") {
    test::WriteGeoTiff(input, tiff, flat);
    GDALDatasetH ds = GDALOpen(input.c_str(), GA_Update);
    double t[6] = {tiff.originX, tiff.pixelSize, 0, tiff.originY, 0, tiff.pixelSize};
    ASSERT_EQ(GDALSetGeoTransform(ds, t), CE_None);
    GDALClose(ds);
  } else if (name == "VirtualRaster") {
    test::WriteGeoTiff(dir / "real.tif", tiff, flat);
    input = dir / "in.vrt";
    test::WriteVrt(input, dir / "real.tif");
  } else if (name == "BandWriteFails") {
    // The band is larger than the files may grow: its write fails at close.
    tiff.width = tiff.height = 64;
    test::WriteGeoTiff(input, tiff, [](int, int x, int y) { return x * 64 + y; });
    limit = test::kSmallFileLimit;
  } else if (name == "FolderIsAFile") {
    test::WriteGeoTiff(input, tiff, flat);
    test::WriteFile(dir / "plain", "a file");
    output = dir / "plain/scene.inf";
  }
  fs::create_directories(dir / "out");
  test::WriteFile(dir / "out/scene.inf", "LINE = 1\nPIXEL = 1\n");
  test::WriteFile(dir / "out/scene.b01", "x");
  const auto r = RunCli(dir, "import " + Q(input) + extra + " -o " + Q(output), limit);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(MessageText(GetParam().message)), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(GetParam().detail), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "out/scene.inf"), "LINE = 1\nPIXEL = 1\n");
  EXPECT_EQ(ReadFile(dir / "out/scene.b01"), "x");
  for (const auto& entry : fs::directory_iterator(dir / "out"))
    EXPECT_EQ(entry.path().filename().string().rfind(".lumora", 0), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "new"));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ImportRefuses,
    ::testing::Values(BadCase{"NotARaster", kMsgImportCannotOpen, "in.tif"},
                      BadCase{"TwoZones", kMsgImportGridMismatch, "a.tif / b.tif"},
                      BadCase{"BandsApart", kMsgImportGridMismatch, "a.tif"},
                      BadCase{"TooLarge", kMsgImportTooLarge, "20001 x 1"},
                      BadCase{"TooTall", kMsgImportTooLarge, "1 x 20001"},
                      BadCase{"Geographic", kMsgImportGeographic, "in.tif"},
                      BadCase{"MissingBand", kMsgImportMissingBands, "B5"},
                      BadCase{"AreaOutside", kMsgImportAreaOutside, "32 x 24"},
                      BadCase{"CellsTooLarge", kMsgImportNoGeoref, "in.tif"},
                      BadCase{"HugeMtl", kMsgImportNoProduct, "_MTL.txt"},
                      BadCase{"BandCutShort", kMsgImportReadFailed, "_SR_B7.TIF"},
                      BadCase{"BandWriteFails", kMsgCreateFailed, ""},
                      BadCase{"BandLinkOutside", kMsgImportMissingBands, "B2"},
                      BadCase{"SentinelLinkOutside", kMsgImportMissingBands, "B03"},
                      BadCase{"VirtualRaster", kMsgImportCannotOpen, "in.vrt"},
                      BadCase{"AllNoData", kMsgImportNoValues, "in.tif"},
                      BadCase{"AllNaN", kMsgImportNoValues, "in.tif"},
                      BadCase{"Huge", kMsgImportNoValues, "in.tif"},
                      BadCase{"UpsideDown", kMsgImportNotNorthUp, "in.tif"},
                      BadCase{"FolderIsAFile", kMsgImportNotWritable, "plain"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Import, OutputBesideItsSourceKeepsTheSource) {
  // scene.tif is not a file of the set scene.inf and stays; a GeoTIFF that
  // carries a band file's name, given so or behind a link, would be deleted
  // with the old set and is refused.
  for (const auto& [input, file] : std::vector<std::pair<std::string, std::string>>{
           {"scene.tif", "scene.tif"}, {"scene.b01", "scene.b01"}, {"link.tif", "scene.b01"}}) {
    SCOPED_TRACE(input);
    test::WriteGeoTiff(dir / file, TiffSpec{}, [](int, int x, int) { return x; });
    if (input != file) fs::create_symlink(file, dir / input);
    const auto before = Bytes(dir / file);
    const auto r = Run("import " + input + " -o scene.inf");
    EXPECT_EQ(r.status, input == "scene.tif" ? 0 : 1) << r.err;
    EXPECT_EQ(Bytes(dir / file), before);
    fs::remove(dir / input);
    fs::remove(dir / file);
  }
}

// One GDAL read of the part of a band file under the reference cells
// [left, left + width) x [top, top + height) onto outWidth x outHeight cells,
// averaged when that shrinks it, as the import read whole bands before.
// cells: the file's pixels per reference cell.
std::vector<double> WholeRead(const std::string& path, double cells, int left, int top, int width,
                              int height, int outWidth, int outHeight) {
  GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
  EXPECT_NE(ds, nullptr) << path;
  if (!ds) return {};
  GDALRasterIOExtraArg extra;
  INIT_RASTERIO_EXTRA_ARG(extra);
  const bool shrinking = outWidth < width * cells || outHeight < height * cells;
  extra.eResampleAlg = shrinking ? GRIORA_Average : GRIORA_NearestNeighbour;
  extra.bFloatingPointWindowValidity = TRUE;
  extra.dfXOff = left * cells;
  extra.dfYOff = top * cells;
  extra.dfXSize = width * cells;
  extra.dfYSize = height * cells;
  const int x0 = static_cast<int>(std::floor(extra.dfXOff));
  const int y0 = static_cast<int>(std::floor(extra.dfYOff));
  const int x1 = static_cast<int>(std::ceil(extra.dfXOff + extra.dfXSize));
  const int y1 = static_cast<int>(std::ceil(extra.dfYOff + extra.dfYSize));
  std::vector<double> values(static_cast<size_t>(outWidth) * outHeight);
  EXPECT_EQ(GDALRasterIOEx(GDALGetRasterBand(ds, 1), GF_Read, x0, y0, x1 - x0, y1 - y0,
                           values.data(), outWidth, outHeight, GDT_Float64, 0, 0, &extra),
            CE_None);
  GDALClose(ds);
  return values;
}

// Bands read a few rows at a time give the bytes of one read of the whole
// band: cells taken as they are, nearest rows of 20 m bands at odd offsets,
// averages of shrunk bands with and without an offset in the output grid,
// float values (three passes) and 16-bit ones, from GeoTIFF and JPEG 2000.
TEST_F(Import, WindowedReadsGiveTheBytesOfOneWholeRead) {
  TiffSpec landsat;
  landsat.width = 37;
  landsat.height = 29;
  const std::string mtl = Landsat(landsat);
  const std::string red = mtl.substr(0, mtl.rfind("_MTL.txt")) + "_SR_B4.TIF";
  TiffSpec s2;
  s2.pixelSize = 10;
  s2.width = 42;
  s2.height = 34;
  auto s2Value = [](int band, int x, int y) { return 500.0 + band * 300 + x * 7 + y * 13 % 11; };
  const std::string tiffS2 = test::WriteSentinel(dir / "S2A_MSIL2A.SAFE", s2, s2Value);
  const std::string jp2S2 = test::WriteSentinel(dir / "S2B_MSIL2A.SAFE", s2, s2Value, true);
  auto s2File = [](const std::string& folder, const std::string& part) {
    for (const auto& e : fs::recursive_directory_iterator(folder))
      if (e.path().filename().string().find(part) != std::string::npos) return e.path().string();
    return std::string();
  };
  TiffSpec real = landsat;
  real.type = GDT_Float32;
  real.hasNoData = true;
  real.noData = -9999;
  test::WriteGeoTiff(dir / "real.tif", real, [](int, int x, int y) {
    return x == 2 ? -9999.0 : -3.25 + std::sin(x * 0.7 + y * 1.3) * (x + y);
  });
  TiffSpec counts = landsat;
  counts.type = GDT_Int16;
  test::WriteGeoTiff(dir / "counts.tif", counts,
                     [](int, int x, int y) { return 1 + (x * 37 + y * 101) % 4000; });

  struct Case {
    const char* name;
    std::string input, file;  // the product and the file of the band compared
    int band;                 // its number in the set
    double cells;             // the file's pixels per reference cell
    int left, top, width, height, outWidth, outHeight;
    bool keep16;
  };
  const Case cases[] = {
      {"Cells", mtl, red, 3, 1, 0, 0, 37, 29, 37, 29, false},
      {"Area16", mtl, red, 3, 1, 3, 2, 31, 23, 31, 23, true},
      {"Shrunk", mtl, red, 3, 1, 0, 0, 37, 29, 16, 13, false},
      {"AreaShrunk", mtl, red, 3, 1, 3, 2, 31, 23, 13, 10, true},
      {"TwentyMetre", tiffS2, s2File(tiffS2, "B11_20m"), 5, 0.5, 3, 5, 35, 27, 35, 27, false},
      {"TenMetre", tiffS2, s2File(tiffS2, "B02_10m"), 1, 1, 3, 5, 35, 27, 35, 27, false},
      {"TwentyMetreJp2", jp2S2, s2File(jp2S2, "B12_20m"), 7, 0.5, 1, 1, 39, 31, 39, 31, true},
      {"TwentyMetreShrunk", tiffS2, s2File(tiffS2, "B11_20m"), 5, 0.5, 3, 5, 35, 27, 13, 10, false},
      {"Floats", dir / "real.tif", dir / "real.tif", 1, 1, 1, 3, 33, 25, 33, 25, false},
      {"FloatsShrunk", dir / "real.tif", dir / "real.tif", 1, 1, 0, 0, 37, 29, 11, 9, false},
      {"Counts16", dir / "counts.tif", dir / "counts.tif", 1, 1, 1, 3, 33, 25, 33, 25, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> whole =
        WholeRead(c.file, c.cells, c.left, c.top, c.width, c.height, c.outWidth, c.outHeight);
    // No-data (0 in Landsat and Sentinel-2 bands) becomes 0; the test files
    // hold no other 0.
    for (double& v : whole) v = v == real.noData ? 0 : v;
    const std::vector<uint8_t> expected = c.keep16 ? LittleEndian16(whole) : ExpectedStretch(whole);
    importer::ImportOptions options;
    options.keep16bit = c.keep16;
    options.hasArea = true;
    options.areaLeft = c.left;
    options.areaTop = c.top;
    options.areaWidth = c.width;
    options.areaHeight = c.height;
    options.maxWidth = c.outWidth;
    options.maxHeight = c.outHeight;
    for (int rows : {1, 3, 5, 0}) {
      SCOPED_TRACE(rows);
      options.windowRows = rows;
      RecordingMessenger messenger;
      const std::string set = dir / Format("%s-%d", c.name, rows);
      ASSERT_TRUE(importer::ImportScene({c.input}, set + ".inf", options, messenger, nullptr));
      EXPECT_EQ(WrittenSettings(set + ".inf").pixels, c.outWidth);
      EXPECT_EQ(Bytes(BandFilePath(set, c.keep16 ? 2 : 1, c.band)), expected);
    }
  }
}

// A band of 6000 x 6000 16-bit values imports within a few megabytes more
// address space than a band of 64 x 64 needs: it is read a window at a time.
// The limit is put in place in the child's shell (ulimit -v), which the
// sanitizers' shadow memory cannot live under.
TEST_F(Import, LargeBandImportsInTheAddressSpaceOfASmallOne) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "address space limits do not hold the sanitizer";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "address space limits do not hold the sanitizer";
#endif
#endif
  TiffSpec small;
  small.width = small.height = 64;
  TiffSpec large = small;
  large.width = large.height = 6000;
  auto value = [](int, int x, int y) { return 1 + (x * 7 + y * 13) % 5000; };
  test::WriteGeoTiff(dir / "small.tif", small, value);
  test::WriteGeoTiff(dir / "large.tif", large, value);
  auto importsWithin = [&](const std::string& input, int kilobytes) {
    return RunCli(dir, "import " + Q(dir / input) + " -o " + Q(dir / "out.inf"),
                  Format("ulimit -v %d; exec ", kilobytes))
               .status == 0;
  };
  // The least address space (to 4 MB) the program takes for the small band.
  int fails = 16 << 10, works = 2 << 20;
  ASSERT_TRUE(importsWithin("small.tif", works));
  while (works - fails > 4 << 10) {
    const int middle = (works + fails) / 2;
    (importsWithin("small.tif", middle) ? works : fails) = middle;
  }
  // Whole, the band took 72 MB as read and 36 MB stretched, and GDAL kept
  // the blocks it read besides.
  const auto r = RunCli(dir, "import " + Q(dir / "large.tif") + " -o " + Q(dir / "out.inf"),
                        Format("ulimit -v %d; exec ", works + (64 << 10)));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(WrittenSettings(dir / "out.inf").pixels, 6000);
  EXPECT_EQ(fs::file_size(dir / "out.b01"), 6000u * 6000u);
}

// A set larger than the free space of its disk is refused with the size it
// needs before anything is written: 7 bands of 400 x 300 take 0.84 MB as
// bytes and 1.68 MB as 16-bit values, so 1 MB holds the one and not the other.
TEST_F(Import, SetLargerThanTheFreeSpaceIsRefusedFirst) {
  TiffSpec tiff;
  tiff.width = 400;
  tiff.height = 300;
  const std::string mtl = Landsat(tiff);
  fs::create_directories(dir / "out");
  test::WriteFile(dir / "out/scene.inf", "LINE = 1\nPIXEL = 1\n");
  importer::ImportOptions options;
  options.freeSpace = 1 << 20;
  options.keep16bit = true;
  for (const std::string& output : {std::string(dir / "out/scene.inf"), dir / "new/scene.inf"}) {
    SCOPED_TRACE(output);
    RecordingMessenger messenger;
    EXPECT_FALSE(importer::ImportScene({mtl}, output, options, messenger, nullptr));
    ASSERT_EQ(messenger.entries.size(), 1u);
    EXPECT_EQ(messenger.entries[0].text,
              std::string(MessageText(kMsgImportNoSpace)) + "\n2 MB / 1 MB");
    EXPECT_EQ(ReadFile(dir / "out/scene.inf"), "LINE = 1\nPIXEL = 1\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::exists(dir / "new"));
  }
  options.keep16bit = false;
  RecordingMessenger messenger;
  EXPECT_TRUE(importer::ImportScene({mtl}, dir / "out/scene.inf", options, messenger, nullptr));
}

}  // namespace
}  // namespace lumora
