// Speed of the sample scene generator: rendering rows in memory, and writing
// the 7000 x 6000 Landsat TM scene used as benchmark data.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "core/imagefile/sample_scene.h"

namespace {

void BM_RenderScene(benchmark::State& state) {
  const lumora::SampleSceneOptions o{static_cast<int>(state.range(0)), 2048, 1024, 7};
  for (auto _ : state) {
    lumora::SampleScene scene(o);
    lumora::SampleRow row;
    while (scene.NextRow(row)) benchmark::DoNotOptimize(row.bands.data());
  }
  state.SetItemsProcessed(state.iterations() * o.width * o.height);
  state.SetLabel(o.sensor == 0 ? "ASTER" : o.sensor == 1 ? "TM" : "MSS");
}
BENCHMARK(BM_RenderScene)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_WriteTmScene7000x6000(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "lumora-sample-bench";
  const lumora::SampleSceneOptions o{1, 7000, 6000, 7};
  lumora::RecordingMessenger messenger;
  for (auto _ : state) {
    if (!lumora::WriteSampleScene((dir / "scene.inf").string(), o, messenger)) {
      state.SkipWithError("the scene could not be written");
      break;
    }
  }
  std::filesystem::remove_all(dir);
  state.SetItemsProcessed(state.iterations() * o.width * o.height);
}
BENCHMARK(BM_WriteTmScene7000x6000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
