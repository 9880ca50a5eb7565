// The geographic reference of an imported grid in the terms of the settings
// file, and back: the grid a scene's settings file describes, so that other
// data (an elevation model) can be put onto it.
#pragma once

#include <string>

#include "core/imagefile/settings_file.h"

class OGRSpatialReference;

namespace lumora::importer {

// A north-up grid in a coordinate system: geotransform as GDAL gives it
// (x0, pixel width, 0, y0, 0, -pixel height) and the system's WKT.
struct Grid {
  std::string wkt;
  double transform[6] = {0, 1, 0, 0, 0, -1};
  int width = 0;
  int height = 0;
};

// What the settings file says about where the image lies.
struct GeoKeys {
  double leftTopLon = 0.0;  // outer corner of the top-left pixel, WGS 84
  double leftTopLat = 0.0;
  double lengthPerPixel = 0.0;  // km on the ground along a row at the corner
  double inclination = 0.0;     // degrees the rows turn from east towards north
  std::string gpsChar;          // "WGS 84 / UTM zone 54N (EPSG:32654)"
  double gpsA = 0.0, gpsRf = 0.0, gpsM0 = 0.0, gpsYoff = 0.0;
  bool transverseMercator = false;
  double orgE = 0.0, orgN = 0.0;  // grid corner in the system's units
  double pixelWidth = 0.0, pixelHeight = 0.0;
};

// Keys of the grid's cell size in the settings file (the system's units).
inline constexpr const char* kGridPixelWidthKey = "GridPixelWidth";
inline constexpr const char* kGridPixelHeightKey = "GridPixelHeight";

// Longitude and latitude (WGS 84) of a point of the grid's system; false
// when the transformation fails.
bool ToLonLat(const OGRSpatialReference& srs, double x, double y, double& lon, double& lat);

// The keys of a projected north-up grid: the corner in WGS 84, the ground
// length of a cell along the first row and the direction of that row
// against east, both at the corner (so the ruler and scale bar measure the
// ground, and the grid's turn against the meridians is the projection's).
// False when the corner cannot be transformed.
bool ComputeGeoKeys(const OGRSpatialReference& srs, const double transform[6], GeoKeys& keys);

// The settings text of an imported scene.
std::string SettingsText(int lines, int pixels, int startLine, int startPixel, int sensor,
                         const GeoKeys& keys);

// The grid a scene lies on, from its settings file: its own projected grid
// when the file names an EPSG system and the cell size (an imported scene),
// otherwise the program's linear longitude/latitude rule in WGS 84. False
// when the scene has no geographic reference.
bool SceneGrid(const std::string& settingsPath, const ImageSettings& settings, Grid& grid);

}  // namespace lumora::importer
