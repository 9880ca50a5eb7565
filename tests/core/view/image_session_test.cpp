#include "core/view/image_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/save_as.h"
#include "core/radiometry/brightness.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/processing_step.h"
#include "core/view/rainbow.h"
#include "core/view/zoom.h"
#include "tests/support/temp_dir.h"
#include "tests/support/undeletable.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::TestBand;

class SessionTest : public testing::Test {
 protected:
  static constexpr int kW = 40, kH = 30;

  void SetUp() override {
    std::filesystem::create_directories(m_dir.path() / "work");
    std::map<int, TestBand> bands;
    for (int b = 1; b <= 3; ++b) bands[b] = {1, test::NoiseBytes(kW * kH, b)};
    m_inf = test::WriteTestImage(m_dir / "img", kW, kH, bands, "SENSOR = 1\nFile_State = 0\n");
  }

  void Open(ImageSession& session, OpenRequest request) {
    WorkingFiles files;
    ASSERT_TRUE(files.Prepare(m_namer, m_dir / "work/", m_inf, m_messenger));
    Progress progress;
    ASSERT_TRUE(session.Open(request, files, m_messenger, progress));
  }
  // The session with the default image opened.
  ImageSession& Opened() {
    Open(m_session, Request());
    return m_session;
  }
  OpenRequest Request() {
    ImageSettings s;
    EXPECT_TRUE(ReadSettings(m_inf, s, m_messenger));
    return ComposeOnOpen(m_inf, s);
  }

  // A step that writes the three bands inverted (and optionally a fourth).
  static StepBody Invert(int fileState, bool extraBand = false) {
    return [=](const StepSource& src, const std::string& target, StepResult& result, Messenger&,
               Progress&) {
      for (int b = 1; b <= 3 + extraBand; ++b) {
        std::string data = test::ReadFile(src.basePath + Format(".b%02d", std::min(b, 3)));
        for (char& c : data) c = static_cast<char>(255 - static_cast<uint8_t>(c));
        test::WriteFile(target + Format(".b%02d", b), data);
      }
      result.fileState = fileState;
      return true;
    };
  }

  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_dir.path() / "work"))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir m_dir;
  std::string m_inf;
  WorkingNamer m_namer;
  RecordingMessenger m_messenger;
  Progress m_progress;
  ImageSession m_session;
};

TEST_F(SessionTest, OpenShowsTheCompositionAndCannotUndo) {
  ImageSession& session = Opened();
  EXPECT_EQ(session.Title(), "*" + m_inf + " 1/1 (1,1)-(40,30) (R,G,B)=(3,2,1)");
  EXPECT_EQ(session.State().m_nDibWidth, kW);
  EXPECT_EQ(session.Display().width, kW);
  EXPECT_EQ(session.Display().SizeBytes(), 120 * 30);
  EXPECT_FALSE(session.CanUndo());
  EXPECT_FALSE(session.Undo(m_messenger));
  EXPECT_EQ(session.Files().slot, -1);
  EXPECT_EQ(session.Lut(2)[77], 77);
  // Blue byte of the top-left pixel is band 1's first sample.
  EXPECT_EQ(session.Display().TopRow(0)[0], test::NoiseBytes(kW * kH, 1)[0]);
  EXPECT_EQ(session.Display().TopRow(0)[2], test::NoiseBytes(kW * kH, 3)[0]);

  // An area that leaves the image is cut to it: here its last pixel.
  ImageSession cut;
  OpenRequest r = Request();
  r.area = AreaRect{35, 10, 45, 10};  // top, lines, left, pixels
  Open(cut, r);
  EXPECT_EQ(cut.Area(), (AreaRect{29, 1, 39, 1}));
}

