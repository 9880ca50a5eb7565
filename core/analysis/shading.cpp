#include "core/analysis/shading.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <system_error>
#include <thread>

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

// How near a brightness worked out by a shortcut may come to a point where
// the output changes (zero, or a luma times it crossing a whole number),
// per unit of the highest height, before the exact brightness is worked out.
// The shortcuts' errors stay below 1e-13 per unit, hundreds of times less.
constexpr double kSettleMargin = 1e-9;

// A level a shortcut leaves open: the exact brightness decides.
constexpr int16_t kUnsettled = -2;

// The output luma of brightness s for a colour of luma l: clamp(l s) when
// lit, -1 when unlit, kUnsettled when s lies within margin of a change.
int LevelOf(double s, double luma, double margin) {
  if (s >= margin) {
    const double t = luma * s;
    const double fraction = t - static_cast<int>(t);
    if (fraction >= margin && fraction <= 1.0 - margin) return Clamp255(static_cast<int>(t));
  } else if (s <= -margin) {
    return -1;
  }
  return kUnsettled;
}

#if defined(__SSE2__)
// LevelOf of two pixels at once.
inline void LevelsOfTwo(const double* s, const double* l, double margin, int16_t* levels) {
  const __m128d low = _mm_set1_pd(margin);
  const __m128d below = _mm_set1_pd(-margin), top = _mm_set1_pd(1.0 - margin);
  const __m128d v = _mm_loadu_pd(s);
  const __m128d t = _mm_mul_pd(_mm_loadu_pd(l), v);
  const __m128i n = _mm_cvttpd_epi32(t);
  const __m128d fraction = _mm_sub_pd(t, _mm_cvtepi32_pd(n));
  // Lit and settled: s at least the margin and the fraction clear of both ends.
  const __m128d lit = _mm_and_pd(
      _mm_cmpge_pd(v, low), _mm_and_pd(_mm_cmpge_pd(fraction, low), _mm_cmple_pd(fraction, top)));
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

// The levels (as LevelOf) of the pixels 1..width-2 of an inner row.
void LevelsOfRow(const double* s, const double* luma, int32_t width, double margin,
                 int16_t* levels) {
  int32_t x = 1;
#if defined(__SSE2__)
  for (; x + 2 < width; x += 2) LevelsOfTwo(s + x, luma + x, margin, levels + x);
#endif
  for (; x + 1 < width; ++x) levels[x] = static_cast<int16_t>(LevelOf(s[x], luma[x], margin));
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

  // Brightness of pixel x of an inner row whose four neighbours are land,
  // from the codes of the row (mid) and the rows above and below. With the
  // neighbours one step away in x or y, the four cross products of
  // Brightness reduce to (b, a, 1), (b, -c, 1), (-d, -c, 1) and (-d, a, 1)
  // for the height differences a (up), b (left), c (down) and d (right);
  // they are summed in the same order, so the result is the same but for the
  // sign of a zero, which no output byte depends on.
  double InnerPixel(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int32_t x) const {
    const Vec3 u = m_light.u;
    const double z = m_height[mid[x]];
    const double a = m_height[up[x]] - z, b = m_height[mid[x - 1]] - z;
    const double c = m_height[down[x]] - z, d = m_height[mid[x + 1]] - z;
    const double sx = b + b - d - d;
    const double sy = a - c - c + a;
    const double len = std::sqrt(sx * sx + sy * sy + 16.0);
    return sx / len * u.x + sy / len * u.y + 4.0 / len * u.z;
  }

  // InnerPixel as a function of the code differences left - right and
  // up - down alone: with height = code x step, sx = 2 step (left - right)
  // and sy = 2 step (up - down) but for rounding, which moves the brightness
  // by less than 1e-13 times the highest height.
  double OfDifferences(int across, int along) const {
    const Vec3 u = m_light.u;
    const double sx = 2.0 * across * m_height[1], sy = 2.0 * along * m_height[1];
    const double len = std::sqrt(sx * sx + sy * sy + 16.0);
    return (sx * u.x + sy * u.y + 4.0 * u.z) / len;
  }

  bool AllInView() const { return m_light.allInView; }
  double Top() const { return m_height[255]; }

 private:
  bool Visible(const Vec3& p) const {
    return m_light.allInView || m_light.camera.InView(m_light.camera.ToCamera(p));
  }

  const ElevationModel& m_model;
  double m_height[256];
  Light m_light;
};

// Tables by the pair of code differences (up - down, left - right), each
// -255..255: row (up - down + 255), column (left - right + 255).
constexpr int32_t kPairStride = 512;
constexpr size_t kPairCount = size_t{511} * kPairStride;
constexpr int32_t kPairCentre = 255 * kPairStride + 255;

// Where a row goes: the row of each plane in use (blue or grey, green, red).
using RowOut = std::array<uint8_t*, 3>;

// Rows of a model shaded into the output planes. Every inner pixel whose
// neighbours are all land (nearly all of a scene) takes its brightness from
// a table by its code differences, exact but where the table's value lies
// too near a change of the output; the rest go through Brightness.
class RowShader {
 public:
  RowShader(const ElevationModel& m, const ShadingRequest& r)
      : m_model(m), m_shader(m, r), m_grey(r.kind == kStateShadeMono) {
    m_colours = BuildElevationColours();
    const CodeIndexTable index =
        BuildCodeIndexTable(m, DisplayRangeFor(r.kind, m.rangeBottom, m.rangeTop));
    m_luma.reserve(256);
    for (int c = 0; c < 256; ++c)
      m_luma.emplace_back(m_grey ? Bgr{255, 255, 255} : m_colours[index[c]]);
    // The output of a colour for each luma, so that each pixel is one lookup.
    m_byLuma.resize(256 * 256);
    for (int c = 0; c < 256; ++c)
      for (int y = 0; y < 256; ++y) m_byLuma[c * 256 + y] = m_luma[c].FromLuma(y);
    // Grey scales white alike for every code: one small table.
    for (int y = 0; y < 256; ++y) m_greyOfLuma[y] = m_byLuma[y][0];
    m_margin = kSettleMargin * (1.0 + m_shader.Top());
    if (!m_shader.AllInView() || m.pixels < 3 || m.lines < 3) return;
    m_brightness.resize(kPairCount);
    for (int along = -255; along <= 255; ++along)
      for (int across = -255; across <= 255; ++across)
        m_brightness[kPairCentre + along * kPairStride + across] =
            m_shader.OfDifferences(across, along);
    if (!m_grey) return;
    // One byte an entry, so that the table stays in the cache: the entries
    // the differences leave open hold the byte settled entries use least
    // (none in practice), and every entry holding it is worked out exactly.
    std::vector<int> levels(kPairCount);
    int64_t uses[256] = {};
    for (size_t i = 0; i < kPairCount; ++i) {
      levels[i] = LevelOf(m_brightness[i], m_luma[0].luma, m_margin);
      if (levels[i] != kUnsettled) ++uses[GreyOf(levels[i])];
    }
    m_openGrey = static_cast<uint8_t>(std::min_element(uses, uses + 256) - uses);
    m_greyTable.resize(kPairCount);
    for (size_t i = 0; i < kPairCount; ++i)
      m_greyTable[i] = levels[i] == kUnsettled ? m_openGrey : GreyOf(levels[i]);
  }

  bool Tabled() const { return !m_brightness.empty(); }

  // Room for one row of a band's work.
  struct Scratch {
    std::vector<double> brightness, luma;
    std::vector<int16_t> levels;
    explicit Scratch(int32_t width)
        : brightness(size_t(width)), luma(size_t(width)), levels(size_t(width)) {}
  };

  // Shades row y into out: the row of each plane in use.
  void Row(int32_t y, Scratch& scratch, const RowOut& out) const {
    const int32_t w = m_model.pixels;
    const uint8_t* codes = &m_model.codes[size_t(y) * w];
    if (!Tabled() || y == 0 || y + 1 == m_model.lines) {
      for (int32_t x = 0; x < w; ++x) Put(out, codes, x, EdgeLevel(x, y));
      return;
    }
    Put(out, codes, 0, EdgeLevel(0, y));
    Put(out, codes, w - 1, EdgeLevel(w - 1, y));
    if (m_grey)
      GreyInner(codes - w, codes, codes + w, y, out[0]);
    else
      ColourInner(codes - w, codes, codes + w, y, scratch, out);
  }

 private:
  static int32_t Pair(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int32_t x) {
    return kPairCentre + (up[x] - down[x]) * kPairStride + (mid[x - 1] - mid[x + 1]);
  }

  // The level of a pixel at the edge or beside the sea, the plain way.
  int EdgeLevel(int32_t x, int32_t y) const {
    const uint8_t code = m_model.Code(x, y);
    double s = 0.0;
    return code != 0 && m_shader.Brightness(x, y, s) ? m_luma[code].Luma(s) : -1;
  }

  int ExactLevel(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int32_t x) const {
    const double s = m_shader.InnerPixel(up, mid, down, x);
    return s >= 0.0 ? m_luma[mid[x]].Luma(s) : -1;
  }

  void Put(const RowOut& out, const uint8_t* codes, int32_t x, int level) const {
    const uint8_t code = codes[x];
    if (m_grey) {
      out[0][x] = level < 0 ? 0 : m_greyOfLuma[level];
      return;
    }
    const Bgr colour =
        level >= 0 ? m_byLuma[code * 256 + level] : (code == 0 ? m_colours[0] : Bgr{0, 0, 0});
    for (int p = 0; p < 3; ++p) out[p][x] = colour[p];
  }

  static bool AllLand(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int32_t x) {
    return mid[x] && up[x] && down[x] && mid[x - 1] && mid[x + 1];
  }

  void GreyPixel(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int32_t y, int32_t x,
                 uint8_t* out) const {
    if (mid[x] == 0) {
      out[x] = 0;
    } else if (AllLand(up, mid, down, x)) {
      const uint8_t v = m_greyTable[Pair(up, mid, down, x)];
      out[x] = v == m_openGrey ? GreyOf(ExactLevel(up, mid, down, x)) : v;
    } else {
      out[x] = GreyOf(EdgeLevel(x, y));
    }
  }

  uint8_t GreyOf(int level) const { return level < 0 ? 0 : m_greyOfLuma[level]; }

  void GreyInner(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int32_t y,
                 uint8_t* out) const {
    const int32_t w = m_model.pixels;
    int32_t x = 1;
#if defined(__SSE2__)
    // Sixteen pixels at a time: all land (the table alone), all sea, or mixed.
    const __m128i zero = _mm_setzero_si128();
    const __m128i open = _mm_set1_epi8(static_cast<char>(m_openGrey));
    const uint8_t* table = m_greyTable.data();
    for (; x + 16 < w; x += 16) {
      const auto load = [](const uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      };
      const __m128i centre = load(mid + x);
      const __m128i least =
          _mm_min_epu8(_mm_min_epu8(_mm_min_epu8(load(up + x), load(down + x)),
                                    _mm_min_epu8(load(mid + x - 1), load(mid + x + 1))),
                       centre);
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, zero)) == 0) {
        for (int32_t k = x; k < x + 16; ++k) out[k] = table[Pair(up, mid, down, k)];
        const __m128i got = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x));
        if (int marked = _mm_movemask_epi8(_mm_cmpeq_epi8(got, open)); marked != 0)
          for (int32_t k = x; marked != 0; ++k, marked >>= 1)
            if (marked & 1) out[k] = GreyOf(ExactLevel(up, mid, down, k));
      } else if (_mm_movemask_epi8(_mm_cmpeq_epi8(centre, zero)) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), zero);
      } else {
        for (int32_t k = x; k < x + 16; ++k) GreyPixel(up, mid, down, y, k, out);
      }
    }
