// Ground scale of an image at a latitude on the ellipsoid the program uses:
// kilometres and image pixels per degree of longitude and latitude, and the
// geographic corner of a window cut out of an inclined image.
#pragma once

#include <cstdint>

namespace lumora {

inline constexpr double kDegToRad = 0.0174532925;

struct GroundScale {
  double kmPerDegLon = 0.0;
  double kmPerDegLat = 0.0;
  double pixelsPerDegLon = 0.0;  // kmPerDegLon / lengthPerPixel
  double pixelsPerDegLat = 0.0;
};

// The longitude term divides by W squared (not by its square root): stored
// images were georeferenced with this formula, so it is kept.
GroundScale ComputeGroundScale(double latitudeDeg, double lengthPerPixelKm);

// New top-left corner of a window whose top-left pixel is (left, top) in the
// source image; image rows run southwards and the image is turned by the
// inclination (degrees) against the meridians. The longitude comes back in
// -180..180 (a window east of the antimeridian is west of it). False, with
// the corner unchanged, when it cannot be computed: a ground length that is
// infinite or not a number, a corner at a pole (no longitude there) or a
// window reaching over one.
bool WindowCorner(double leftTopLon, double leftTopLat, double inclinationDeg,
                  double lengthPerPixelKm, int left, int top, double& newLon, double& newLat);

// Ground measures from LengthPerPixel (km per pixel); not measurable when
// that is not a positive finite number.
struct GroundMeasure {
  bool measurable = false;
  double areaM2 = 0.0;
  double perimeterM = 0.0;
};
GroundMeasure MeasureRegion(int64_t pixels, double perimeterPixels, double lengthPerPixelKm);

}  // namespace lumora
