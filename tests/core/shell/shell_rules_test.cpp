// What the shell allows: the commands an image enables and how an image opens.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/shell/command_rules.h"
#include "core/shell/open_rules.h"
#include "core/support/band_expression.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

// Everything that could enable a command is present.
CommandState Everything() {
  CommandState s;
  s.hasActiveView = true;
  s.imageViewActive = true;
  s.fileState = 0;
  s.hasPreviousImage = true;
  s.rainbow = true;
  s.rangeFileExists = true;
  s.lengthPerPixel = 0.03;
  return s;
}

// One condition taken away at a time. Letters: V active view, P print
// preview, I image view is the active window, D tool dialog, L annotations,
// U no previous image, G legend, R no rainbow, E no range file, M no length.
CommandState Without(char c) {
  CommandState s = Everything();
  switch (c) {
    case 'V': s.hasActiveView = false; break;
    case 'P': s.printPreview = true; break;
    case 'I': s.imageViewActive = false; break;
    case 'D': s.toolDialogOpen = true; break;
    case 'L': s.annotationsShown = true; break;
    case 'U': s.hasPreviousImage = false; break;
    case 'G': s.hasLegend = true; break;
    case 'R': s.rainbow = false; break;
    case 'E': s.rangeFileExists = false; break;
    case 'M': s.lengthPerPixel = 0.0; break;
  }
  return s;
}

struct Row {
  int id;
  const char* needs;       // the knocked-out conditions that disable it
  const char* fileStates;  // for file states 0..9: '1' enabled, '0' disabled
};

// The enabling table of the main frame, row by row.
const Row kRows[] = {
    {kCmdOpen, "", "1111111111"},
    {kCmdOpenPart, "VPIDL", "1111101111"},
    {kCmdSaveAs, "V", "1111111111"},
    {kCmdExport, "VPID", "1111111111"},
    {kCmdPrint, "V", "1111111111"},
    {kCmdPrintPreview, "VPID", "1111111111"},
    {kCmdPrintSetup, "", "1111111111"},
    {kCmdExit, "", "1111111111"},
    {kCmdEnlarge, "VPIL", "1111111111"},
    {kCmdReduce, "VPIL", "1111111111"},
    {kCmdBrightness, "VPIDLG", "1111110111"},
    {kCmdSmooth, "VPIDLG", "1111110111"},
    {kCmdAutoBrightness, "VPIDLG", "1111110111"},
    {kCmdProfile, "VPIDL", "1111101111"},
    {kCmdScatter, "VPIDL", "1111101111"},
    {kCmdSpectrum, "VPIDL", "1111101111"},
    {kCmdRegion, "VPIDL", "1111101111"},
    {kCmdDnValue, "VPL", "1110000001"},
    {kCmdRuler, "VPIDM", "1111111111"},
    {kCmdReverseRainbow, "VPIDLR", "1111111111"},
    {kCmdAnnotation, "VPID", "1111111111"},
    {kCmdFilter, "VPIDLG", "1000000001"},
    {kCmdVegetation, "VPIDL", "1000000001"},
    {kCmdClassify, "VPIDL", "1000000001"},
    {kCmdDem, "VPIDLE", "1111101111"},
    {kCmdAbout, "", "1111111111"},
    {kCmdImageInfo, "VPID", "1111111111"},
    {kCmdHelpIndex, "", "1111111111"},
    {kCmdHelpUsing, "", "1111111111"},
    {kCmdHelp, "", "1111111111"},
    {kCmdContextHelp, "", "1111111111"},
    // Stepping through the image windows needs one; a preview or a tool
    // dialog does not stop it.
    {kCmdNextPane, "V", "1111111111"},
    {kCmdPrevPane, "V", "1111111111"},
};

