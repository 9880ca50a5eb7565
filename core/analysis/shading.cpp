#include "core/analysis/shading.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/imagefile/settings_file.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/string_table.h"

namespace lumora {
namespace {

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// How near the fast inner brightness must come to a point where the output
// changes (zero, or a luma times it crossing a whole number) before the plain
// brightness is worked out: far above the fast value's error (about 1e-14,
// times at most 255).
constexpr double kSettleMargin = 1e-9;

// A level the fast brightness leaves open: the plain brightness decides.
constexpr int16_t kUnsettled = -2;

#if defined(__SSE2__)
// The output luma of two pixels from their fast brightness s and their
// colours' lumas l: clamp(l s) when lit, -1 when unlit, kUnsettled when s
// lies too near a point where the output changes (zero, or l s crossing a
// whole number) to decide it.
inline void LevelsOfTwo(const double* s, const double* l, int16_t* levels) {
  const __m128d margin = _mm_set1_pd(kSettleMargin);
  const __m128d below = _mm_set1_pd(-kSettleMargin), top = _mm_set1_pd(1.0 - kSettleMargin);
  const __m128d v = _mm_loadu_pd(s);
  const __m128d t = _mm_mul_pd(_mm_loadu_pd(l), v);
  const __m128i n = _mm_cvttpd_epi32(t);
  const __m128d fraction = _mm_sub_pd(t, _mm_cvtepi32_pd(n));
  // Lit and settled: s at least the margin and the fraction clear of both ends.
  const __m128d lit = _mm_and_pd(_mm_cmpge_pd(v, margin), _mm_and_pd(_mm_cmpge_pd(fraction, margin),
                                                                     _mm_cmple_pd(fraction, top)));
  const __m128d dark = _mm_cmple_pd(v, below);
  // The doubles' masks as the low two 32-bit lanes.
  const __m128i litMask = _mm_shuffle_epi32(_mm_castpd_si128(lit), 0x08);
  const __m128i darkMask = _mm_shuffle_epi32(_mm_castpd_si128(dark), 0x08);
  const __m128i full = _mm_set1_epi32(255);
  __m128i level = _mm_and_si128(n, _mm_cmpgt_epi32(n, _mm_setzero_si128()));
  const __m128i over = _mm_cmpgt_epi32(level, full);
  level = _mm_or_si128(_mm_andnot_si128(over, level), _mm_and_si128(over, full));
  __m128i out = _mm_or_si128(_mm_and_si128(litMask, level),
                             _mm_andnot_si128(litMask, _mm_set1_epi32(kUnsettled)));
  out = _mm_or_si128(_mm_and_si128(darkMask, _mm_set1_epi32(-1)), _mm_andnot_si128(darkMask, out));
  levels[0] = static_cast<int16_t>(_mm_cvtsi128_si32(out));
  levels[1] = static_cast<int16_t>(_mm_cvtsi128_si32(_mm_srli_si128(out, 4)));
}
#endif

// The levels (as LevelsOfTwo) of the pixels 1..width-2 of an inner row from
// their fast brightness s and their colours' lumas.
void LevelsOfRow(const double* s, const double* luma, int32_t width, int16_t* levels) {
#if defined(__SSE2__)
  for (int32_t x = 1; x + 1 < width; x += 2) {
    if (x + 2 < width) {
      LevelsOfTwo(s + x, luma + x, levels + x);
      continue;
    }
    // The last pixel alone, paired with itself.
    const double s2[2] = {s[x], s[x]}, l2[2] = {luma[x], luma[x]};
    int16_t two[2];
    LevelsOfTwo(s2, l2, two);
    levels[x] = two[0];
  }
#else
  for (int32_t x = 1; x + 1 < width; ++x) {
    const double t = luma[x] * s[x];
    const double fraction = t - static_cast<int>(t);
    if (s[x] <= -kSettleMargin)
      levels[x] = -1;
    else if (s[x] < kSettleMargin || fraction < kSettleMargin || fraction > 1.0 - kSettleMargin)
      levels[x] = kUnsettled;
    else
      levels[x] = static_cast<int16_t>(Clamp255(static_cast<int>(t)));
  }
#endif
}

// The parts of the luminance scaling that depend only on the colour.
struct LumaColour {
  double luma = 0.0;
  double rAdd = 0.0, gSub1 = 0.0, gSub2 = 0.0, bAdd = 0.0;