TEST_F(SessionTest, RainbowOpenMapsTheRangeEnds) {
  std::vector<uint8_t> ramp(kW * kH);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(10 + i % 191);
  m_inf = test::WriteTestImage(m_dir / "one", kW, kH, {{1, {1, ramp}}});
  OpenRequest r = Request();
  ASSERT_TRUE(r.composition.singleBand);
  r.composition.rainbow = true;
  ImageSession session;
  Open(session, r);
  EXPECT_EQ(session.State().m_fDispMin, 10.0f);
  EXPECT_EQ(session.State().m_fDispMax, 200.0f);
  EXPECT_EQ(session.Legend(), LegendKind::kColourRamp);
  const uint8_t* first = session.Display().TopRow(0);          // sample 10
  const uint8_t* last = session.Display().TopRow(4) + 3 * 30;  // sample 10 + 190
  EXPECT_EQ(first[2], Rainbow()[0].red);
  EXPECT_EQ(last[2], Rainbow()[255].red);
  EXPECT_EQ(last[1], Rainbow()[255].green);

  const Dib before = session.Display();
  ASSERT_TRUE(session.ReverseRainbow(m_messenger));
  EXPECT_TRUE(session.State().m_bRainbowReversed);
  ASSERT_TRUE(session.ReverseRainbow(m_messenger));
  EXPECT_FALSE(session.State().m_bRainbowReversed);
  EXPECT_EQ(session.Display().bits, before.bits);
}

// Detail composes by the display image's rules: sampled at the display
// grid it is the display image, and at full resolution it is what a load at
// step 1 shows; unknown changes switch it off until undone.
TEST_F(SessionTest, DetailFollowsTheDisplayImage) {
  std::vector<uint16_t> wide(kW * kH);
  std::vector<float> real(kW * kH);
  for (size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<uint16_t>(i * 977 % 65536);
    real[i] = static_cast<float>(i % 37) * 0.25f - 3.0f;
  }
  const std::map<int, TestBand> bands = {{1, {1, test::NoiseBytes(kW * kH, 1)}},
                                         {2, {1, test::NoiseBytes(kW * kH, 2)}},
                                         {3, {1, test::NoiseBytes(kW * kH, 3)}},
                                         {4, {2, test::Bytes16(wide)}},
                                         {5, {3, test::BytesFloat(real)}}};
  m_inf = test::WriteTestImage(m_dir / "detail", kW, kH, bands, "SENSOR = 1\nFile_State = 0\n");
  const struct {
    int band;  // 0: bands 3, 2, 1 in colour; else this band in grey
    bool rainbow, stretch, reverse;
  } cases[] = {{0, false, false, false}, {0, false, true, false}, {4, true, false, true},
               {5, false, false, false}, {4, true, true, false},  {4, false, false, false}};
  const auto all = [](int n) {
    std::vector<int32_t> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = i;
    return v;
  };
  // One composer for every case, far too small: strips come and go, and
  // each load reads its own files.
  DetailComposer composer(2000);
  for (const auto& c : cases) {
    OpenRequest r = Request();
    if (c.band)
      r.composition = ComposeBands(ScanBandTypes(m_dir / "detail"), c.band, c.band, c.band, true);
    r.composition.rainbow = c.rainbow;
    r.step = 3;
    ImageSession session;
    Open(session, r);
    if (c.stretch) {
      LookupTables tables = IdentityTables();
      for (auto& t : tables)
        for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = static_cast<uint8_t>(255 - i / 2);
      ASSERT_TRUE(ApplyBrightnessDialog(session, tables, StretchSet{}, m_messenger, m_progress));
    }
    if (c.reverse) {
      ASSERT_TRUE(session.ReverseRainbow(m_messenger));
    }
    ASSERT_TRUE(session.Detail().exact);
    std::vector<int32_t> columns, rows;
    for (int i = 0; i < session.Display().width; ++i) columns.push_back(3 * i);
    for (int j = 0; j < session.Display().height; ++j) rows.push_back(3 * j);
    Dib grid;
    ASSERT_TRUE(composer.Compose(session.Detail(), columns, rows, grid)) << c.band;
    EXPECT_EQ(grid.bits, session.Display().bits) << c.band;
    EXPECT_LE(composer.CachedBytes(), 2000);
    // A float scale, a rainbow's range and tables depend on the step.
    if (c.band == 5 || c.rainbow || c.stretch) continue;
    r.step = 1;
    ImageSession full;
    Open(full, r);
    Dib detail;
    ASSERT_TRUE(composer.Compose(session.Detail(), all(kW), all(kH), detail));
    EXPECT_EQ(detail.bits, full.Display().bits) << c.band;
  }
  ImageSession& session = Opened();
  Dib copy = session.Display();
  session.ApplyDisplayChange(std::move(copy));
  EXPECT_FALSE(session.Detail().exact);
  Dib whole;
  EXPECT_FALSE(ComposeWholeArea(session.Detail(), session.Area(), whole, m_messenger, m_progress));
  EXPECT_TRUE(m_messenger.Has(kMsgNoFullDetail));
  ASSERT_TRUE(session.Undo(m_messenger));
  EXPECT_TRUE(session.Detail().exact);
  ASSERT_TRUE(ComposeWholeArea(session.Detail(), session.Area(), whole, m_messenger, m_progress));
  EXPECT_EQ(whole.bits, session.Display().bits);  // shown at step 1
}

