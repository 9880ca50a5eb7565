#include "tests/importer/import_fixtures.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/support/text.h"

namespace lumora::test {

namespace fs = std::filesystem;

namespace {

// The raster in a GDAL dataset of the driver: GeoTIFF is written directly,
// JPEG 2000 is copied losslessly from memory.
void WriteRaster(const char* driverName, const std::string& path, const TiffSpec& tiff,
                 const PixelFn& value) {
  GDALAllRegister();
  const bool direct = std::string(driverName) == "GTiff";
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(direct ? "GTiff" : "MEM");
  GDALDataset* ds = driver->Create(direct ? path.c_str() : "", tiff.width, tiff.height, tiff.bands,
                                   tiff.type, nullptr);
  if (!ds) throw std::runtime_error("cannot create " + path);
  double t[6] = {tiff.originX, tiff.pixelSize, 0, tiff.originY, 0, -tiff.pixelSize};
  ds->SetGeoTransform(t);
  OGRSpatialReference srs;
  srs.importFromEPSG(tiff.epsg);
  ds->SetSpatialRef(&srs);
  std::vector<double> row(static_cast<size_t>(tiff.width));
  for (int b = 1; b <= tiff.bands; ++b) {
    GDALRasterBand* band = ds->GetRasterBand(b);
    if (tiff.hasNoData) band->SetNoDataValue(tiff.noData);
    for (int y = 0; y < tiff.height; ++y) {
      for (int x = 0; x < tiff.width; ++x) row[static_cast<size_t>(x)] = value(b, x, y);
      if (band->RasterIO(GF_Write, 0, y, tiff.width, 1, row.data(), tiff.width, 1, GDT_Float64, 0,
                         0) != CE_None)
        throw std::runtime_error("cannot write " + path);
    }
  }
  if (!direct) {
    const char* options[] = {"REVERSIBLE=YES", "QUALITY=100", nullptr};
    GDALDataset* copy =
        GetGDALDriverManager()
            ->GetDriverByName(driverName)
            ->CreateCopy(path.c_str(), ds, FALSE, const_cast<char**>(options), nullptr, nullptr);
    GDALClose(ds);
    if (!copy) throw std::runtime_error("cannot write " + path);
    ds = copy;
  }
  GDALClose(ds);
}

std::string MtlText(MtlFormat format,
                    const std::vector<std::pair<std::string, std::string>>& items) {
  std::string out;
  switch (format) {
    case MtlFormat::kText:
      out = "GROUP = LANDSAT_METADATA_FILE\n  GROUP = PRODUCT_CONTENTS\n";
      for (const auto& [key, value] : items) out += "    " + key + " = \"" + value + "\"\n";
      return out + "  END_GROUP = PRODUCT_CONTENTS\nEND_GROUP = LANDSAT_METADATA_FILE\nEND\n";
    case MtlFormat::kJson:
      out = "{\n  \"LANDSAT_METADATA_FILE\": {\n    \"PRODUCT_CONTENTS\": {";
      for (size_t i = 0; i < items.size(); ++i)
        out +=
            (i ? ",\n      \"" : "\n      \"") + items[i].first + "\": \"" + items[i].second + '"';
      return out + "\n    }\n  }\n}\n";
    case MtlFormat::kXml:
      out =
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LANDSAT_METADATA_FILE>\n  "
          "<PRODUCT_CONTENTS>\n";
      for (const auto& [key, value] : items)
        out += "    <" + key + ">" + value + "</" + key + ">\n";
      return out + "  </PRODUCT_CONTENTS>\n</LANDSAT_METADATA_FILE>\n";
  }
  return out;
}

}  // namespace

void WriteGeoTiff(const std::string& path, const TiffSpec& tiff, const PixelFn& value) {
  WriteRaster("GTiff", path, tiff, value);
}

std::string WriteLandsat(const std::string& folder, const TiffSpec& tiff, const PixelFn& value,
                         bool withThermal, int skipBand, MtlFormat format) {
  fs::create_directories(folder);
  const std::string id = "LC09_L2SP_107035_20240501_20240502_02_T1";
  std::vector<std::pair<std::string, std::string>> items{{"LANDSAT_PRODUCT_ID", id}};
  TiffSpec one = tiff;
  one.bands = 1;
  for (int b = 1; b <= 7; ++b) {
    const std::string name = id + Format("_SR_B%d.TIF", b);
    items.emplace_back(Format("FILE_NAME_BAND_%d", b), name);
    if (b != skipBand)
      WriteGeoTiff(folder + "/" + name, one, [&](int, int x, int y) { return value(b, x, y); });
  }
  if (withThermal) {
    const std::string name = id + "_ST_B10.TIF";
    items.emplace_back("FILE_NAME_BAND_ST_B10", name);
    WriteGeoTiff(folder + "/" + name, one, [&](int, int x, int y) { return value(10, x, y); });
  }
  items.emplace_back("SPACECRAFT_ID", "LANDSAT_9");
  items.emplace_back("DATE_ACQUIRED", "2024-05-01");
  const char* ending = format == MtlFormat::kJson  ? "_MTL.json"
                       : format == MtlFormat::kXml ? "_MTL.xml"
                                                   : "_MTL.txt";
  const std::string path = folder + "/" + id + ending;
  std::ofstream(path) << MtlText(format, items);
  return path;
}

std::string WriteSentinel(const std::string& folder, const TiffSpec& tiff, const PixelFn& value,
                          bool jpeg2000) {
  const std::string img = folder + "/GRANULE/L2A_T54SUE_A000001_20240501T012345/IMG_DATA";
  fs::create_directories(img + "/R10m");
  fs::create_directories(img + "/R20m");
  TiffSpec fine = tiff, coarse = tiff;
  fine.bands = coarse.bands = 1;
  coarse.pixelSize = tiff.pixelSize * 2;
  coarse.width = tiff.width / 2;
  coarse.height = tiff.height / 2;
  const std::string stem = "T54SUE_20240501T012345_B";
  const char* driver = jpeg2000 ? "JP2OpenJPEG" : "GTiff";
  const char* ending = jpeg2000 ? "jp2" : "tif";
  for (int b : {2, 3, 4, 8})
    WriteRaster(driver, img + Format("/R10m/%s%02d_10m.%s", stem.c_str(), b, ending), fine,
                [&](int, int x, int y) { return value(b, x, y); });
  for (int b : {2, 5, 11, 12})
    WriteRaster(driver, img + Format("/R20m/%s%02d_20m.%s", stem.c_str(), b, ending), coarse,
                [&](int, int x, int y) { return value(b, x, y); });
  return folder;
}

void WriteVrt(const std::string& vrt, const std::string& source) {
  GDALAllRegister();
  std::unique_ptr<GDALDataset> src(GDALDataset::FromHandle(GDALOpen(source.c_str(), GA_ReadOnly)));
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("VRT");
  if (!src || !driver) throw std::runtime_error("cannot read " + source);
  std::unique_ptr<GDALDataset> copy(
      driver->CreateCopy(vrt.c_str(), src.get(), FALSE, nullptr, nullptr, nullptr));
  if (!copy) throw std::runtime_error("cannot create " + vrt);
}

void GdalLonLat(int epsg, double x, double y, double& lon, double& lat) {
  OGRSpatialReference source, wgs;
  source.importFromEPSG(epsg);
  source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  wgs.importFromEPSG(4326);
  wgs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&source, &wgs));
  lon = x;
  lat = y;
  ct->Transform(1, &lon, &lat);
}

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lumora::test
