// Speed of the band filters and the brightness tables.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/radiometry/filter_kernels.h"

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

}  // namespace

BENCHMARK_MAIN();