// Detail shows while a reduced display is magnified; screen pixels sample
// the image pixel under their centre, within the area.
TEST(DetailSamples, CentresOfScreenPixels) {
  DetailRules rules;
  rules.exact = true;
  rules.state.m_nStep = 3;
  EXPECT_FALSE(DetailShown(rules, 1.0f));
  EXPECT_TRUE(DetailShown(rules, 2.0f));
  // Device pixels count: a 200 % screen shows detail at 100 %, not at 50 %.
  EXPECT_TRUE(DetailShown(rules, 1.0f, 2.0f));
  EXPECT_FALSE(DetailShown(rules, 0.5f, 2.0f));
  rules.state.m_nStep = 1;
  EXPECT_FALSE(DetailShown(rules, 4.0f));

  EXPECT_EQ(DetailSamples(0, 4, 2.0f, 3, 10, 100), (std::vector<int32_t>{10, 12, 13, 15}));
  EXPECT_EQ(DetailSamples(5, 3, 4.0f, 7, 0, 10), (std::vector<int32_t>{9, 9, 9}));
  EXPECT_EQ(DetailSamples(6, 2, 8.0f, 2, 1, 50), (std::vector<int32_t>{2, 2}));
}

// A step turned down restores everything and keeps the earlier display
// change, whose undo leaves the files alone; on the annotation page undo only
// leaves it.
TEST_F(SessionTest, RevertKeepsTheDisplayChangeWhoseUndoLeavesFilesAlone) {
  ImageSession& session = Opened();
  const Dib before = session.Display();
  const DisplayState opened = session.State();
  Dib half = before;
  for (auto& b : half.bits) b = static_cast<uint8_t>(b / 2);
  session.Lut(0)[5] = 9;
  session.ApplyDisplayChange(std::move(half));
  EXPECT_FALSE(session.State().m_bProcessed);
  const Dib shown = session.Display();
  const DisplayState state = session.State();
  const DisplayState snapshot = session.Snapshot();
  m_messenger.answers = {false};
  ASSERT_EQ(session.RunStep(Invert(kStateFiltered, true), m_messenger, m_progress),
            ImageSession::StepOutcome::kReverted);
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_EQ(session.State(), state);
  EXPECT_EQ(session.Snapshot(), snapshot);
  EXPECT_EQ(session.Display().bits, shown.bits);
  EXPECT_EQ(session.Files().slot, -1);
  ASSERT_TRUE(session.CanUndo());
  EXPECT_TRUE(session.Undo(m_messenger));
  EXPECT_EQ(session.Display().bits, before.bits);
  EXPECT_EQ(session.State(), opened);
  EXPECT_EQ(session.Lut(0)[5], 5);
  EXPECT_FALSE(session.CanUndo());
  EXPECT_TRUE(WorkFiles().empty());
  session.SetAnnotationsShown(true);
  EXPECT_TRUE(session.CanUndo());
  EXPECT_TRUE(session.DnHidden());
  ASSERT_TRUE(session.Undo(m_messenger));
  EXPECT_FALSE(session.AnnotationsShown());
  EXPECT_EQ(session.Display().bits, before.bits);
  EXPECT_FALSE(session.CanUndo());
}

