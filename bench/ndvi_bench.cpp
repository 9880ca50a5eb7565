// The vegetation index of a full Landsat TM scene (7000 x 6000, two 8-bit
// bands), files in and out, as lumora-cli ndvi runs it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "core/analysis/vegetation_index.h"
#include "core/imagefile/band_catalogue.h"

namespace lumora {
namespace {

constexpr int kW = 7000, kH = 6000;

// Writes the two bands once per machine.
StepSource Scene() {
  const auto dir = std::filesystem::temp_directory_path() / "lumora_ndvi_bench";
  StepSource source;
  source.basePath = (dir / "scene").string();
  source.settingsPath = source.basePath + ".inf";
  source.settings.pixels = kW;
  source.settings.lines = kH;
  if (std::filesystem::exists(source.settingsPath)) return source;
  std::filesystem::create_directories(dir);
  std::mt19937 rng(1);
  std::vector<char> row(kW);
  for (int band : {3, 4}) {
    std::ofstream out(BandFilePath(source.basePath, kSample8, band), std::ios::binary);
    for (int y = 0; y < kH; ++y) {
      for (auto& v : row) v = static_cast<char>(rng());
      out.write(row.data(), kW);
    }
  }
  std::ofstream(source.settingsPath) << "LINE = " << kH << "\nPIXEL = " << kW << "\nSENSOR = 1\n";
  return source;
}

void BM_NdviTmScene(benchmark::State& state) {
  const StepSource source = Scene();
  const std::string target =
      (std::filesystem::path(source.basePath).parent_path() / "out").string();
  const NdviParams params{4, kSample8, 3, kSample8, false};
  for (auto _ : state) {
    RecordingMessenger messenger;
    Progress progress;
    StepResult result;
    if (!RunVegetationIndex(source, target, params, result, messenger, progress))
      state.SkipWithError("run failed");
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kW} * kH);
}
BENCHMARK(BM_NdviTmScene)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
