#include "core/analysis/birdseye.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/analysis/geometry.h"
#include "core/support/allocation.h"
#include "core/support/string_table.h"

namespace lumora {
namespace {

constexpr double kCentre = 300.5;

Camera ViewCamera(const ElevationModel& m, const BirdsEyeRequest& r) {
  const double d = std::sqrt(double(m.pixels) * m.pixels + double(m.lines) * m.lines) * 0.5;
  const Vec3 v = DirectionFromAngles(r.viewAzimuth, r.viewElevation);
  const Vec3 centre(m.pixels * 0.5, m.lines * 0.5, 0.0);
  return Camera(centre + v * (10.0 * d), centre + v * d, m.pixels, m.lines, 60.0);
}

// Camera coordinates of the model's own points, from per-column, per-row
// and per-code terms: each dot product is summed in the same order as
// Camera::ToCamera, so the results are the same to the bit.
class GridProjector {
 public:
  GridProjector(const Camera& cam, const ElevationModel& m, const double* height)
      : m_cols(size_t(m.pixels)), m_rows(size_t(m.lines)) {
    const Vec3& t = cam.Target();
    for (int32_t x = 0; x < m.pixels; ++x) {
      const double q = x - t.x;
      m_cols[x] = {cam.E1().x * q, cam.E2().x * q, cam.F().x * q};
    }
    for (int32_t y = 0; y < m.lines; ++y) {
      const double q = y - t.y;
      m_rows[y] = {cam.E1().y * q, cam.E2().y * q, cam.F().y * q};
    }
    for (int c = 0; c < 256; ++c) {
      const double q = height[c] - t.z;
      m_codes[c] = {cam.E1().z * q, cam.E2().z * q, cam.F().z * q};
    }
  }

  Vec3 At(int32_t x, int32_t y, uint8_t code) const {
    const Vec3& a = m_cols[x];
    const Vec3& b = m_rows[y];
    const Vec3& c = m_codes[code];
    return {a.x + b.x + c.x, a.y + b.y + c.y, -(a.z + b.z + c.z)};
  }

 private:
  std::vector<Vec3> m_cols, m_rows;
  Vec3 m_codes[256];
};

// A projected vertex.
struct Vertex {
  double sx, sy, depth;
  bool inView, onScreen;
};

Vertex Project(const Camera& cam, const Vec3& c, double scale) {
  Vertex v;
  v.sx = kCentre - scale * c.x;
  v.sy = kCentre - scale * c.y;
  v.depth = cam.Depth(c);
  v.inView = cam.InView(c);
  v.onScreen = v.sx >= 0 && v.sx < kBirdsEyeSize && v.sy >= 0 && v.sy < kBirdsEyeSize;
  return v;
}

class Renderer {
 public:
  Renderer(const ElevationModel& m, const BirdsEyeRequest& r, ColourPlanes& out,
           std::vector<double>& depth)
      : m_model(m), m_request(r), m_out(out), m_depth(depth), m_cam(ViewCamera(m, r)) {
    for (int c = 0; c < 256; ++c)
      m_height[c] = HeightOfCode(c, m.metresPerCode, r.lengthPerPixel) * r.exaggeration;
    m_borderHeight = HeightOfCode(m.range.minCode, m.metresPerCode, r.lengthPerPixel);
    m_wallDrop = 1.2 * m.metresPerCode * 0.001 / r.lengthPerPixel;
  }

  // The picture shows camera point (x, y) at column 300.5 - scale x, row
  // 300.5 - scale y; the scale brings the widest point in view to 300.
  double Scale() const {
    const GridProjector grid(m_cam, m_model, m_height);
    double maxX = 0.0, maxY = 0.0;
    for (int32_t y = 0; y < m_model.lines; ++y) {
      const uint8_t* codes = &m_model.codes[size_t(y) * m_model.pixels];
      for (int32_t x = 0; x < m_model.pixels; ++x) {
        const Vec3 c = grid.At(x, y, codes[x]);
        if (!m_cam.InView(c)) continue;
        maxX = std::max(maxX, std::fabs(c.x));
        maxY = std::max(maxY, std::fabs(c.y));
      }
    }
    // A model of one point (or none in view) has nothing to spread out.
    if (maxX == 0.0 && maxY == 0.0) return 1.0;
    if (maxX == 0.0) return 300.0 / maxY;
    if (maxY == 0.0) return 300.0 / maxX;
    return std::min(300.0 / maxX, 300.0 / maxY);
  }