// A kept step writes slot 0 and undo goes back to the opened image. Steps
// alternate between two slots; undo goes back one, and a step into a slot
// used two steps ago never mixes with what was left there.
TEST_F(SessionTest, KeptStepsAlternateSlotsAndUndoGoesBack) {
  ImageSession& session = Opened();
  const Dib original = session.Display();
  m_messenger.answers = {true};
  ASSERT_EQ(session.RunStep(Invert(kStateFiltered), m_messenger, m_progress),
            ImageSession::StepOutcome::kKept);
  ASSERT_EQ(m_messenger.entries.size(), 1u);
  EXPECT_EQ(m_messenger.entries[0].title, "確認");
  EXPECT_EQ(m_messenger.entries[0].text, MessageText(kMsgConfirmResult));
  const std::string slot0 = m_dir / "work/0img";
  EXPECT_EQ(session.CurrentPath(), slot0 + ".inf");
  EXPECT_EQ(session.Files().slot, 0);
  EXPECT_EQ(session.State().m_nFileState, kStateFiltered);
  EXPECT_TRUE(session.State().m_bProcessed);
  EXPECT_EQ(session.Display().bits[0], 255 - original.bits[0]);
  const std::string inf = test::ReadFile(slot0 + ".inf");
  EXPECT_NE(inf.find("File_State = 9\nRainbow = 0\nSingle_Band = 0\n"), std::string::npos);
  // The title still names the opened file.
  EXPECT_EQ(session.Title().substr(0, m_inf.size() + 1), "*" + m_inf);
  ASSERT_TRUE(session.Undo(m_messenger));
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_EQ(session.Files().slot, -1);
  EXPECT_EQ(session.CurrentPath(), m_inf);
  EXPECT_EQ(session.State().m_nFileState, 0);
  EXPECT_EQ(session.Display().bits, original.bits);
  EXPECT_EQ(session.Title(), "*" + m_inf + " 1/1 (1,1)-(40,30) (R,G,B)=(3,2,1)");
  EXPECT_FALSE(session.CanUndo());

  ASSERT_EQ(session.RunStep(Invert(kStateFiltered, true), m_messenger, m_progress),
            ImageSession::StepOutcome::kKept);  // slot 0, four bands
  const Dib first = session.Display();
  ASSERT_EQ(session.RunStep(Invert(kStateFiltered), m_messenger, m_progress),
            ImageSession::StepOutcome::kKept);
  EXPECT_EQ(session.Display().bits, original.bits);  // inverted twice
  EXPECT_EQ(session.Files().slot, 1);
  ASSERT_TRUE(session.Undo(m_messenger));
  EXPECT_EQ(session.Display().bits, first.bits);
  EXPECT_EQ(session.Files().slot, 0);
  EXPECT_EQ(session.CurrentPath(), slot0 + ".inf");
  EXPECT_TRUE(test::FileExists(slot0 + ".b04"));
  EXPECT_FALSE(test::FileExists(m_dir / "work/1img.b01"));
  session.RunStep(Invert(kStateFiltered), m_messenger, m_progress);  // slot 1
  session.RunStep(Invert(kStateFiltered), m_messenger, m_progress);  // slot 0 again
  EXPECT_EQ(session.Files().slot, 0);
  EXPECT_FALSE(test::FileExists(slot0 + ".b04"));
}