  explicit LumaColour(const Bgr& c) {
    const int r = c[2], g = c[1], b = c[0];
    luma = 0.299 * r + 0.587 * g + 0.114 * b;
    const int cb = Clamp255(128 - static_cast<int>(0.16874 * r + 0.33126 * g - 0.5 * b));
    const int cr = Clamp255(128 - static_cast<int>(0.08131 * b - 0.5 * r + 0.41869 * g));
    rAdd = 1.402 * (cr - 128);
    gSub1 = 0.34414 * (cb - 128);
    gSub2 = 0.71414 * (cr - 128);
    bAdd = 1.772 * (cb - 128);
  }

  // s is in 0..1 (a dot product of unit vectors), so the products stay small.
  int Luma(double s) const { return Clamp255(static_cast<int>(luma * s)); }
  Bgr FromLuma(int y) const {
    return {static_cast<uint8_t>(Clamp255(static_cast<int>(y + bAdd))),
            static_cast<uint8_t>(Clamp255(static_cast<int>(y - gSub1 - gSub2))),
            static_cast<uint8_t>(Clamp255(static_cast<int>(y + rAdd)))};
  }
  Bgr Scaled(double s) const { return FromLuma(Luma(s)); }
};

// The light as a camera far away in the light direction.
struct Light {
  Camera camera;
  Vec3 u;
  bool allInView = false;  // every point of the model is certainly in view
};

Light SetUpLight(const ElevationModel& m, const ShadingRequest& r, double topHeight) {
  Light light;
  const double d = std::sqrt(double(m.pixels) * m.pixels + double(m.lines) * m.lines) * 0.5;
  light.u = DirectionFromAngles(r.lightAzimuth, r.lightElevation);
  const Vec3 centre(m.pixels * 0.5, m.lines * 0.5, 0.0);
  light.camera = Camera(centre + light.u * (100.0 * d), centre + light.u * d, 600, 600, 180.0);
  // Depth and distance from the axis are affine and convex in the point, so
  // their extremes over the model's box lie at its corners. With a wide
  // margin for rounding, the per-point test can then be skipped.
  double minDepth = INFINITY, maxRadius = 0.0, maxReach = 0.0;
  for (int i = 0; i < 8; ++i) {
    const Vec3 p((i & 1) ? m.pixels - 1 : 0, (i & 2) ? m.lines - 1 : 0, (i & 4) ? topHeight : 0);
    const Vec3 c = light.camera.ToCamera(p);
    minDepth = std::min(minDepth, light.camera.Depth(c));
    maxRadius = std::max(maxRadius, c.LengthXY());
    maxReach = std::max(maxReach, (p - light.camera.Target()).Length());
  }
  const double slack = 1e-9 * (light.camera.Distance() + maxReach);
  light.allInView = minDepth - slack >= 1e-10 &&
                    maxRadius + slack <= (minDepth - slack) * light.camera.TanHalfAngle() * 0.5;
  return light;
}

class Shader {
 public:
  Shader(const ElevationModel& m, const ShadingRequest& r) : m_model(m) {
    for (int c = 0; c < 256; ++c) m_height[c] = HeightOfCode(c, m.metresPerCode, r.lengthPerPixel);
    m_light = SetUpLight(m, r, m_height[255]);
  }

  // Brightness of land pixel (x, y) from its neighbours; false when it is black.
  bool Brightness(int32_t x, int32_t y, double& s) const {
    const Vec3 p(x, y, m_height[m_model.Code(x, y)]);
    if (!Visible(p)) return false;
    static constexpr int kDx[4] = {0, -1, 0, 1};  // up, left, down, right
    static constexpr int kDy[4] = {-1, 0, 1, 0};
    Vec3 kept[4];
    int k = 0;
    bool lit = false;
    for (int i = 0; i < 4; ++i) {
      const int32_t nx = x + kDx[i], ny = y + kDy[i];
      if (nx < 0 || ny < 0 || nx >= m_model.pixels || ny >= m_model.lines) continue;
      const uint8_t code = m_model.Code(nx, ny);
      if (code == 0) continue;
      const Vec3 n(nx, ny, m_height[code]);
      kept[k++] = n - p;
      if (Visible(n)) lit = true;
    }
    if (!lit || k < 2) return false;
    Vec3 sum;
    for (int i = 0; i < k; ++i) sum += kept[(i + 1) % k].Cross(kept[i]);
    s = sum.Normalized().Dot(m_light.u);
    return s >= 0.0;
  }