#endif
    for (; x + 1 < w; ++x) GreyPixel(up, mid, down, y, x, out);
  }

  void ColourInner(const uint8_t* up, const uint8_t* mid, const uint8_t* down, int32_t y,
                   Scratch& scratch, const RowOut& out) const {
    const int32_t w = m_model.pixels;
    for (int32_t x = 1; x + 1 < w; ++x) {
      scratch.brightness[x] = m_brightness[Pair(up, mid, down, x)];
      scratch.luma[x] = m_luma[mid[x]].luma;
    }
    LevelsOfRow(scratch.brightness.data(), scratch.luma.data(), w, m_margin, scratch.levels.data());
    for (int32_t x = 1; x + 1 < w; ++x) {
      int level = -1;
      if (AllLand(up, mid, down, x)) {
        level = scratch.levels[x];
        if (level == kUnsettled) level = ExactLevel(up, mid, down, x);
      } else if (mid[x] != 0) {
        level = EdgeLevel(x, y);
      }
      Put(out, mid, x, level);
    }
  }

  const ElevationModel& m_model;
  const Shader m_shader;
  const bool m_grey;
  ElevationColourTable m_colours;
  std::vector<LumaColour> m_luma;
  std::vector<Bgr> m_byLuma;
  uint8_t m_greyOfLuma[256] = {};
  double m_margin = 0.0;
  std::vector<double> m_brightness;  // by the pair of code differences
  std::vector<uint8_t> m_greyTable;  // output byte, m_openGrey where open
  uint8_t m_openGrey = 0;
};

