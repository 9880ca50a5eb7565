#include "tests/support/shading_reference.h"

#include <cmath>

namespace lumora::test {
namespace {

struct V {
  double x, y, z;
};
V Sub(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V Add(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V Mul(V a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Len(V a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

struct Cam {
  V target, f, e1, e2;
  double d, tanHalf;
  bool InView(V p) const {
    const V q = Sub(p, target);
    const V c{Dot(e1, q), Dot(e2, q), -Dot(f, q)};
    const double depth = c.z + d;
    return depth >= 1e-10 && std::sqrt(c.x * c.x + c.y * c.y) / depth <= tanHalf;
  }
};

Cam MakeCam(V eye, V target, double angle) {
  Cam c;
  c.target = target;
  const V w = Sub(eye, target);
  c.d = Len(w);
  const double h = std::sqrt(w.x * w.x + w.y * w.y);
  const double cy = w.x / h, sy = w.y / h, cp = h / c.d, sp = w.z / c.d;
  c.f = {cy * cp, sy * cp, sp};
  c.e1 = {-sy, cy, 0.0};
  c.e2 = {-cy * sp, -sy * sp, cp};
  c.tanHalf = std::tan(angle * 0.008726646259969445);
  return c;
}

int Clip(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

}  // namespace

std::vector<std::vector<uint8_t>> ReferenceShading(const ElevationModel& m, int kind, double lpp,
                                                   float az, float el) {
  const int w = m.pixels, h = m.lines;
  const bool grey = kind == 6;
  std::vector<std::vector<uint8_t>> planes(grey ? 1 : 3,
                                           std::vector<uint8_t>(size_t(w) * h, grey ? 255 : 0));
  const DisplayRange range = DisplayRangeFor(kind, m.rangeBottom, m.rangeTop);
  auto z = [&](int code) { return code * m.metresPerCode * 0.001 / lpp; };
  const double b = float(90 - az) * 0.017453292500000002, e = el * 0.017453292500000002;
  const V u{std::cos(e) * std::cos(b), -std::cos(e) * std::sin(b), std::sin(e)};
  const double dd = std::sqrt(double(w) * w + double(h) * h) * 0.5;
  const V centre{w * 0.5, h * 0.5, 0.0};
  const Cam cam = MakeCam(Add(centre, Mul(u, 100.0 * dd)), Add(centre, Mul(u, dd)), 180.0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t at = size_t(y) * w + x;
      const int code = m.Code(x, y);
      int rgb[3] = {255, 255, 255};  // red, green, blue
      if (code == 0) {
        if (grey) {
          planes[0][at] = 0;
        } else {
          planes[0][at] = 255, planes[1][at] = 0, planes[2][at] = 0;
        }
        continue;
      }
      if (!grey) {
        double raw = (((code - 1) * m.metresPerCode + m.range.minAltitude) - range.bottom) /
                         (range.top - range.bottom) * 254.0 +
                     1.0;
        const int index = raw >= 255.0 ? 255 : raw < 1.0 ? 1 : int(raw);
        const Bgr c = ElevationColour(index);
        rgb[0] = c[2], rgb[1] = c[1], rgb[2] = c[0];
      }
      const V p{double(x), double(y), z(code)};
      bool black = !cam.InView(p);
      V kept[4];
      int k = 0;
      bool lit = false;
      const int nx[4] = {x, x - 1, x, x + 1}, ny[4] = {y - 1, y, y + 1, y};
      for (int i = 0; i < 4 && !black; ++i) {
        if (nx[i] < 0 || ny[i] < 0 || nx[i] >= w || ny[i] >= h) continue;
        const int nc = m.Code(nx[i], ny[i]);
        if (nc == 0) continue;
        const V n{double(nx[i]), double(ny[i]), z(nc)};
        kept[k++] = Sub(n, p);
        lit = lit || cam.InView(n);
      }
      double s = 0.0;
      if (!black) {
        black = !lit || k < 2;
        V sum{0, 0, 0};
        for (int i = 0; i < k && !black; ++i) sum = Add(sum, Cross(kept[(i + 1) % k], kept[i]));
        const double len = Len(sum);
        const V n = len == 0.0 ? V{0, 0, 0} : V{sum.x / len, sum.y / len, sum.z / len};
        s = Dot(n, u);
        black = black || s < 0;
      }
      int out[3] = {0, 0, 0};  // blue, green, red
      if (!black) {
        const int R = rgb[0], G = rgb[1], B = rgb[2];
        const int Y = Clip(int((0.299 * R + 0.587 * G + 0.114 * B) * s));
        const int Cb = Clip(128 - int(0.16874 * R + 0.33126 * G - 0.5 * B));
        const int Cr = Clip(128 - int(0.08131 * B - 0.5 * R + 0.41869 * G));
        out[2] = Clip(int(Y + 1.402 * (Cr - 128)));
        out[1] = Clip(int(Y - 0.34414 * (Cb - 128) - 0.71414 * (Cr - 128)));
        out[0] = Clip(int(Y + 1.772 * (Cb - 128)));
      }
      for (size_t i = 0; i < planes.size(); ++i) planes[i][at] = uint8_t(out[i]);
    }
  }
  return planes;
}

}  // namespace lumora::test