// The dialog's protocol: the result is painted before the question, a No
// takes it back (painted again) and shows the dialog once more.
TEST_F(SessionTest, StepDialogAsksAfterShowingAndReopensOnNo) {
  ImageSession& session = Opened();
  const Dib original = session.Display();
  const StepBody failing = [](const StepSource&, const std::string&, StepResult&, Messenger& m,
                              Progress&) {
    m.ShowMessage(kMsgCreateFailed);
    return false;
  };
  struct Case {
    const char* what;
    std::vector<std::optional<StepBody>> choices;  // nothing: the dialog is cancelled
    std::vector<bool> answers;
    ImageSession::StepOutcome outcome;
    std::vector<std::string> trace;
  } cases[] = {
      {"yes",
       {Invert(kStateFiltered)},
       {true},
       ImageSession::StepOutcome::kKept,
       {"dialog", "shown", "asked"}},
      {"no, then yes",
       {Invert(kStateFiltered), Invert(kStateFiltered)},
       {false, true},
       ImageSession::StepOutcome::kKept,
       {"dialog", "shown", "asked", "shown", "dialog", "shown", "asked"}},
      {"no, then cancel",
       {Invert(kStateFiltered), std::nullopt},
       {false},
       ImageSession::StepOutcome::kCancelled,
       {"dialog", "shown", "asked", "shown", "dialog"}},
      {"failure", {failing}, {}, ImageSession::StepOutcome::kFailed, {"dialog"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> trace;
    struct TracingMessenger : RecordingMessenger {
      std::vector<std::string>* trace;
      bool AskYesNo(const std::string& t, const std::string& x) override {
        EXPECT_EQ(x, MessageText(kMsgConfirmResult));
        trace->push_back("asked");
        return RecordingMessenger::AskYesNo(t, x);
      }
    } m;
    m.trace = &trace;
    m.answers = c.answers;
    size_t next = 0;
    const auto choose = [&]() -> std::optional<ImageSession::StepChoice> {
      trace.push_back("dialog");
      const auto& body = c.choices.at(next++);
      if (!body) return std::nullopt;
      return ImageSession::StepChoice{*body, {}};
    };
    const auto shown = [&] {
      trace.push_back("shown");
      EXPECT_TRUE(session.StepPending() || session.Display().bits == original.bits) << c.what;
    };
    EXPECT_EQ(session.RunStepDialog(choose, m, m_progress, shown), c.outcome) << c.what;
    EXPECT_EQ(trace, c.trace) << c.what;
    EXPECT_FALSE(session.StepPending()) << c.what;
    if (c.outcome == ImageSession::StepOutcome::kKept) {
      ASSERT_TRUE(session.Undo(m_messenger));
    }
    EXPECT_EQ(session.Display().bits, original.bits) << c.what;
    EXPECT_TRUE(WorkFiles().empty()) << c.what;
  }
}

TEST_F(SessionTest, FailuresRollBackFilesAndDisplay) {
  ImageSession& session = Opened();
  ASSERT_EQ(session.RunStep(Invert(kStateFiltered), m_messenger, m_progress),
            ImageSession::StepOutcome::kKept);
  const std::vector<std::string> files = WorkFiles();
  const Dib shown = session.Display();
  const DisplayState state = session.State();
  const StepBody failing = [](const StepSource&, const std::string& target, StepResult&,
                              Messenger& m, Progress&) {
    test::WriteFile(target + ".b01", "partial");
    m.ShowMessage(kMsgCreateFailed);
    return false;
  };
  const StepBody noBands = [](const StepSource&, const std::string&, StepResult& r, Messenger&,
                              Progress&) {
    r.fileState = kStateFiltered;
    return true;  // writes nothing: the reload cannot open a band
  };
  const StepBody hugeResult = [](const StepSource&, const std::string& target, StepResult& r,
                                 Messenger&, Progress&) {
    test::WriteFile(target + ".b01", "x");
    r.pixels = 2000000000;
    r.lines = 2000000000;
    return true;
  };
  for (const StepBody* body : {&failing, &noBands, &hugeResult}) {
    EXPECT_EQ(session.RunStep(*body, m_messenger, m_progress), ImageSession::StepOutcome::kFailed);
    EXPECT_EQ(WorkFiles(), files);
    EXPECT_EQ(session.State(), state);
    EXPECT_EQ(session.Display().bits, shown.bits);
    EXPECT_EQ(session.Files().slot, 0);
    EXPECT_FALSE(session.StepPending());
    // Undo still reaches the image as opened.
    EXPECT_TRUE(session.CanUndo());
  }
  EXPECT_TRUE(m_messenger.Has(kMsgOpenFailed));
  EXPECT_TRUE(m_messenger.Has(kMsgNoMemory));
}

TEST_F(SessionTest, UndoThatCannotDeleteKeepsTheSlotAndTheNextStepSparesTheSetShown) {
  ImageSession& session = Opened();
  const std::string slot0 = m_dir / "work/0img", slot1 = m_dir / "work/1img";
  session.RunStep(Invert(kStateFiltered), m_messenger, m_progress);  // slot 0
  const Dib first = session.Display();
  session.RunStep(Invert(kStateFiltered), m_messenger, m_progress);  // slot 1
  {
    test::Undeletable stuck(slot1 + ".b02");
    if (!stuck.Active()) GTEST_SKIP() << "no way to make a deletion fail here";
    EXPECT_FALSE(session.Undo(m_messenger));
  }
  EXPECT_EQ(m_messenger.LastId(), kMsgDeleteFailed);
  // The slot stays; the picture and the set shown go back.
  EXPECT_EQ(session.Files().slot, 1);
  EXPECT_EQ(session.Display().bits, first.bits);
  EXPECT_EQ(session.CurrentPath(), slot0 + ".inf");
  EXPECT_EQ(session.State().m_nFileState, kStateFiltered);
  EXPECT_FALSE(session.CanUndo());
  // Saving saves the set shown; the next step reads it and writes over the leftovers.
  const std::string shownBand = test::ReadFile(slot0 + ".b01");
  ASSERT_TRUE(SaveImageAs(m_dir / "saved.inf", session.Files(), m_messenger));
  EXPECT_EQ(test::ReadFile(m_dir / "saved.b01"), shownBand);
  ASSERT_EQ(session.RunStep(Invert(kStateFiltered), m_messenger, m_progress),
            ImageSession::StepOutcome::kKept);
  EXPECT_EQ(session.CurrentPath(), slot1 + ".inf");
  EXPECT_EQ(test::ReadFile(slot0 + ".b01"), shownBand);
  ASSERT_TRUE(session.Undo(m_messenger));
  EXPECT_EQ(session.CurrentPath(), slot0 + ".inf");
  EXPECT_EQ(session.Display().bits, first.bits);
}

TEST_F(SessionTest, StepAdjustsTheShownBandsAndRefusesWhilePending) {
  ImageSession& session = Opened();
  const auto oneBand = [](DisplayState& s) { s.m_nBlueBand = s.m_nGreenBand = s.m_nRedBand = 0; };
  StepBody body = Invert(kStateVegetation);
  StepBody single = [body](const StepSource& src, const std::string& t, StepResult& r, Messenger& m,
                           Progress& p) {
    const bool ok = body(src, t, r, m, p);
    r.singleBand = 1;
    r.rainbow = 1;
    return ok;
  };
  ASSERT_TRUE(session.BeginStep(single, m_messenger, m_progress, oneBand));
  EXPECT_TRUE(session.StepPending());
  EXPECT_FALSE(session.BeginStep(single, m_messenger, m_progress, oneBand));
  EXPECT_FALSE(session.Undo(m_messenger));
  EXPECT_EQ(session.State().m_nRedBand, 0);
  EXPECT_TRUE(session.State().m_bSingleBand);
  session.Keep();
  EXPECT_EQ(session.Legend(), LegendKind::kVegetation);
  EXPECT_EQ(session.Snapshot().m_nRedBand, 2);
}

TEST_F(SessionTest, ZoomLimitsFollowTheDisplay) {
  ImageSession& session = Opened();
  int enlarged = 0;
  while (session.Enlarge()) ++enlarged;
  EXPECT_EQ(session.ZoomLevel(), 6);
  EXPECT_EQ(enlarged, 5);
  while (session.Reduce()) {
  }
  EXPECT_EQ(session.ZoomLevel(), -4);
  EXPECT_EQ(session.Zoom(), 0.03125f);
  session.SetZoomLevel(2);
  const ViewGeometry g = session.Geometry(0, 0, 0, 0);
  EXPECT_EQ(StatusReadout(g, {2 * kW + 9, 3}), (ClientPoint{kW, 2}));
  EXPECT_EQ(session.FitSize(10, 20, 1000, 45).height, 5);
}

size_t FileCount(const std::filesystem::path& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// A step that writes one band of the source's size.
bool OneBand(const StepSource& source, const std::string& target, StepResult& result, Messenger&,
             Progress&) {
  test::WriteFile(target + ".b01", "b");
  result.lines = source.settings.lines;
  result.pixels = source.settings.pixels;
  result.singleBand = 1;
  return true;
}

TEST(WriteStepOutput, RefusesTheInputSetAndTakesTheLongestNames) {
  test::TempDir dir;
  test::WriteFile(dir / "s.inf", "LINE = 1\nPIXEL = 1\n");
  test::WriteFile(dir / "s.b01", "input");
  RecordingMessenger m;
  Progress p;
  for (const char* out : {"s.inf", "S.inf", "s.b01"}) {
    EXPECT_EQ(WriteStepOutput(dir / "s.inf", dir / out, OneBand, m, p, kMsgCreateFailed),
              StepOutput::kOutputIsInput)
        << out;
    EXPECT_EQ(m.LastId(), kMsgWorkingFileInUse);
  }
  EXPECT_EQ(test::ReadFile(dir / "s.b01"), "input");
  EXPECT_EQ(FileCount(dir.path()), 2u);

  const std::string longest(255 - 4, 'n');  // "nnn….inf" is 255 characters
  ASSERT_EQ(
      WriteStepOutput(dir / "s.inf", dir / (longest + ".inf"), OneBand, m, p, kMsgCreateFailed),
      StepOutput::kWritten);
  EXPECT_EQ(test::ReadFile(dir / (longest + ".b01")), "b");
  EXPECT_NE(test::ReadFile(dir / (longest + ".inf")).find("Single_Band = 1"), std::string::npos);
  EXPECT_EQ(FileCount(dir.path()), 4u);  // no staging folder left
}

}  // namespace
}  // namespace lumora
