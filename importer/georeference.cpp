#include "importer/georeference.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "core/imagefile/ground_scale.h"
#include "core/support/text.h"

namespace lumora::importer {

namespace {

constexpr double kPi = 3.14159265358979323846;

OGRSpatialReference Wgs84() {
  OGRSpatialReference wgs;
  wgs.SetWellKnownGeogCS("WGS84");
  wgs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return wgs;
}

// "name (EPSG:code)", cut so that the settings line stays within the
// 127 characters a reader takes in one piece.
std::string SystemName(const OGRSpatialReference& srs) {
  OGRSpatialReference copy(srs);
  const char* authority = copy.GetAuthorityName(nullptr);
  if (!authority || std::string(authority) != "EPSG") copy.AutoIdentifyEPSG();
  authority = copy.GetAuthorityName(nullptr);
  const char* code = copy.GetAuthorityCode(nullptr);
  std::string suffix;
  if (authority && code && std::string(authority) == "EPSG")
    suffix = std::string(" (EPSG:") + code + ")";
  std::string name = srs.GetName() ? srs.GetName() : "";
  const size_t room = 100 - suffix.size();
  if (name.size() > room) name.resize(room);
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return name + suffix;
}

// Lines "KEY = value" of a settings file that the settings record does not
// carry; the last one wins, as for every key.
double ExtraKey(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  double value = 0.0;
  const std::string prefix = key + " =";
  while (std::getline(in, line))
    if (StartsWith(line, prefix)) value = AtoF(std::string_view(line).substr(prefix.size()));
  return value;
}

}  // namespace

bool ToLonLat(const OGRSpatialReference& srs, double x, double y, double& lon, double& lat) {
  OGRSpatialReference source(srs);
  source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  const OGRSpatialReference wgs = Wgs84();
  std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&source, &wgs));
  if (!ct) return false;
  lon = x;
  lat = y;
  return ct->Transform(1, &lon, &lat) && std::isfinite(lon) && std::isfinite(lat);
}

bool ComputeGeoKeys(const OGRSpatialReference& srs, const double t[6], GeoKeys& keys) {
  keys = GeoKeys();
  keys.orgE = t[0];
  keys.orgN = t[3];
  keys.pixelWidth = t[1];
  keys.pixelHeight = -t[5];
  double lon0 = 0, lat0 = 0, lon1 = 0, lat1 = 0;
  if (!ToLonLat(srs, t[0], t[3], lon0, lat0) || !ToLonLat(srs, t[0] + t[1], t[3], lon1, lat1))
    return false;
  keys.leftTopLon = lon0;
  keys.leftTopLat = lat0;
  // One cell along the first row, in metres east and north on the WGS 84
  // ellipsoid (meridian and prime-vertical radii at the corner; over one
  // cell the curvature does not matter).
  constexpr double kA = 6378137.0, kE2 = 0.00669437999014;
  const double phi = lat0 * kPi / 180.0, w = 1.0 - kE2 * std::sin(phi) * std::sin(phi);
  const double meridian = kA * (1.0 - kE2) / (w * std::sqrt(w)), prime = kA / std::sqrt(w);
  const double east = (lon1 - lon0) * kPi / 180.0 * prime * std::cos(phi);
  const double north = (lat1 - lat0) * kPi / 180.0 * meridian;
  keys.lengthPerPixel = std::hypot(east, north) / 1000.0;
  keys.inclination = std::atan2(north, east) * 180.0 / kPi;
  keys.gpsChar = SystemName(srs);
  OGRErr err = OGRERR_NONE;
  keys.gpsA = srs.GetSemiMajor(&err);
  keys.gpsRf = srs.GetInvFlattening(&err);
  const char* projection = srs.GetAttrValue("PROJECTION");
  keys.transverseMercator = projection && std::string(projection) == SRS_PT_TRANSVERSE_MERCATOR;
  keys.gpsM0 = srs.GetNormProjParm(SRS_PP_SCALE_FACTOR, 1.0);
  keys.gpsYoff = srs.GetNormProjParm(SRS_PP_FALSE_EASTING, 0.0);
  return std::isfinite(keys.lengthPerPixel) && keys.lengthPerPixel > 0.0;
}

