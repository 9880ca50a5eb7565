// Display loading of a full Landsat TM scene (7000 x 6000, three 8-bit
// bands, automatic step), detail on zoom over it, and the rainbow operations
// on a display image.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/imagefile/settings_file.h"
#include "core/support/progress.h"
#include "core/view/detail_view.h"
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

// Detail on zoom as the window does it for a 1000 x 700 client: each step
// composes the whole client from the current file set. First argument 0
// scrolls by a wheel notch (an eighth of the client) across the scene; 1
// zooms 200 % -> 400 % -> 800 % -> 1600 % and back around the same centre.
// The second is the screen's device pixels per pixel: at 2 each step
// composes four times the samples. Every step counts: the first ones fill
// the cache, the rest find most strips in it.
void BM_DetailStep(benchmark::State& state) {
  const std::string inf = SceneSettings();
  RecordingMessenger messenger;
  ImageSettings settings;
  ReadSettings(inf, settings, messenger);
  ImageSession session;
  Progress progress;
  if (!session.Open(ComposeOnOpen(inf, settings), WorkingFiles{}, messenger, progress))
    state.SkipWithError("open");
  const int32_t step = session.State().m_nStep;
  const AreaRect& area = session.Area();
  constexpr int32_t kClientW = 1000, kClientH = 700;
  DetailComposer composer;
  int64_t n = 0;
  for (auto _ : state) {
    float zoom = 2.0f;
    int32_t x = 0, y = 0;
    if (state.range(0) == 0) {
      // Right along a row of the scene, then down a row, as the wheel goes.
      x = static_cast<int32_t>(n * kClientW / 8 % (kW * 2 / step - kClientW));
      y = static_cast<int32_t>(n * kClientW / 8 / (kW * 2 / step - kClientW) * kClientH % 6000);
    } else {
      const int level = static_cast<int>(n % 6);
      zoom = static_cast<float>(2 << (level < 4 ? level : 6 - level));
      // The scene's centre stays at the client's centre.
      x = static_cast<int32_t>(kW / 2 * zoom / step) - kClientW / 2;
      y = static_cast<int32_t>(kH / 2 * zoom / step) - kClientH / 2;
    }
    ++n;
    Dib patch;
    const auto ratio = static_cast<int32_t>(state.range(1));
    const float deviceZoom = zoom * static_cast<float>(ratio);
    const bool ok = composer.Compose(session.Detail(),
                                     DetailSamples(x * ratio, kClientW * ratio, deviceZoom, step,
                                                   area.m_nAreaLeft, area.m_nAreaPixels),
                                     DetailSamples(y * ratio, kClientH * ratio, deviceZoom, step,
                                                   area.m_nAreaTop, area.m_nAreaLines),
                                     patch);
    if (!ok) state.SkipWithError("compose");
    benchmark::DoNotOptimize(patch.bits.data());
  }
  state.counters["step"] = step;
  state.counters["cacheMB"] = static_cast<double>(composer.CachedBytes()) / (1 << 20);
}
BENCHMARK(BM_DetailStep)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Iterations(60)
    ->Unit(benchmark::kMillisecond);

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