// Each row needs exactly its conditions and file states; with no image open
// only the rows that need nothing stay.
TEST(CommandRules, EachRowNeedsExactlyItsConditionsAndFileStates) {
  for (const Row& row : kRows) {
    EXPECT_TRUE(IsCommandEnabled(row.id, Everything())) << row.id;
    for (char c : std::string("VPIDLGRME")) {
      const bool needed = std::string(row.needs).find(c) != std::string::npos;
      EXPECT_EQ(IsCommandEnabled(row.id, Without(c)), !needed) << row.id << " without " << c;
    }
    for (int fs = 0; fs <= 9; ++fs) {
      CommandState s = Everything();
      s.fileState = fs;
      EXPECT_EQ(IsCommandEnabled(row.id, s), row.fileStates[fs] == '1')
          << row.id << " file state " << fs;
    }
    EXPECT_EQ(IsCommandEnabled(row.id, CommandState{}), row.needs[0] == 0) << row.id;
  }
  EXPECT_FALSE(IsCommandEnabled(12345, Everything()));
}

TEST(CommandRules, UndoNeedsAPreviousImageOrTheAnnotationPage) {
  CommandState s = Without('U');
  EXPECT_FALSE(IsCommandEnabled(kCmdUndo, s));  // right after opening
  s.annotationsShown = true;
  EXPECT_TRUE(IsCommandEnabled(kCmdUndo, s));
  EXPECT_TRUE(IsCommandEnabled(kCmdUndo, Everything()));
  for (char c : std::string("VPID")) EXPECT_FALSE(IsCommandEnabled(kCmdUndo, Without(c))) << c;
}

TEST(PaletteRules, AnalysisButtons) {
  // Band maths needs the formula parser the build may lack.
  const bool m = BandExpression::Available();
  struct Case {
    const char* what;
    CommandState s;
    bool junior;
    int bands;
    PaletteButtons expected;
  } cases[] = {
      {"all there", Everything(), true, 3, {true, true, true, m}},
      {"elementary menu", Everything(), false, 3, {}},
      {"no image", CommandState{}, true, 3, {}},
      {"palette active", Without('I'), true, 3, {}},
      {"tool dialog", Without('D'), true, 3, {}},
      {"annotations", Without('L'), true, 3, {}},
      {"preview", Without('P'), true, 3, {}},
      {"two bands", Everything(), true, 2, {false, false, true, m}},
      {"no range file", Without('E'), true, 3, {true, true, false, m}},
      {"no band", Everything(), true, 0, {false, false, true, false}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PaletteButtonsFor(c.s, c.junior, c.bands), c.expected) << c.what;
  // Results of an analysis keep only the elevation button (band maths takes
  // unprocessed or filtered bands only); a bird's-eye
  // view keeps none; a filtered image keeps all.
  const struct {
    int fileState;
    PaletteButtons expected;
  } states[] = {
      {1, {false, false, true}}, {2, {false, false, true}}, {5, {}}, {9, {true, true, true, m}}};
  for (const auto& st : states) {
    CommandState s = Everything();
    s.fileState = st.fileState;
    EXPECT_EQ(PaletteButtonsFor(s, true, 7), st.expected) << st.fileState;
  }
}

TEST(CommandRules, RangeFileBesideTheSettingsFile) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "d.x");
  test::WriteFile(dir / "d.x/tokyo.LEV", "");
  std::filesystem::create_directory(dir / "folder.lev");
  EXPECT_TRUE(HasElevationRange(dir / "d.x/tokyo.inf"));
  EXPECT_TRUE(HasElevationRange(dir / "d.x/tokyo"));
  EXPECT_FALSE(HasElevationRange(dir / "d.x/osaka.inf"));
  EXPECT_FALSE(HasElevationRange(dir / "folder.inf"));
}

TEST(OpenRules, ProcessedImagesOpenAsOneBandOnlyWhereTheyHoldOne) {
  struct Case {
    int fileState;
    int singleBand;
    int bands;
  } cases[] = {{1, 0, 1}, {2, 0, 3}, {3, 1, 3}, {5, 0, 3},
               {5, 1, 1}, {6, 0, 1}, {7, 0, 3}, {9, 1, 3}};
  for (const auto& c : cases) {
    ImageSettings s;
    s.fileState = c.fileState;
    s.singleBand = c.singleBand;
    const Composition comp = CompositionForProcessed(s);
    EXPECT_EQ(comp.bandCount, c.bands) << c.fileState;
    const int red = c.bands == 1 ? 1 : 3, green = c.bands == 1 ? 1 : 2;
    EXPECT_EQ(comp.red, red) << c.fileState;
    EXPECT_EQ(comp.green, green) << c.fileState;
    EXPECT_EQ(comp.blue, 1) << c.fileState;
    EXPECT_EQ(comp.redType + comp.greenType + comp.blueType, 3);
  }
}