  // Brightness of pixel x of an inner row as if all four neighbours were
  // land, from the heights of the row and the rows above and below. With the
  // neighbours one step away in x or y, the four cross products of
  // Brightness reduce to (b, a, 1), (b, -c, 1), (-d, -c, 1) and (-d, a, 1)
  // for the height differences a (up), b (left), c (down) and d (right);
  // they are summed in the same order, so the result is the same but for the
  // sign of a zero, which no output byte depends on.
  double InnerPixel(const double* up, const double* mid, const double* down, int32_t x) const {
    const Vec3 u = m_light.u;
    const double z = mid[x];
    const double a = up[x] - z, b = mid[x - 1] - z, c = down[x] - z, d = mid[x + 1] - z;
    const double sx = b + b - d - d;
    const double sy = a - c - c + a;
    const double len = std::sqrt(sx * sx + sy * sy + 16.0);
    return sx / len * u.x + sy / len * u.y + 4.0 / len * u.z;
  }

  // InnerPixel of the pixels 1..width-2 within kSettleMargin, without a
  // division or a square root: the projection is multiplied by the inverse
  // length, good to about 1e-13, so the brightness moves by less than 1e-12.
  void InnerRowNear(const double* up, const double* mid, const double* down, int32_t width,
                    double* out) const {
    const Vec3 u = m_light.u;
    int32_t x = 1;
#if defined(__SSE2__)
    const __m128d ux = _mm_set1_pd(u.x), uy = _mm_set1_pd(u.y), uz4 = _mm_set1_pd(4.0 * u.z);
    const __m128d half = _mm_set1_pd(0.5), threeHalves = _mm_set1_pd(1.5);
    const __m128d sixteen = _mm_set1_pd(16.0);
    for (; x + 2 < width; x += 2) {
      const __m128d z = _mm_loadu_pd(mid + x);
      const __m128d a = _mm_sub_pd(_mm_loadu_pd(up + x), z);
      const __m128d b = _mm_sub_pd(_mm_loadu_pd(mid + x - 1), z);
      const __m128d c = _mm_sub_pd(_mm_loadu_pd(down + x), z);
      const __m128d d = _mm_sub_pd(_mm_loadu_pd(mid + x + 1), z);
      const __m128d sx = _mm_sub_pd(_mm_sub_pd(_mm_add_pd(b, b), d), d);
      const __m128d sy = _mm_add_pd(_mm_sub_pd(_mm_sub_pd(a, c), c), a);
      const __m128d square =
          _mm_add_pd(_mm_add_pd(_mm_mul_pd(sx, sx), _mm_mul_pd(sy, sy)), sixteen);
      // 1 / length: the single-precision estimate (within 4e-4), then two
      // Newton steps r (1.5 - 0.5 x r^2), each squaring the error.
      __m128d r = _mm_cvtps_pd(_mm_rsqrt_ps(_mm_cvtpd_ps(square)));
      const __m128d halfSquare = _mm_mul_pd(half, square);
      for (int k = 0; k < 2; ++k)
        r = _mm_mul_pd(r, _mm_sub_pd(threeHalves, _mm_mul_pd(halfSquare, _mm_mul_pd(r, r))));
      const __m128d dot = _mm_add_pd(_mm_add_pd(_mm_mul_pd(sx, ux), _mm_mul_pd(sy, uy)), uz4);
      _mm_storeu_pd(out + x, _mm_mul_pd(dot, r));
    }
#endif
    for (; x + 1 < width; ++x) out[x] = InnerPixel(up, mid, down, x);
  }

  const double* Heights() const { return m_height; }
  bool AllInView() const { return m_light.allInView; }

 private:
  bool Visible(const Vec3& p) const {
    return m_light.allInView || m_light.camera.InView(m_light.camera.ToCamera(p));
  }