// Below this many pixels a second thread costs more than it saves.
constexpr int64_t kThreadedPixels = int64_t{1} << 16;

}  // namespace

bool AllocatePlanes(ColourPlanes& planes, int32_t width, int32_t height, int count, uint8_t fill) {
  const auto bytes = CheckedMul(width, height);
  if (!AllocatableBytes(bytes) || !AllocatableBytes(CheckedMul(*bytes, count))) return false;
  for (auto& p : planes.plane) std::vector<uint8_t>().swap(p);
  if (!TryAllocate([&] {
        for (int i = 0; i < count; ++i) {
          ReserveLarge(planes.plane[i], static_cast<size_t>(*bytes));
          planes.plane[i].assign(static_cast<size_t>(*bytes), fill);
        }
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

namespace {

// Shades the model in two bands of rows at once, the second on a thread of
// its own: row y of a band, the i-th of its block, goes to target(band, y,
// i), and done(band, from, to) hears of each block of rows finished. The progress window lives
// here, with the first band, and moves over the second half of the bar.
template <class Target, class Done>
bool ShadeInBands(const ElevationModel& model, const ShadingRequest& request, int32_t blockRows,
                  Target target, Done done, Messenger& messenger, Progress& progress) {
  const int32_t w = model.pixels, h = model.lines;
  std::optional<RowShader> shader;
  std::vector<RowShader::Scratch> scratch;
  if (!AllocateOrReport(
          messenger,
          [&] {
            shader.emplace(model, request);
            scratch.assign(2, RowShader::Scratch(request.kind == kStateShadeMono ? 0 : w));
          },
          &progress))
    return false;
  const int32_t split = int64_t{w} * h >= kThreadedPixels ? h / 2 : h;
  // The bar's counter moves it every so many calls, reckoned at one a row of
  // the whole model: the first band calls once for each of the bands' rows.
  const auto band = [&](int b, int32_t from, int32_t to, int calls) {
    int32_t start = from;
    for (int32_t y = from; y < to; ++y) {
      for (int i = 0; i < calls; ++i)
        progress.SetProgress(0.5f + 0.5f * static_cast<float>(y - from) / (to - from));
      shader->Row(y, scratch[b], target(b, y, y - start));
      if (y + 1 - start == blockRows || y + 1 == to) {
        done(b, start, y + 1);
        start = y + 1;
      }
    }
  };
  std::thread second;
  if (split < h) {
    try {
      second = std::thread(band, 1, split, h, 0);
    } catch (const std::system_error&) {
    }
  }
  band(0, 0, second.joinable() ? split : h, second.joinable() ? 2 : 1);
  if (second.joinable()) second.join();
  return true;
}

}  // namespace

bool ShadeElevation(const ElevationModel& model, const ShadingRequest& request, ColourPlanes& out,
                    Messenger& messenger, Progress& progress) {
  const bool grey = request.kind == kStateShadeMono;
  if (!AllocatePlanes(out, model.pixels, model.lines, grey ? 1 : 3, grey ? 255 : 0))
    return progress.Fail(messenger, kMsgNoMemory);
  const size_t w = size_t(model.pixels);
  const auto target = [&](int, int32_t y, int32_t) {
    RowOut row{};
    for (int p = 0; p < out.count; ++p) row[p] = out.plane[p].data() + size_t(y) * w;
    return row;
  };
  return ShadeInBands(
      model, request, std::max(model.lines, 1), target, [](int, int32_t, int32_t) {}, messenger,
      progress);
}

bool ShadeElevationRows(const ElevationModel& model, const ShadingRequest& request,
                        const RowsDone& rowsDone, Messenger& messenger, Progress& progress) {
  const int count = request.kind == kStateShadeMono ? 1 : 3;
  const size_t w = size_t(std::max(model.pixels, 1));
  // Blocks of about a megabyte a plane, one for each band, used over again.
  const auto blockRows = static_cast<int32_t>(std::max<size_t>(1, (size_t{1} << 20) / w));
  std::vector<uint8_t> blocks[2];
  if (!AllocateOrReport(
          messenger,
          [&] {
            for (auto& b : blocks) b.resize(size_t(blockRows) * w * count);
          },
          &progress))
    return false;
  const size_t plane = size_t(blockRows) * w;
  const auto target = [&](int b, int32_t, int32_t i) {
    RowOut row{};
    for (int p = 0; p < count; ++p) row[p] = blocks[b].data() + p * plane + size_t(i) * w;
    return row;
  };
  const auto done = [&](int b, int32_t from, int32_t to) {
    std::array<const uint8_t*, 3> rows{};
    for (int p = 0; p < count; ++p) rows[p] = blocks[b].data() + p * plane;
    rowsDone(from, to, rows);
  };
  return ShadeInBands(model, request, blockRows, target, done, messenger, progress);
}

}  // namespace lumora