TEST(OpenRules, ComposedBandsTakeTheirFilesTypesOr8Bit) {
  std::array<uint8_t, 256> types{};
  types[2] = kSample16;
  types[4] = kSampleFloat;
  const Composition colour = ComposeBands(types, 4, 2, 7, false);
  EXPECT_EQ(colour.redType * 100 + colour.greenType * 10 + colour.blueType, 321);
  EXPECT_EQ(colour.bandCount, 3);
  EXPECT_FALSE(colour.singleBand || colour.rainbow);
  const Composition grey = ComposeBands(types, 2, 2, 2, true);
  EXPECT_EQ(grey.redType * 100 + grey.greenType * 10 + grey.blueType, 222);
  EXPECT_EQ(grey.bandCount, 1);
  EXPECT_TRUE(grey.singleBand);
}

TEST(OpenRules, PresetsBelongToTheirSensor) {
  ASSERT_NE(FindPreset(305), nullptr);
  EXPECT_EQ(FindPreset(305)->red * 100 + FindPreset(305)->green * 10 + FindPreset(305)->blue, 542);
  EXPECT_EQ(FindPreset(303)->red * 100 + FindPreset(303)->green * 10 + FindPreset(303)->blue, 432);
  EXPECT_EQ(FindPreset(301), nullptr);
  int perSensor[3] = {};
  for (const auto& p : CompositionPresets()) ++perSensor[p.sensor];
  EXPECT_EQ(perSensor[kSensorAster], 2);
  EXPECT_EQ(perSensor[kSensorTm], 3);
  EXPECT_EQ(perSensor[kSensorMss], 1);
}

TEST(OpenRules, BandFileMustOpenAndHoldTheImage) {
  test::TempDir dir;
  ImageSettings s;
  s.pixels = 4;
  s.lines = 3;
  const std::string inf = dir / "scene.inf";
  test::WriteFile(dir / "scene.b01", std::string(12, 'x'));
  test::WriteFile(dir / "scene.b02", std::string(11, 'x'));
  test::WriteFile(dir / "scene.b03", std::string(13, 'x'));
  test::WriteFile(dir / "scene.i04", std::string(24, 'x'));
  test::WriteFile(dir / "scene.B05", std::string(12, 'x'));  // old data sets
  EXPECT_EQ(CheckBandFile(inf, 1, 1, s), BandFileCheck::kOk);
  EXPECT_EQ(CheckBandFile(inf, 1, 2, s), BandFileCheck::kWrongSize);
  EXPECT_EQ(CheckBandFile(inf, 1, 3, s), BandFileCheck::kWrongSize);
  EXPECT_EQ(CheckBandFile(inf, 2, 4, s), BandFileCheck::kOk);
  EXPECT_EQ(CheckBandFile(inf, 1, 4, s), BandFileCheck::kCannotOpen);
  EXPECT_EQ(CheckBandFile(inf, 1, 5, s), BandFileCheck::kOk);
  test::WriteFile(dir / "scene.", std::string(12, 'x'));
  EXPECT_EQ(CheckBandFile(inf, 0, 1, s), BandFileCheck::kCannotOpen);  // band not listed
  EXPECT_EQ(CheckBandFile(inf, 1, -1, s), BandFileCheck::kCannotOpen);
  s.pixels = 1 << 30;
  s.lines = 1 << 30;
  EXPECT_EQ(CheckBandFile(inf, 3, 1, s), BandFileCheck::kCannotOpen);
  EXPECT_EQ(CheckBandFile(inf, 1, 1, s), BandFileCheck::kWrongSize);
}

}  // namespace
}  // namespace lumora