  const ElevationModel& m_model;
  double m_height[256];
  Light m_light;
};

}  // namespace

bool AllocatePlanes(ColourPlanes& planes, int32_t width, int32_t height, int count, uint8_t fill) {
  const auto bytes = CheckedMul(width, height);
  if (!AllocatableBytes(bytes) || !AllocatableBytes(CheckedMul(*bytes, count))) return false;
  for (auto& p : planes.plane) std::vector<uint8_t>().swap(p);
  if (!TryAllocate([&] {
        for (int i = 0; i < count; ++i) planes.plane[i].assign(static_cast<size_t>(*bytes), fill);
      })) {
    for (auto& p : planes.plane) std::vector<uint8_t>().swap(p);
    return false;
  }
  planes.width = width;
  planes.height = height;
  planes.count = count;
  return true;
}

Bgr ScaleLuminance(const Bgr& colour, double s) { return LumaColour(colour).Scaled(s); }

bool ShadeElevation(const ElevationModel& model, const ShadingRequest& request, ColourPlanes& out,
                    Messenger& messenger, Progress& progress) {
  const bool grey = request.kind == kStateShadeMono;
  if (!AllocatePlanes(out, model.pixels, model.lines, grey ? 1 : 3, grey ? 255 : 0))
    return progress.Fail(messenger, kMsgNoMemory);
  // The grey kind scales white; the others scale each code's colour.
  const ElevationColourTable colours = BuildElevationColours();
  const DisplayRange range = DisplayRangeFor(request.kind, model.rangeBottom, model.rangeTop);
  const CodeIndexTable index = BuildCodeIndexTable(model, range);
  std::vector<LumaColour> luma;
  luma.reserve(256);
  for (int c = 0; c < 256; ++c) luma.emplace_back(grey ? Bgr{255, 255, 255} : colours[index[c]]);

  const Shader shader(model, request);
  const int32_t w = model.pixels, h = model.lines;
  std::vector<double> inner(static_cast<size_t>(w), 0.0);
  std::vector<int16_t> levels(static_cast<size_t>(w), 0);
  // The luma of each pixel's colour: one for all in grey, else by code.
  std::vector<double> lumaRow(static_cast<size_t>(w), luma[0].luma);
  // Heights of the rows above, at and below the current one.
  std::vector<double> heights[3];
  for (auto& row : heights) row.assign(static_cast<size_t>(w), 0.0);
  auto fillHeights = [&](std::vector<double>& dst, int32_t y) {
    const uint8_t* codes = &model.codes[size_t(y) * w];
    for (int32_t x = 0; x < w; ++x) dst[x] = shader.Heights()[codes[x]];
  };
  fillHeights(heights[1], 0);
  if (h > 1) fillHeights(heights[2], 1);
  // The output of a colour for each luma, so that each pixel is one lookup.
  std::vector<Bgr> byLuma(256 * 256);
  for (int c = 0; c < 256; ++c)
    for (int y = 0; y < 256; ++y) byLuma[c * 256 + y] = luma[c].FromLuma(y);
  // Grey scales white alike for every code: one small table.
  uint8_t greyOfLuma[256];
  for (int y = 0; y < 256; ++y) greyOfLuma[y] = byLuma[y][0];
  for (int32_t y = 0; y < h; ++y) {
    progress.SetProgress(static_cast<float>(h + y) / (2.0f * h));
    if (y > 0) {
      std::rotate(std::begin(heights), std::begin(heights) + 1, std::end(heights));
      if (y + 1 < h) fillHeights(heights[2], y + 1);
    }
    const bool innerRow = shader.AllInView() && y > 0 && y + 1 < h;
    const uint8_t* codes = &model.codes[size_t(y) * w];
    if (innerRow) {
      shader.InnerRowNear(heights[0].data(), heights[1].data(), heights[2].data(), w, inner.data());
      if (!grey)
        for (int32_t x = 1; x + 1 < w; ++x) lumaRow[x] = luma[codes[x]].luma;
      LevelsOfRow(inner.data(), lumaRow.data(), w, levels.data());
    }
    uint8_t* first = &out.plane[0][size_t(y) * w];
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t code = codes[x];
      int level = -1;  // the luma of a lit land pixel
      if (code != 0) {
        if (innerRow && x > 0 && x + 1 < w && codes[x - 1] && codes[x + 1] && codes[x - w] &&
            codes[x + w]) {
          level = levels[x];
          if (level == kUnsettled) {
            const double s =
                shader.InnerPixel(heights[0].data(), heights[1].data(), heights[2].data(), x);
            level = s >= 0.0 ? luma[code].Luma(s) : -1;
          }
        } else {
          double s = 0.0;
          if (shader.Brightness(x, y, s)) level = luma[code].Luma(s);
        }
      }
      if (grey) {
        first[x] = level < 0 ? 0 : greyOfLuma[level];
        continue;
      }
      const Bgr colour =
          level >= 0 ? byLuma[code * 256 + level] : (code == 0 ? colours[0] : Bgr{0, 0, 0});
      first[x] = colour[0];
      out.plane[1][size_t(y) * w + x] = colour[1];
      out.plane[2][size_t(y) * w + x] = colour[2];
    }
  }
  return true;
}

}  // namespace lumora
