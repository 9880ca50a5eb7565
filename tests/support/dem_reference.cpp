#include "tests/support/dem_reference.h"

#include <algorithm>
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
  V ToCam(V p) const {
    const V q = Sub(p, target);
    return {Dot(e1, q), Dot(e2, q), -Dot(f, q)};
  }
  bool CamInView(V c) const {
    const double depth = c.z + d;
    return depth >= 1e-10 && std::sqrt(c.x * c.x + c.y * c.y) / depth <= tanHalf;
  }
  bool InView(V p) const { return CamInView(ToCam(p)); }
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

V Direction(float az, float el) {
  const double b = float(90 - az) * 0.017453292500000002, e = el * 0.017453292500000002;
  return {std::cos(e) * std::cos(b), -std::cos(e) * std::sin(b), std::sin(e)};
}

bool InsidePoly(const double* xs, const double* ys, int n, double x, double y) {
  bool in = false;
  for (int i = 0; i < n; ++i) {
    const int j = (i + n - 1) % n;
    if ((ys[i] > y) != (ys[j] > y) && x < (xs[j] - xs[i]) * (y - ys[i]) / (ys[j] - ys[i]) + xs[i])
      in = !in;
  }
  return in;
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
  const V u = Direction(az, el);
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

std::vector<std::vector<uint8_t>> ReferenceBirdsEye(
    const ElevationModel& m, double lpp, float az, float el, double exaggeration,
    const std::vector<std::vector<uint8_t>>& bands) {
  const int w = m.pixels, h = m.lines, nb = int(bands.size());
  std::vector<std::vector<uint8_t>> planes(nb, std::vector<uint8_t>(600 * 600, 0));
  std::vector<double> zbuf(600 * 600, 0.0);
  const V v = Direction(az, el);
  const double dd = std::sqrt(double(w) * w + double(h) * h) * 0.5;
  const V centre{w * 0.5, h * 0.5, 0.0};
  const Cam cam = MakeCam(Add(centre, Mul(v, 10.0 * dd)), Add(centre, Mul(v, dd)), 60.0);
  auto z = [&](int code) { return code * m.metresPerCode * 0.001 / lpp; };

  double mx = 0, my = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const V c = cam.ToCam({double(x), double(y), z(m.Code(x, y)) * exaggeration});
      if (cam.CamInView(c)) mx = std::max(mx, std::fabs(c.x)), my = std::max(my, std::fabs(c.y));
    }
  }
  double scale = 1.0;
  if (mx > 0 && my > 0)
    scale = std::min(300.0 / mx, 300.0 / my);
  else if (mx > 0)
    scale = 300.0 / mx;
  else if (my > 0)
    scale = 300.0 / my;

  const bool southNear = 90 < az && az <= 270, eastNear = 0 < az && az <= 180;
  const double drop = 1.2 * m.metresPerCode * 0.001 / lpp;
  for (int r = -1; r < h; ++r) {
    if (r == (southNear ? -1 : h - 1)) continue;
    for (int c = -1; c < w; ++c) {
      if (c == (eastNear ? -1 : w - 1)) continue;
      const bool wall = r == -1 || r == h - 1 || c == -1 || c == w - 1;
      double sx[4], sy[4], depth = 0;
      bool anyIn = false, anyOn = false;
      int sum[3] = {0, 0, 0};
      const int vx[4] = {c, c + 1, c + 1, c}, vy[4] = {r, r, r + 1, r + 1};
      double depths[4];
      for (int i = 0; i < 4; ++i) {
        const int x = std::clamp(vx[i], 0, w - 1), y = std::clamp(vy[i], 0, h - 1);
        const bool inside = x == vx[i] && y == vy[i];
        double zz = inside ? z(m.Code(x, y)) * exaggeration : z(m.range.minCode);
        if (wall) zz -= drop;
        const V cp = cam.ToCam({double(x), double(y), zz});
        anyIn = anyIn || cam.CamInView(cp);
        sx[i] = 300.5 - scale * cp.x;
        sy[i] = 300.5 - scale * cp.y;
        anyOn = anyOn || (sx[i] >= 0 && sx[i] < 600 && sy[i] >= 0 && sy[i] < 600);
        depths[i] = cp.z + cam.d;
        for (int b = 0; b < nb; ++b) sum[b] += bands[b][size_t(y) * w + x];
      }
      if (!anyIn || !anyOn) continue;
      depth = (depths[0] + depths[1] + depths[2] + depths[3]) / 4.0;
      const double lx = std::max(0.0, std::min({sx[0], sx[1], sx[2], sx[3]}));
      const double hx = std::min(600.0, std::max({sx[0], sx[1], sx[2], sx[3]}));
      const double ly = std::max(0.0, std::min({sy[0], sy[1], sy[2], sy[3]}));
      const double hy = std::min(600.0, std::max({sy[0], sy[1], sy[2], sy[3]}));
      for (int py = int(ly); py <= int(hy) && py < 600; ++py) {
        for (int px = int(lx); px <= int(hx) && px < 600; ++px) {
          if (!InsidePoly(sx, sy, 4, px, py)) continue;
          double& stored = zbuf[size_t(py) * 600 + px];
          if (wall) {
            stored = -1.0;
            for (int b = 0; b < nb; ++b) planes[b][size_t(py) * 600 + px] = 0;
          } else if (stored != -1.0 && (stored <= 0 || stored > depth)) {
            stored = depth;
            for (int b = 0; b < nb; ++b) planes[b][size_t(py) * 600 + px] = uint8_t(sum[b] / 4);
          }
        }
      }
    }
  }
  return planes;
}

}  // namespace lumora::test
