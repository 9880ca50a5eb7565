// Elevation colouring, shading and the bird's-eye view of a 7000 x 6000
// elevation model (a full Landsat TM scene), in memory (shading in two bands
// of rows at once).
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/analysis/birdseye.h"
#include "core/analysis/dem_processing.h"
#include "core/analysis/shading.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {
namespace {

constexpr int kW = 7000, kH = 6000;

// Rolling hills with a coast: a quarter of the scene is sea.
const ElevationModel& Model() {
  static const ElevationModel model = [] {
    ElevationModel m;
    m.pixels = kW;
    m.lines = kH;
    m.range = {0, 3810, 1, 255};
    m.metresPerCode = MetresPerCode(0, 3810);
    m.rangeBottom = 0;
    m.rangeTop = 3810;
    m.codes.resize(size_t(kW) * kH);
    std::vector<double> cx(kW), cy(kH);
    for (int x = 0; x < kW; ++x) cx[x] = 60 * std::sin(x * 0.004) + 20 * std::sin(x * 0.05);
    for (int y = 0; y < kH; ++y) cy[y] = 60 * std::cos(y * 0.003) + 20 * std::cos(y * 0.07);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const unsigned noise = (unsigned(x) * 2654435761u ^ unsigned(y) * 40503u) >> 29;
        const double h = 110 + cx[x] + cy[y] + noise - (x + y < 3000 ? 200 : 0);
        m.codes[size_t(y) * kW + x] = uint8_t(h < 1 ? 0 : h > 255 ? 255 : h);
      }
    }
    return m;
  }();
  return model;
}

void BM_ElevationColouring(benchmark::State& state) {
  const ElevationModel& m = Model();
  std::vector<uint8_t> b(m.codes.size()), g(m.codes.size()), r(m.codes.size());
  for (auto _ : state) {
    const auto colours = CodeColours(m, DisplayRangeFor(3, m.rangeBottom, m.rangeTop));
    ColourCodes(m.codes.data(), m.codes.size(), colours, b.data(), g.data(), r.data());
    benchmark::DoNotOptimize(b.data());
  }
}
BENCHMARK(BM_ElevationColouring)->Unit(benchmark::kMillisecond);

// Counts how often the progress window's bar moves.
class MoveCounter : public ProgressSink {
 public:
  void Open(const std::string&) override {}
  void Paint(float fraction, const std::string&) override {
    if (fraction != shown) ++moves;
    shown = fraction;
  }
  void Close() override {}
  float shown = 0.0f;
  int moves = 0;
};

// A whole run as the program does it for a kind (3 colours, 6 and 7
// shading, 5 the bird's-eye view of one draped band): the code file read,
// the result and its companions written (to the temporary folder). The
// counter "moves" is how often the progress bar moved.
void BM_DemRun(benchmark::State& state) {
  const ElevationModel& m = Model();
  const auto dir = std::filesystem::temp_directory_path() / "lumora_dem_bench";
  std::filesystem::create_directories(dir);
  StepSource source;
  source.settingsPath = (dir / "scene.inf").string();
  source.basePath = (dir / "scene").string();
  source.settings.pixels = kW;
  source.settings.lines = kH;
  source.settings.lengthPerPixel = 0.0285;
  std::ofstream(dir / "scene.lev") << "MIN_ALTITUDE = 0\nMAX_ALTITUDE = 3810\n";
  auto write = [&](const char* name) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(m.codes.data()), std::streamsize(m.codes.size()));
  };
  write("scene.dem");
  DemRequest request;
  request.kind = int(state.range(0));
  if (request.kind == 5) {
    write("scene.b01");  // the draped band: the codes in grey
    request.drape.singleBand = true;
    request.drape.blueBand = request.drape.greenBand = request.drape.redBand = 0;
    request.drape.bandCount = 1;
  }
  RecordingMessenger messenger;
  for (auto _ : state) {
    StepResult result;
    MoveCounter bar;
    Progress progress(&bar);
    if (!RunDemProcessing(request, source, (dir / "out").string(), result, messenger, progress))
      state.SkipWithError("run");
    state.counters["moves"] = bar.moves;
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_DemRun)->Arg(3)->Arg(6)->Arg(7)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_Shading(benchmark::State& state) {
  const ElevationModel& m = Model();
  RecordingMessenger messenger;
  for (auto _ : state) {
    ColourPlanes out;
    Progress progress;
    ShadeElevation(m, {int(state.range(0)), 0.0285, 45.0f, 45.0f}, out, messenger, progress);
    benchmark::DoNotOptimize(out.plane[0].data());
  }
}
BENCHMARK(BM_Shading)->Arg(6)->Arg(7)->Unit(benchmark::kMillisecond);

void BM_BirdsEye(benchmark::State& state) {
  const ElevationModel& m = Model();
  RecordingMessenger messenger;
  const DrapeRowReader reader = [&](int band, int32_t row, uint8_t* dst) {
    const uint8_t* codes = &m.codes[size_t(row) * kW];
    for (int x = 0; x < kW; ++x) dst[x] = uint8_t(codes[x] * (band + 1));
  };
  for (auto _ : state) {
    ColourPlanes out;
    Progress progress;
    RenderBirdsEye(m, {0.0285, 45.0f, 5.0f, double(state.range(0)), 3}, reader, out, messenger,
                   progress);
    benchmark::DoNotOptimize(out.plane[0].data());
  }
}
BENCHMARK(BM_BirdsEye)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

BENCHMARK_MAIN();
