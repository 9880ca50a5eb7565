// Speed of the band filters and the brightness tables.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "core/radiometry/brightness.h"
#include "core/radiometry/filter_kernels.h"
#include "core/radiometry/filter_run.h"
#include "core/support/vector_code.h"

namespace {

using namespace lumora;

std::vector<uint8_t> Noise(size_t n) {
  std::mt19937 gen(1);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(gen());
  return v;
}

// One 7000 x 6000 band in memory, per filter.
void BM_FilterBand(benchmark::State& state) {
  const int w = 7000, h = 6000;
  const auto in = Noise(size_t{w} * h);
  std::vector<uint8_t> out(in.size());
  const auto& rec = FilterTable()[static_cast<size_t>(state.range(0))];
  for (auto _ : state) {
    FilterBand(in.data(), out.data(), w, h, rec);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel(rec.name);
  state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_FilterBand)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The same on the portable code (a processor without 256-bit vectors).
void BM_FilterBandPortable(benchmark::State& state) {
  AllowWideVectors(false);
  BM_FilterBand(state);
  AllowWideVectors(true);
}
BENCHMARK(BM_FilterBandPortable)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// One 7000 x 6000 band file filtered into another, files in and out.
void BM_FilterBandFile(benchmark::State& state) {
  const int w = 7000, h = 6000;
  const auto dir = std::filesystem::temp_directory_path();
  const std::string in = (dir / "lumora-bench-band.b01").string();
  const std::string out = (dir / "lumora-bench-out.b01").string();
  {
    const auto band = Noise(size_t{w} * h);
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(band.data()),
               static_cast<std::streamsize>(band.size()));
  }
  const auto& rec = FilterTable()[static_cast<size_t>(state.range(0))];
  RecordingMessenger m;
  for (auto _ : state) {
    FilterRunProgress run;
    FilterBandFile(in, out, w, h, rec, m, run);
  }
  std::remove(in.c_str());
  std::remove(out.c_str());
  state.SetLabel(rec.name);
  state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_FilterBandFile)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// A 1024 x 1024 display image (the widest the view shows at step 1).
Dib NoiseDib() {
  Dib d;
  d.Create(1024, 1024);
  const auto n = Noise(d.bits.size());
  d.bits = n;
  return d;
}

void BM_ApplyLookupTables(benchmark::State& state) {
  const Dib d = NoiseDib();
  Dib out;
  LookupTables t = IdentityTables();
  for (auto& table : t) std::reverse(table.begin(), table.end());
  RecordingMessenger m;
  Progress p;
  for (auto _ : state) MapThroughTables(d, t, out, m, p);
  state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(BM_ApplyLookupTables)->Unit(benchmark::kMillisecond);

void BM_Equalise(benchmark::State& state) {
  // The three histograms, the tables and the rewrite, as the command does.
  const Dib d = NoiseDib();
  Dib out;
  LookupTables t = IdentityTables();
  RecordingMessenger m;
  Progress p;
  for (auto _ : state) {
    const auto h = ChannelHistograms(d, false);
    for (int c = 0; c < 3; ++c) BuildEqualisationTable(h[c], t[c]);
    MapThroughTables(d, t, out, m, p);
  }
  state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(BM_Equalise)->Unit(benchmark::kMillisecond);

void BM_EqualisationTables(benchmark::State& state) {
  // The equalisation itself: the three histograms and their tables, without
  // the look-up application measured above.
  const Dib d = NoiseDib();
  LookupTables t = IdentityTables();
  for (auto _ : state) {
    const auto h = ChannelHistograms(d, false);
    for (int c = 0; c < 3; ++c) BuildEqualisationTable(h[c], t[c]);
    benchmark::DoNotOptimize(t);
  }
  state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(BM_EqualisationTables)->Unit(benchmark::kMillisecond);

// A 7000 x 6000 image is shown at step 7: a 1000 x 857 display image, which
// is all the brightness dialog and its preview ever touch.
Dib Shown7000x6000() {
  Dib d;
  d.Create(1000, 857);
  d.bits = Noise(d.bits.size());
  return d;
}

// Opening the dialog: the histogram of the shown image.
void BM_BrightnessDialogOpen(benchmark::State& state) {
  const Dib d = Shown7000x6000();
  for (auto _ : state) {
    BrightnessDialogState dialog(d, false, kIdentityStretch);
    benchmark::DoNotOptimize(dialog.CurrentHistogram().peak);
  }
}
BENCHMARK(BM_BrightnessDialogOpen)->Unit(benchmark::kMillisecond);

// One marker move and the preview it causes: the tables of the values so
// far, and the shown image mapped row by row into the window's picture.
void BM_BrightnessPreview(benchmark::State& state) {
  const Dib d = Shown7000x6000();
  BrightnessDialogState dialog(d, false, kIdentityStretch);
  BrightnessDialogState::MarkerGeometry g{14, 528, 0, 0, 542, 30};
  std::vector<uint8_t> picture(size_t(d.width) * 3 * size_t(d.height));
  dialog.PressMarker(BrightnessDialogState::PositionOf(255, g), 25, g);
  int level = 0;
  for (auto _ : state) {
    dialog.MoveMarker(BrightnessDialogState::PositionOf(128 + (level++ % 100), g), g);
    BrightnessDialogState trial = dialog;
    LookupTables tables = IdentityTables();
    trial.Ok(tables);
    for (int y = 0; y < d.height; ++y)
      MapRowThroughTables(d.TopRow(y), picture.data() + size_t(y) * d.width * 3, d.width, tables);
    benchmark::DoNotOptimize(picture.data());
  }
}
BENCHMARK(BM_BrightnessPreview)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