std::string SettingsText(int lines, int pixels, int startLine, int startPixel, int sensor,
                         const GeoKeys& k) {
  std::string s = Format("LINE = %d\nPIXEL = %d\n", lines, pixels);
  s += Format("START_LINE = %d\nSTART_PIXEL = %d\nSAMPLING_RATE = 1\n", startLine, startPixel);
  s += Format("OrgE = %.6f\nOrgN = %.6f\n", k.orgE, k.orgN);
  s += "GPS_CHAR = " + k.gpsChar + "\n";
  // The projection keys describe Transverse Mercator systems only.
  if (k.transverseMercator) s += Format("GPS_m0 = %.9f\nGPS_Yoff = %.6f\n", k.gpsM0, k.gpsYoff);
  s += Format("GPS_A = %.6f\nGPS_rf = %.9f\n", k.gpsA, k.gpsRf);
  s += Format("SENSOR = %d\n", sensor);
  s += Format("LengthPerPixel = %.12f\n", k.lengthPerPixel);
  s += Format("LeftTop_Lon = %.10f\nLeftTop_Lat = %.10f\n", k.leftTopLon, k.leftTopLat);
  s += Format("Inclination = %.10f\n", k.inclination);
  s += Format("%s = %.9f\n%s = %.9f\n", kGridPixelWidthKey, k.pixelWidth, kGridPixelHeightKey,
              k.pixelHeight);
  s += "File_State = 0\nRainbow = 0\nSingle_Band = 0\n";
  return s;
}

bool SceneGrid(const std::string& settingsPath, const ImageSettings& s, Grid& grid) {
  grid = Grid();
  grid.width = s.pixels;
  grid.height = s.lines;
  if (!s.HasGeoReference() || !(s.lengthPerPixel > 0.0)) return false;
  std::ifstream in(settingsPath, std::ios::binary);
  std::string text(1 << 16, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  const double pw = ExtraKey(text, kGridPixelWidthKey), ph = ExtraKey(text, kGridPixelHeightKey);
  const size_t epsgAt = s.gpsChar.find("(EPSG:");
  OGRSpatialReference srs;
  // A cell size that is no finite number is no grid.
  if (pw > 0.0 && ph > 0.0 && std::isfinite(pw * ph) && epsgAt != std::string::npos &&
      srs.importFromEPSG(AtoI(std::string_view(s.gpsChar).substr(epsgAt + 6))) == OGRERR_NONE &&
      srs.IsProjected()) {
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference wgs = Wgs84();
    std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&wgs, &srs));
    double x = s.leftTopLon, y = s.leftTopLat;
    if (ct && ct->Transform(1, &x, &y)) {
      // The corner as imported when the longitude and latitude still point
      // at it; a window cut out later has only its computed corner.
      if (std::abs(x - s.orgE) < pw && std::abs(y - s.orgN) < ph) {
        x = s.orgE;
        y = s.orgN;
      }
      const double t[6] = {x, pw, 0.0, y, 0.0, -ph};
      std::copy(t, t + 6, grid.transform);
      char* wkt = nullptr;
      srs.exportToWkt(&wkt);
      grid.wkt = wkt ? wkt : "";
      CPLFree(wkt);
      return !grid.wkt.empty();
    }
  }
  // The program's own rule: longitude and latitude linear in the pixel
  // position, turned by the inclination, with the ground scale at the corner.
  const GroundScale g = ComputeGroundScale(s.leftTopLat, s.lengthPerPixel);
  if (!(g.pixelsPerDegLon > 0.0) || !(g.pixelsPerDegLat > 0.0)) return false;
  const double theta = s.inclination * kDegToRad;
  const double t[6] = {
      s.leftTopLon, std::cos(theta) / g.pixelsPerDegLon, std::sin(theta) / g.pixelsPerDegLon,
      s.leftTopLat, std::sin(theta) / g.pixelsPerDegLat, -std::cos(theta) / g.pixelsPerDegLat};
  std::copy(t, t + 6, grid.transform);
  char* wkt = nullptr;
  Wgs84().exportToWkt(&wkt);
  grid.wkt = wkt ? wkt : "";
  CPLFree(wkt);
  return !grid.wkt.empty();
}

}  // namespace lumora::importer
