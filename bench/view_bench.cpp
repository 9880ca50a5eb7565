// Display loading of a full Landsat TM scene (7000 x 6000, three 8-bit
// bands, automatic step) and the rainbow operations on a display image.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/imagefile/settings_file.h"
#include "core/support/progress.h"
#include "core/view/image_session.h"
#include "core/view/rainbow.h"

namespace lumora {
namespace {

constexpr int kW = 7000, kH = 6000;

// Writes the scene once per machine (a few hundred MB of plain bytes).
std::string SceneSettings() {
  const auto dir = std::filesystem::temp_directory_path() / "lumora_view_bench";
  const std::string inf = (dir / "scene.inf").string();
  if (std::filesystem::exists(inf)) return inf;
  std::filesystem::create_directories(dir);
  std::vector<char> row(kW);
  for (int band = 1; band <= 3; ++band) {
    char name[16];
    std::snprintf(name, sizeof name, "scene.b%02d", band);
    std::ofstream out(dir / name, std::ios::binary);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) row[x] = static_cast<char>((x * band + y * 3) ^ (x >> 5));
      out.write(row.data(), kW);
    }
  }
  std::ofstream(inf) << "LINE = " << kH << "\nPIXEL = " << kW << "\nSENSOR = 1\n";
  return inf;
}

void BM_OpenTmScene(benchmark::State& state) {
  const std::string inf = SceneSettings();
  RecordingMessenger messenger;
  ImageSettings settings;
  ReadSettings(inf, settings, messenger);
  const OpenRequest request = ComposeOnOpen(inf, settings);
  for (auto _ : state) {
    ImageSession session;
    Progress progress;
    if (!session.Open(request, WorkingFiles{}, messenger, progress)) state.SkipWithError("open");
    benchmark::DoNotOptimize(session.Display().bits.data());
    state.counters["step"] = session.State().m_nStep;
  }
}
BENCHMARK(BM_OpenTmScene)->Unit(benchmark::kMillisecond);

Dib GreyDisplay() {
  Dib d;
  d.Create(1024, 1024);
  for (size_t i = 0; i < d.bits.size(); ++i) d.bits[i] = static_cast<uint8_t>(i / 3);
  return d;
}

void BM_ApplyRainbow(benchmark::State& state) {
  const Dib grey = GreyDisplay();
  for (auto _ : state) {
    Dib d = grey;
    ApplyRainbow(d, 10, 200, false);
    benchmark::DoNotOptimize(d.bits.data());
  }
}
BENCHMARK(BM_ApplyRainbow)->Unit(benchmark::kMillisecond);

void BM_ReverseRainbow(benchmark::State& state) {
  Dib d = GreyDisplay();
  ApplyRainbow(d, 0, 255, false);
  for (auto _ : state) {
    Dib out;
    ReverseRainbowColours(d, out);
    benchmark::DoNotOptimize(out.bits.data());
  }
}
BENCHMARK(BM_ReverseRainbow)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
