// Partial write of a large window, scatter counting and profile text of a
// Landsat-sized scene (4000 x 3000, three 8-bit bands and an elevation model),
// and the annotated page layout with a fine grid.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/imagefile/partial_write.h"
#include "core/output/map_layout.h"
#include "core/windows/profile.h"
#include "core/windows/scatter.h"

namespace lumora {
namespace {

constexpr int kW = 4000, kH = 3000;
namespace fs = std::filesystem;

// Writes the scene once per machine (48 MB of plain bytes).
std::string SceneSettings() {
  const auto dir = fs::temp_directory_path() / "lumora_windows_bench";
  const std::string inf = (dir / "scene.inf").string();
  if (fs::exists(inf)) return inf;
  fs::create_directories(dir);
  std::vector<char> row(kW);
  for (const char* ext : {"b01", "b02", "b03", "dem"}) {
    std::ofstream out(dir / (std::string("scene.") + ext), std::ios::binary);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) row[x] = static_cast<char>((x * ext[2] + y * 3) ^ (x >> 5));
      out.write(row.data(), kW);
    }
  }
  std::ofstream(dir / "scene.lev") << "MIN_ALTITUDE = 0\nMAX_ALTITUDE = 2540\n";
  std::ofstream(inf) << "LINE = " << kH << "\nPIXEL = " << kW
                     << "\nSENSOR = 1\nLengthPerPixel = 0.0285\nLeftTop_Lon = 139.5\n"
                        "LeftTop_Lat = 36.0\nInclination = -9.8\n";
  return inf;
}

void BM_PartialWrite(benchmark::State& state) {
  PartialWriteSource src;
  src.settingsPath = SceneSettings();
  src.imagePixels = kW;
  src.imageLines = kH;
  RecordingMessenger m;
  ReadSettings(src.settingsPath, src.settings, m);
  const std::string out = (fs::temp_directory_path() / "lumora_windows_bench_out").string();
  fs::create_directories(out);
  const AreaRect area{700, 1500, 1000, 2000};
  for (auto _ : state) {
    Progress progress;
    if (!PartialWrite(out + "/cut", src, area, progress, m)) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(state.iterations() * int64_t{4} * 2000 * 1500);
}
BENCHMARK(BM_PartialWrite)->Unit(benchmark::kMillisecond);

void BM_ScatterCounts(benchmark::State& state) {
  const std::string inf = SceneSettings();
  RecordingMessenger m;
  ScatterCounts counts;
  for (auto _ : state) {
    ComputeScatter(inf, 1, 2, kW, AreaRect{0, kH, 0, kW}, counts, m);
    benchmark::DoNotOptimize(counts.data());
  }
}
BENCHMARK(BM_ScatterCounts)->Unit(benchmark::kMicrosecond);

// What choosing another band and pressing show costs outside Qt: counting
// the two bands and drawing the plot's picture.
void BM_ScatterBandSwitch(benchmark::State& state) {
  const std::string inf = SceneSettings();
  RecordingMessenger m;
  ScatterCounts counts;
  Dib plot;
  int band = 0;
  for (auto _ : state) {
    ComputeScatter(inf, 1 + band++ % 3, 2, kW, AreaRect{0, kH, 0, kW}, counts, m);
    RenderScatterPlot(counts, 258, 258, plot);
    benchmark::DoNotOptimize(plot.bits.data());
  }
}
BENCHMARK(BM_ScatterBandSwitch)->Unit(benchmark::kMicrosecond);

void BM_ProfileText(benchmark::State& state) {
  Dib dib;
  dib.Create(1024, 1024);
  for (auto _ : state) {
    auto text = ProfileText("scene.inf", dib, AreaRect{0, 1024, 0, 1024}, 1, {1, 500, 1024, 500});
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_ProfileText)->Unit(benchmark::kMicrosecond);

class FixedMetrics : public TextMeasurer {
 public:
  TextExtent Measure(TextRole, const std::string& text) override {
    return {static_cast<int>(8 * text.size()), 16};
  }
};

void BM_MapLayoutOneMinuteGrid(benchmark::State& state) {
  MapImage img;
  img.dibWidth = 1000;
  img.dibHeight = 750;
  img.step = 4;
  img.lengthPerPixel = 0.0285;
  img.leftTopLon = 139.5;
  img.leftTopLat = 36.0;
  img.inclination = -9.8;
  img.northBitmapWidth = img.northBitmapHeight = 100;
  AnnotationSettings a;
  a.showTitle = a.showGrid = a.showScale = a.showNorth = a.showLegend = true;
  a.titleText = "Tokyo\r\n2001";
  a.gridStep = 1.6666666666666667;
  FixedMetrics fm;
  for (auto _ : state) {
    const MapLayout l = LayoutMap(794, 1123, 1.0, img, a, fm);
    auto lines = LayoutGrid(l, img, a, fm);
    benchmark::DoNotOptimize(lines.data());
  }
}
BENCHMARK(BM_MapLayoutOneMinuteGrid)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