  void Draw(double scale, const DrapeRowReader& readRow, Progress& progress) {
    m_scale = scale;
    const int32_t w = m_model.pixels, h = m_model.lines;
    const GridProjector grid(m_cam, m_model, m_height);
    for (int b = 0; b < m_request.bands; ++b)
      for (auto& row : m_bandRows[b]) row.assign(size_t(w), 0);
    for (auto& row : m_vertexRows) row.resize(size_t(w));

    // Ring rows and columns on the far side are left out, the near ones
    // are walls.
    const float az = m_request.viewAzimuth;
    const bool southNear = 90 < az && az <= 270;
    const bool eastNear = 0 < az && az <= 180;
    const int32_t skipRow = southNear ? -1 : h - 1;
    const int32_t skipCol = eastNear ? -1 : w - 1;

    int32_t loaded = -1;  // highest image row read so far
    auto load = [&](int32_t row) {
      while (loaded < row) {
        ++loaded;
        for (int b = 0; b < m_request.bands; ++b)
          readRow(b, loaded, m_bandRows[b][loaded & 1].data());
        ProjectRow(grid, loaded);
      }
    };
    for (int32_t r = -1; r < h; ++r) {
      progress.SetProgress(static_cast<float>(r + h) / (2.0f * h));
      if (r == skipRow) continue;
      load(std::min(r + 1, h - 1));
      const bool ringRow = r == -1 || r == h - 1;
      for (int32_t c = -1; c < w; ++c) {
        if (c == skipCol) continue;
        if (ringRow || c == -1 || c == w - 1) {
          DrawWall(c, r);
        } else {
          DrawCell(c, r);
        }
      }
    }
  }

 private:
  void ProjectRow(const GridProjector& grid, int32_t y) {
    std::vector<Vertex>& row = m_vertexRows[y & 1];
    const uint8_t* codes = &m_model.codes[size_t(y) * m_model.pixels];
    for (int32_t x = 0; x < m_model.pixels; ++x)
      row[x] = Project(m_cam, grid.At(x, y, codes[x]), m_scale);
  }

  // The whole screen pixels of a box round the vertices; false when none.
  static bool PixelBox(const Vertex* v[4], int& x0, int& x1, int& y0, int& y1) {
    double minX = v[0]->sx, maxX = minX, minY = v[0]->sy, maxY = minY;
    for (int i = 1; i < 4; ++i) {
      minX = std::min(minX, v[i]->sx);
      maxX = std::max(maxX, v[i]->sx);
      minY = std::min(minY, v[i]->sy);
      maxY = std::max(maxY, v[i]->sy);
    }
    minX = std::max(minX, 0.0), minY = std::max(minY, 0.0);
    maxX = std::min(maxX, double(kBirdsEyeSize) - 1),
    maxY = std::min(maxY, double(kBirdsEyeSize) - 1);
    if (!(minX <= maxX && minY <= maxY)) return false;
    x0 = static_cast<int>(std::ceil(minX));
    x1 = static_cast<int>(std::floor(maxX));
    y0 = static_cast<int>(std::ceil(minY));
    y1 = static_cast<int>(std::floor(maxY));
    return x0 <= x1 && y0 <= y1;
  }

  static bool Drawable(const Vertex* v[4]) {
    return (v[0]->inView || v[1]->inView || v[2]->inView || v[3]->inView) &&
           (v[0]->onScreen || v[1]->onScreen || v[2]->onScreen || v[3]->onScreen);
  }

