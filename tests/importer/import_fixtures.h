// Test inputs made with GDAL in the test itself: GeoTIFFs, a Landsat-like
// product with its MTL file and a Sentinel-2-like folder.
#pragma once

#include <gdal.h>

#include <functional>
#include <string>
#include <vector>

namespace lumora::test {

// Value of band b (1-based) at pixel (x, y).
using PixelFn = std::function<double(int band, int x, int y)>;

struct TiffSpec {
  int epsg = 32654;
  double originX = 500000.0;  // outer corner of the top-left pixel
  double originY = 4000020.0;
  double pixelSize = 30.0;
  int width = 32;
  int height = 24;
  int bands = 1;
  GDALDataType type = GDT_UInt16;
  bool hasNoData = false;
  double noData = 0.0;
};

void WriteGeoTiff(const std::string& path, const TiffSpec& tiff, const PixelFn& value);

enum class MtlFormat { kText, kJson, kXml };

// Landsat 9 Level-2 product in folder: SR_B1..SR_B7, ST_B10 (withThermal)
// and the MTL file in the given format, each band from value(band number of
// the product, x, y). skipBand leaves out that band's file (the MTL still
// names it). Returns the MTL path.
std::string WriteLandsat(const std::string& folder, const TiffSpec& tiff, const PixelFn& value,
                         bool withThermal = true, int skipBand = 0,
                         MtlFormat format = MtlFormat::kText);

// Sentinel-2 L2A-like tile: B02, B03, B04, B08 at tiff's 10 m grid in R10m,
// B05, B11, B12 at 20 m in R20m (half the cells), value(band number, x, y)
// on each file's own grid, as GeoTIFF or, as delivered, lossless JPEG 2000.
// Returns the product folder.
std::string WriteSentinel(const std::string& folder, const TiffSpec& tiff, const PixelFn& value,
                          bool jpeg2000 = false);

// A GDAL virtual raster at vrt that reads the raster file source.
void WriteVrt(const std::string& vrt, const std::string& source);

// Longitude and latitude (WGS 84) of a point of an EPSG system, by GDAL.
void GdalLonLat(int epsg, double x, double y, double& lon, double& lat);

// The bytes of a band file.
std::vector<uint8_t> Bytes(const std::string& path);

}  // namespace lumora::test
