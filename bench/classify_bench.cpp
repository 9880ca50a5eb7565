// Maximum-likelihood classification of a full scene (7000 x 6000, six 8-bit
// bands, ten classes), files in and out, and the per-pixel decision alone.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "core/analysis/classifier.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/sample_scene.h"

namespace lumora {
namespace {

constexpr int kW = 7000, kH = 6000;
const std::vector<int> kBands = {1, 2, 3, 4, 5, 7};

std::filesystem::path BenchDir() {
  return std::filesystem::temp_directory_path() / "lumora_classify_bench";
}

// A natural-looking TM scene from the sample generator, written once per machine.
std::string SampleBase() {
  const std::string base = (BenchDir() / "tm").string();
  if (std::filesystem::exists(base + ".inf")) return base;
  RecordingMessenger messenger;
  SampleSceneOptions options;
  options.width = kW;
  options.height = kH;
  options.seed = 7;
  WriteSampleScene(base + ".inf", options, messenger);
  return base;
}

// Six bands of noise: no pixel vector repeats, the worst case.
std::string NoiseBase() {
  const std::string base = (BenchDir() / "noise").string();
  if (std::filesystem::exists(BandFilePath(base, kSample8, 7))) return base;
  std::filesystem::create_directories(BenchDir());
  std::mt19937 rng(3);
  std::vector<char> row(kW);
  for (int band : kBands) {
    std::ofstream out(BandFilePath(base, kSample8, band), std::ios::binary);
    for (int y = 0; y < kH; ++y) {
      for (auto& v : row) v = static_cast<char>(rng());
      out.write(row.data(), kW);
    }
  }
  return base;
}

// Ten 80 x 80 training areas spread over the scene.
std::vector<ClassItem> Classes() {
  std::vector<ClassItem> classes(10);
  for (int c = 0; c < 10; ++c) {
    ClassItem& item = classes[c];
    item.left = 300 + (c % 5) * 1300;
    item.top = 500 + (c / 5) * 2600 + c * 97;
    item.right = item.left + 80;
    item.bottom = item.top + 80;
    item.red = static_cast<uint8_t>(25 * c);
    item.title = "class";
  }
  return classes;
}

void RunScene(benchmark::State& state, const std::string& base) {
  const std::string target = (BenchDir() / "out").string();
  const auto classes = Classes();
  int usable = 0;
  for (const auto& item : classes) {
    RecordingMessenger messenger;
    ClassStatistics stats;
    ComputeClassStatistics(item, kBands, base, kW, kH, stats, messenger);
    usable += stats.Usable();
  }
  state.counters["classes"] = usable;
  for (auto _ : state) {
    RecordingMessenger messenger;
    Progress progress;
    if (!Classify(kBands, classes, base, kW, kH, target, messenger, progress))
      state.SkipWithError("run failed");
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kW} * kH);
}

void BM_ClassifySampleScene(benchmark::State& state) { RunScene(state, SampleBase()); }
void BM_ClassifyNoise(benchmark::State& state) { RunScene(state, NoiseBase()); }
BENCHMARK(BM_ClassifySampleScene)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ClassifyNoise)->Unit(benchmark::kMillisecond)->Iterations(2);

// The decision alone on noise pixels: the rule as stated against the fast one.
std::vector<ClassStatistics> NoiseClasses() {
  std::mt19937 rng(5);
  std::vector<ClassStatistics> out;
  while (out.size() < 10) {
    std::vector<std::vector<uint8_t>> samples(6, std::vector<uint8_t>(400));
    const int centre = static_cast<int>(rng() % 200), spread = 10 + static_cast<int>(rng() % 40);
    for (auto& band : samples)
      for (auto& v : band) v = static_cast<uint8_t>(centre + rng() % spread);
    ClassStatistics s = StatisticsFromSamples(samples);
    if (s.Usable()) out.push_back(std::move(s));
  }
  return out;
}

std::vector<uint8_t> NoisePixels(size_t count) {
  std::mt19937 rng(9);
  std::vector<uint8_t> px(count * 6);
  for (auto& v : px) v = static_cast<uint8_t>(rng());
  return px;
}

void BM_DecisionPlain(benchmark::State& state) {
  const auto classes = NoiseClasses();
  const auto px = NoisePixels(1 << 16);
  for (auto _ : state)
    for (size_t i = 0; i < px.size(); i += 6)
      benchmark::DoNotOptimize(BestClassPlain(classes, &px[i]));
  state.SetItemsProcessed(state.iterations() * (px.size() / 6));
}
void BM_DecisionFast(benchmark::State& state) {
  const auto classes = NoiseClasses();
  const auto px = NoisePixels(1 << 16);
  FastClassifier fast(classes);
  for (auto _ : state)
    for (size_t i = 0; i < px.size(); i += 6) benchmark::DoNotOptimize(fast.Classify(&px[i]));
  state.SetItemsProcessed(state.iterations() * (px.size() / 6));
}
// More pixels than the cache holds, so that it cannot answer them all.
constexpr size_t kRowPixels = size_t{1} << 20;

void BM_DecisionRows(benchmark::State& state) {
  const auto classes = NoiseClasses();
  const auto px = NoisePixels(kRowPixels);
  std::vector<std::vector<uint8_t>> planes(6, std::vector<uint8_t>(kRowPixels));
  for (size_t i = 0; i < kRowPixels; ++i)
    for (int b = 0; b < 6; ++b) planes[b][i] = px[6 * i + b];
  std::vector<const uint8_t*> rows;
  for (auto& p : planes) rows.push_back(p.data());
  std::vector<int16_t> out(kRowPixels);
  FastClassifier fast(classes);
  for (auto _ : state) {
    fast.ClassifyRow(rows.data(), kRowPixels, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * (kRowPixels));
}
BENCHMARK(BM_DecisionPlain);
BENCHMARK(BM_DecisionFast);
BENCHMARK(BM_DecisionRows);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
