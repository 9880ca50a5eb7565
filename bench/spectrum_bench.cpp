// Spectra and region statistics on a full scene (7000 x 6000 pixels, seven
// 8-bit bands, 294 MB): the spectrum under a moving mouse, the statistics of
// the whole scene and of a polygon covering half of it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "core/windows/region_stats.h"
#include "core/windows/spectrum.h"

namespace lumora {
namespace {

constexpr int kW = 7000, kH = 6000, kBands = 7;
namespace fs = std::filesystem;

// Written once per machine.
std::string SceneSettings() {
  const auto dir = fs::temp_directory_path() / "lumora_spectrum_bench";
  const std::string inf = (dir / "scene.inf").string();
  if (fs::exists(inf)) return inf;
  fs::create_directories(dir);
  std::mt19937 random(7);
  std::vector<char> row(kW);
  for (int b = 1; b <= kBands; ++b) {
    std::ofstream out(dir / ("scene.b0" + std::to_string(b)), std::ios::binary);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) row[x] = static_cast<char>(random() >> 24);
      out.write(row.data(), kW);
    }
    std::ofstream(dir / ("scene.d0" + std::to_string(b))) << "band " << b << " 0.45-0.52um\n";
  }
  std::ofstream(inf) << "LINE = " << kH << "\nPIXEL = " << kW
                     << "\nSENSOR = 1\nLengthPerPixel = 0.03\n";
  return inf;
}

// One mouse move: every band's value of the pixel under it.
void BM_SpectrumPerMove(benchmark::State& state) {
  RecordingMessenger m;
  SpectrumSampler sampler;
  if (!sampler.Open(SceneSettings(), m)) state.SkipWithError("open failed");
  std::vector<double> values;
  int i = 0;
  for (auto _ : state) {
    // Moves across the scene, so that every read goes to another row.
    i = (i + 7919) % (kW * kH);
    sampler.Sample(i % kW, i / kW, values, m);
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_SpectrumPerMove)->Unit(benchmark::kMicrosecond);

void Stats(benchmark::State& state, const Region& region) {
  const std::string inf = SceneSettings();
  const auto bands = ListSpectrumBands(inf);
  RecordingMessenger m;
  RegionStats stats;
  for (auto _ : state) {
    if (!ComputeRegionStats(inf, bands, region, stats, m)) state.SkipWithError("stats failed");
    benchmark::DoNotOptimize(stats.bands.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kBands} * stats.pixels);
}

void BM_RegionStatsWholeScene(benchmark::State& state) {
  Stats(state, RectangleRegion(0, 0, kW, kH));
}
BENCHMARK(BM_RegionStatsWholeScene)->Unit(benchmark::kMillisecond);

// A triangle over the scene's whole width and height: half its pixels.
void BM_RegionStatsHalfPolygon(benchmark::State& state) {
  Stats(state, Region{{{0, 0}, {kW, kH}, {0, kH}}, false});
}
BENCHMARK(BM_RegionStatsHalfPolygon)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