  void DrawCell(int32_t c, int32_t r) {
    const std::vector<Vertex>& top = m_vertexRows[r & 1];
    const std::vector<Vertex>& bottom = m_vertexRows[(r + 1) & 1];
    const Vertex* v[4] = {&top[c], &top[c + 1], &bottom[c + 1], &bottom[c]};
    if (!Drawable(v)) return;
    int x0, x1, y0, y1;
    if (!PixelBox(v, x0, x1, y0, y1)) return;  // reaches no whole pixel of the picture
    uint8_t colour[3];
    for (int b = 0; b < m_request.bands; ++b) {
      const uint8_t* a = m_bandRows[b][r & 1].data();
      const uint8_t* d = m_bandRows[b][(r + 1) & 1].data();
      colour[b] = static_cast<uint8_t>((a[c] + a[c + 1] + d[c + 1] + d[c]) / 4);
    }
    const double depth = (v[0]->depth + v[1]->depth + v[2]->depth + v[3]->depth) / 4.0;
    Fill(v, x0, x1, y0, y1, [&](size_t at) {
      const double stored = m_depth[at];
      if (stored == -1.0 || (stored > 0.0 && stored <= depth)) return;
      m_depth[at] = depth;
      for (int b = 0; b < m_request.bands; ++b) m_out.plane[b][at] = colour[b];
    });
  }

  void DrawWall(int32_t c, int32_t r) {
    const int32_t w = m_model.pixels, h = m_model.lines;
    static constexpr int kDx[4] = {0, 1, 1, 0}, kDy[4] = {0, 0, 1, 1};
    Vertex vs[4];
    const Vertex* v[4];
    for (int i = 0; i < 4; ++i) {
      const int32_t x = c + kDx[i], y = r + kDy[i];
      const bool inside = x >= 0 && y >= 0 && x < w && y < h;
      const int32_t cx = std::clamp(x, 0, w - 1), cy = std::clamp(y, 0, h - 1);
      const double z = inside ? m_height[m_model.Code(cx, cy)] : m_borderHeight;
      vs[i] = Project(m_cam, m_cam.ToCamera(Vec3(cx, cy, z - m_wallDrop)), m_scale);
      v[i] = &vs[i];
    }
    if (!Drawable(v)) return;
    int x0, x1, y0, y1;
    if (!PixelBox(v, x0, x1, y0, y1)) return;
    Fill(v, x0, x1, y0, y1, [&](size_t at) {
      m_depth[at] = -1.0;
      for (int b = 0; b < m_request.bands; ++b) m_out.plane[b][at] = 0;
    });
  }

  template <typename Paint>
  void Fill(const Vertex* v[4], int x0, int x1, int y0, int y1, Paint paint) {
    const double xs[4] = {v[0]->sx, v[1]->sx, v[2]->sx, v[3]->sx};
    const double ys[4] = {v[0]->sy, v[1]->sy, v[2]->sy, v[3]->sy};
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (InsideQuad(xs, ys, x, y)) paint(size_t(y) * kBirdsEyeSize + x);
  }

  const ElevationModel& m_model;
  const BirdsEyeRequest& m_request;
  ColourPlanes& m_out;
  std::vector<double>& m_depth;
  Camera m_cam;
  double m_height[256];
  double m_borderHeight = 0.0;
  double m_wallDrop = 0.0;
  double m_scale = 1.0;
  std::vector<uint8_t> m_bandRows[3][2];
  std::vector<Vertex> m_vertexRows[2];
};

}  // namespace

bool RenderBirdsEye(const ElevationModel& model, const BirdsEyeRequest& request,
                    const DrapeRowReader& readRow, ColourPlanes& out, Messenger& messenger,
                    Progress& progress) {
  std::vector<double> depth;
  if (!AllocateOrReport(
          messenger, [&] { depth.assign(size_t(kBirdsEyeSize) * kBirdsEyeSize, 0.0); }, &progress))
    return false;
  if (!AllocatePlanes(out, kBirdsEyeSize, kBirdsEyeSize, request.bands == 1 ? 1 : 3, 0))
    return progress.Fail(messenger, kMsgNoMemory);
  BirdsEyeRequest r = request;
  r.bands = out.count;
  Renderer renderer(model, r, out, depth);
  return AllocateOrReport(
      messenger, [&] { renderer.Draw(renderer.Scale(), readRow, progress); }, &progress);
}

}  // namespace lumora
