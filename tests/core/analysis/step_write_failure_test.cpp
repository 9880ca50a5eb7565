// Every processing step under a disk that fills up once the work starts:
// the run fails with 61289 instead of leaving truncated bands behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/analysis/dem_processing.h"
#include "core/analysis/land_cover.h"
#include "core/analysis/vegetation_index.h"
#include "core/imagefile/sample_scene.h"
#include "core/radiometry/filter_run.h"
#include "core/support/string_table.h"
#include "tests/support/file_limit.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

StepBody DemStep(int kind) {
  DemRequest r;
  r.kind = kind;
  return MakeDemStep(r);
}

TEST(StepWriteFailure, EveryStepReportsAFailedBandWrite) {
  test::TempDir dir;
  RecordingMessenger made;
  ASSERT_TRUE(WriteSampleScene(dir / "s.inf", {1, 64, 64, 3}, made));
  StepSource source;
  source.settingsPath = dir / "s.inf";
  source.basePath = dir / "s";
  ASSERT_TRUE(ReadSettings(source.settingsPath, source.settings, made));

  ClassificationParams classes;
  classes.bands = {1, 2, 3};
  classes.classes = {{200, 0, 0, 0, 20, 20, 0, "a"}, {0, 200, 0, 30, 60, 60, 30, "b"}};
  const struct {
    const char* name;
    StepBody body;
  } steps[] = {
      {"filter", MakeFilterStep(FilterTable()[3])},
      {"vegetation index", MakeVegetationIndexStep({4, 1, 3, 1, false})},
      {"classification", MakeClassificationStep(classes)},
      {"elevation", DemStep(kStateElevationAbsolute)},
      {"shading", DemStep(kStateShadeMono)},
      {"bird's-eye view", DemStep(kStateBirdsEye)},
  };
  for (const auto& step : steps) {
    const std::string target = dir / (std::string("out-") + step.name);
    {
      RecordingMessenger m;
      Progress quiet;
      StepResult result;
      ASSERT_TRUE(step.body(source, target, result, m, quiet)) << step.name;
    }
    // The same run with writes failing once its progress window is open.
    RecordingMessenger m;
    test::LimitWhenProgressOpens sink(1024);
    Progress progress(&sink);
    StepResult result;
    EXPECT_FALSE(step.body(source, target, result, m, progress)) << step.name;
    EXPECT_TRUE(m.Has(kMsgCreateFailed)) << step.name;
  }
}

}  // namespace
}  // namespace lumora
