// Lessons: lesson files checked with the line of each problem, and a shipped
// lesson played through in the program with the mouse and the keyboard.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest/QTest>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/shell/command_rules.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/analysis/ndvi_dlg.h"
#include "gui/lessons/lesson_panel.h"
#include "gui/widgets/bitmap_button.h"
#include "lessons/lesson_run.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

namespace fs = std::filesystem;
using ::lumora::test::ReadFile;
using ::lumora::test::RunCli;
using ::lumora::test::WriteFile;

// A good lesson, and one fault at a time with the line it is on.
TEST(LessonFiles, ShippedLessonsPassAndEachFaultIsNamedWithItsLine) {
  ::lumora::test::TempDir dir;
  const auto shipped =
      RunCli(dir, "lesson check " + std::string(LUMORA_SHIPPED_LESSONS) + "/*.json");
  EXPECT_EQ(shipped.status, 0) << shipped.err;
  EXPECT_NE(shipped.out.find("measuring.json: 5\n"), std::string::npos) << shipped.out;

  const std::string good =
      "{\n"                                                        // 1
      "  \"format\": \"lumora-lesson 1\",\n"                       // 2
      "  \"title\": {\"ja\": \"t\", \"en\": \"t\"},\n"             // 3
      "  \"minutes\": 5, \"scene\": \"tm/lakes.inf\",\n"           // 4
      "  \"steps\": [\n"                                           // 5
      "    {\"text\": {\"ja\": \"a\", \"en\": \"a\"}},\n"          // 6
      "    {\"text\": {\"ja\": \"b\", \"en\": \"b\"},\n"           // 7
      "     \"check\": {\"kind\": \"zoom\", \"percent\": 200}}\n"  // 8
      "  ]\n"                                                      // 9
      "}\n";
  WriteFile(dir / "pic.png", "");
  WriteFile(dir / ".pic.png", "");
  const struct {
    const char* from;
    const char* to;
    const char* message;  // after "x.json:"
  } cases[] = {
      {"", "", nullptr},
      {"\"percent\": 200}}", "\"percent\": 200}},", "9: JSONとして読めません"},
      {"\"kind\": \"zoom\"", "\"kind\": \"zoomm\"", "7: 知らないチェック「zoomm」です"},
      {"\"percent\": 200", "\"percent\": 2.5", "7: 「percent」の値が正しくありません"},
      {"{\"ja\": \"b\", \"en\": \"b\"}", "{\"ja\": \"b\"}",
       "7: 「text」には日本語（ja）と英語（en）の両方が必要です"},
      {"{\"text\": {\"ja\": \"a\", \"en\": \"a\"}}",
       "{\"text\": {\"ja\": \"a\", \"en\": \"a\"}, \"hnit\": 1}",
       "6: 知らない項目「hnit」があります"},
      {"{\"text\": {\"ja\": \"a\", \"en\": \"a\"}}",
       "{\"text\": {\"ja\": \"a\", \"en\": \"a\"}, \"picture\": \"gone.png\"}",
       "6: 絵「gone.png」がありません"},
      {"{\"text\": {\"ja\": \"a\", \"en\": \"a\"}}",
       "{\"text\": {\"ja\": \"a\", \"en\": \"a\"}, \"picture\": \"../x/pic.png\"}",
       "6: 絵「../x/pic.png」がありません"},
      {"tm/lakes.inf", "../../etc/lakes.inf", "1: 「scene」の値が正しくありません"},
      {"tm/lakes.inf", "/tmp/lakes.inf", "1: 「scene」の値が正しくありません"},
      {"{\"text\": {\"ja\": \"a\", \"en\": \"a\"}}",
       "{\"text\": {\"ja\": \"a\", \"en\": \"a\"}, \"picture\": \".pic.png\"}",
       "6: 絵「.pic.png」がありません"},
      {"lumora-lesson 1", "lumora-lesson 2", "1: レッスンのファイルではありません"},
  };
  for (const auto& c : cases) {
    std::string text = good;
    if (*c.from) text.replace(text.find(c.from), std::string(c.from).size(), c.to);
    WriteFile(dir / "x.json", text);
    const auto r = RunCli(dir, "lesson check '" + (dir / "x.json") + "'");
    if (!c.message) {
      EXPECT_EQ(r.status, 0) << r.err;
      continue;
    }
    EXPECT_EQ(r.status, 1) << c.to;
    EXPECT_EQ(r.err.rfind(std::string("x.json:") + c.message, 0), 0u) << r.err;
  }
  // The tool speaks the locale's language.
  WriteFile(dir / "x.json", std::string(good).replace(good.find("zoom"), 4, "zoomm"));
  const auto english = RunCli(dir, "lesson check '" + (dir / "x.json") + "'", "LANG=en_GB.UTF-8 ");
  EXPECT_EQ(english.err, "x.json:7: unknown check \"zoomm\"\n");
  EXPECT_EQ(RunCli(dir, "lesson '" + (dir / "x.json") + "'").status, 2);
  EXPECT_EQ(RunCli(dir, "lesson chek '" + (dir / "x.json") + "'").status, 2);
}

// Typed key by key, as an input method hands characters over.
void Type(QWidget* w, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

// The step machine by itself: what ticks a step, what does not, and when
// the pupil may go on.
TEST(LessonRunRules, StepsTickOnlyOnTheirOwnActionAndNumbersAsPupilsTypeThem) {
  ::lumora::test::TempDir dir;
  lessons::Lesson plan;
  plan.scene = "tm/none.inf";  // not there
  const auto step = [](lessons::CheckKind kind) {
    lessons::Step s;
    s.check.kind = kind;
    return s;
  };
  plan.steps = {step(lessons::CheckKind::kOpen), step(lessons::CheckKind::kZoom),
                step(lessons::CheckKind::kNumber), step(lessons::CheckKind::kComposition),
                step(lessons::CheckKind::kChoice)};
  plan.steps[3].check.red = 4, plan.steps[3].check.green = 3, plan.steps[3].check.blue = 2;
  plan.steps[4].check.options.resize(3);
  plan.steps[4].check.answer = 1;
  plan.steps[1].check.percent = 200;
  plan.steps[2].check.value = 29.5;
  plan.steps[2].check.tolerance = 2.0;
  lessons::LessonRun run(plan, QString::fromStdString(dir.path().string()));
  lessons::Action opened;
  opened.kind = lessons::Action::kOpened;
  opened.path = QStringLiteral("/no/such/scene.inf");
  EXPECT_FALSE(run.Observe(opened));  // two missing files are not one file
  EXPECT_FALSE(run.Next());           // not done: the pupil stays
  EXPECT_EQ(run.Current(), 0);
  fs::create_directories(dir / "tm");
  WriteFile(dir / "tm/none.inf", "");
  opened.path = QString::fromStdString(dir / "tm/../tm/none.inf");
  EXPECT_TRUE(run.Observe(opened));
  EXPECT_FALSE(run.Observe(opened));  // once
  ASSERT_TRUE(run.Next());
  lessons::Action zoomed;
  zoomed.kind = lessons::Action::kZoomed;
  zoomed.percent = 100;
  EXPECT_FALSE(run.Observe(zoomed));
  zoomed.percent = 200;
  EXPECT_TRUE(run.Observe(zoomed));
  ASSERT_TRUE(run.Next());
  // The tolerance's ends count as right.
  EXPECT_EQ(run.AnswerNumber(QStringLiteral("32")), lessons::LessonRun::Reply::kWrong);
  EXPECT_FALSE(run.CanGoOn());
  EXPECT_EQ(run.AnswerNumber(QStringLiteral("31.5")), lessons::LessonRun::Reply::kRight);
  EXPECT_EQ(run.AnswerNumber(QStringLiteral("27.5")), lessons::LessonRun::Reply::kRight);
  EXPECT_EQ(run.AnswerChoice(0), lessons::LessonRun::Reply::kNotAQuestion);
  // Bands shown before another picture was opened do not count for it.
  lessons::Action composed;
  composed.kind = lessons::Action::kComposed;
  composed.red = 4, composed.green = 3, composed.blue = 2;
  run.Observe(composed);
  run.Observe(opened);
  ASSERT_TRUE(run.Next());
  EXPECT_FALSE(run.CanGoOn());
  EXPECT_TRUE(run.Observe(composed));
  ASSERT_TRUE(run.Next());
  EXPECT_EQ(run.AnswerChoice(0), lessons::LessonRun::Reply::kWrong);
  EXPECT_EQ(run.AnswerChoice(2), lessons::LessonRun::Reply::kWrong);
  EXPECT_EQ(run.AnswerChoice(1), lessons::LessonRun::Reply::kRight);
  EXPECT_FALSE(run.Next());  // the last step

  // Numbers as pupils type them.
  const struct {
    const char* typed;
    std::optional<double> value;
  } cases[] = {{"29.2", 29.2}, {" 29,2 km", std::nullopt}, {"２９．２", 29.2},     {"29，2", 29.2},
               {"－3", -3.0},  {"", std::nullopt},         {"1e999", std::nullopt}};
  for (const auto& c : cases)
    EXPECT_EQ(lessons::PupilNumber(QString::fromUtf8(c.typed)), c.value) << c.typed;
}

class LessonTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    scene = dir / "samples/tm/lakes.inf";
    fs::create_directories(dir / "samples/tm");
    ASSERT_TRUE(TmSample(scene, "128x96", 7));
    before = SetFiles(dir / "samples/tm/lakes");
  }
  // Chooses the lesson of this row in the list.
  CLessonPanel* Choose(int row, int count = 6) {
    ui.dialogs.push_back([row, count](QDialog& d) {
      auto* list = d.findChild<QListWidget*>(QStringLiteral("list"));
      EXPECT_EQ(list->count(), count);
      d.show();  // every lesson in sight
      QCoreApplication::processEvents();
      EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(count - 1))));
      list->setCurrentRow(row);
      d.accept();
      return d.result();
    });
    app->OnCommand(kCmdLessons);
    return app->LessonPanel();
  }
  std::string scene;
  std::map<std::string, std::string> before;
};

TEST_F(LessonTest, MeasuringIsPlayedThroughAndTheWorksheetSaved) {
  CLessonPanel* panel = Choose(2);  // colours, landcover, measuring, mountains, plants, whatchanged
  ASSERT_NE(panel, nullptr);
  auto* next = Find<QPushButton>(*panel, kLessonNext);
  auto* counter = Find<QLabel>(*panel, kLessonCounter);
  EXPECT_EQ(counter->text(), QStringLiteral("手順 1 / 5"));
  EXPECT_FALSE(next->isEnabled());
  Type(Find<QLineEdit>(*panel, kLessonPupil), QStringLiteral("さくら"));

  // 1: another picture does not count; the lesson's scene does.
  const std::string other = WriteScene(dir, "other", 16, 16, 3, 1);
  ASSERT_TRUE(OpenComposed(other));
  EXPECT_FALSE(next->isEnabled());
  ASSERT_TRUE(OpenComposed(scene));
  EXPECT_TRUE(next->isEnabled());
  EXPECT_EQ(Find<QLabel>(*panel, kLessonFeedback)->text(), QStringLiteral("できた！ ✓"));
  QTest::mouseClick(next, Qt::LeftButton);
  EXPECT_EQ(counter->text(), QStringLiteral("手順 2 / 5"));

  // 2: the ruler dragged across the picture.
  EXPECT_FALSE(next->isEnabled());
  QTest::mouseClick(Find<QPushButton>(*panel, kLessonHint), Qt::LeftButton);
  EXPECT_TRUE(Find<QLabel>(*panel, kLessonFeedback)->text().contains(QStringLiteral("ものさし")));
  app->OnCommand(kCmdRuler);
  mouse.Stroke(QPoint(5, 5), QPoint(60, 40));
  ASSERT_TRUE(next->isEnabled());
  QTest::mouseClick(next, Qt::LeftButton);

  // 3: a wrong number, then the right one typed the Japanese way.
  auto* field = Find<QLineEdit>(*panel, kLessonAnswer);
  ASSERT_NE(field, nullptr);
  QTest::keyClicks(field, QStringLiteral("12"));
  QTest::mouseClick(Find<QPushButton>(*panel, kLessonCheck), Qt::LeftButton);
  EXPECT_FALSE(next->isEnabled());
  EXPECT_TRUE(Find<QLabel>(*panel, kLessonFeedback)->text().startsWith(QStringLiteral("ちがう")));
  field->clear();
  Type(field, QStringLiteral("２９，８"));
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_TRUE(next->isEnabled());
  EXPECT_TRUE(Find<QLabel>(*panel, kLessonFeedback)->text().startsWith(QStringLiteral("せいかい")));
  // Back and forth: a done step stays done.
  QTest::mouseClick(Find<QPushButton>(*panel, kLessonBack), Qt::LeftButton);
  EXPECT_EQ(counter->text(), QStringLiteral("手順 2 / 5"));
  EXPECT_TRUE(next->isEnabled());
  QTest::mouseClick(next, Qt::LeftButton);
  QTest::mouseClick(next, Qt::LeftButton);

  // 4: a polygon round part of the picture with the region tool.
  EXPECT_FALSE(next->isEnabled());
  app->OnCommand(kCmdRegion);
  for (const QPoint corner : {QPoint(10, 10), QPoint(50, 12), QPoint(40, 45)}) mouse.Click(corner);
  mouse.Send(QEvent::MouseButtonDblClick, QPoint(40, 45));
  mouse.Send(QEvent::MouseButtonRelease, QPoint(40, 45));
  ASSERT_TRUE(next->isEnabled());
  QTest::mouseClick(next, Qt::LeftButton);

  // 5: the last step finishes with the worksheet.
  EXPECT_EQ(next->text(), QStringLiteral("おわり"));
  const std::string sheet = dir / "home/sakura.pdf";
  fs::create_directories(dir / "home");
  ui.saveNames.push_back(QString::fromStdString(sheet));
  QTest::mouseClick(next, Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>(*panel, kLessonSaveSheet), Qt::LeftButton);
  EXPECT_EQ(ReadFile(sheet).substr(0, 5), "%PDF-");
  // Printed, to a PDF printer here: the same page.
  PrintToPdf(dir / "printed.pdf");
  ui.dialogs.push_back(Answer(QDialog::Accepted));
  QTest::mouseClick(Find<QPushButton>(*panel, kLessonPrintSheet), Qt::LeftButton);
  EXPECT_EQ(ReadFile(dir / "printed.pdf").substr(0, 5), "%PDF-");
  const auto answers = panel->Run().Answers();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].answer, QStringLiteral("29.8 km"));
  EXPECT_TRUE(answers[0].right);
  // The pupil's files are as they were.
  EXPECT_EQ(SetFiles(dir / "samples/tm/lakes"), before);
}

// Every shipped lesson played through as a pupil would: each step's action,
// then "Next", up to "Finish".
TEST_F(LessonTest, ShippedLessonsPlayThroughAndATeachersOwnLessonToo) {
  const auto open = [&](int preset) {
    ASSERT_TRUE(Open(scene, [preset](QDialog& d) {
      if (preset) Click(d, preset);
      return Click(d, 1);
    }));
  };
  const auto press = [&](int button, DialogScript script) {
    if (script) ui.dialogs.push_back(std::move(script));
    PressPalette(button);
  };
  CLessonPanel* panel = nullptr;
  const auto choose = [&](int option) {
    QTest::mouseClick(Find<QAbstractButton>(*panel, kLessonChoiceFirst + option), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(*panel, kLessonCheck), Qt::LeftButton);
  };
  const struct {
    int row;
    std::vector<std::function<void()>> steps;
  } lessons[] = {
      {0,  // colours: true colour is what the dialog first offers
       {[&] { open(0); }, [] {}, [&] { open(306); },
        [&] {
          app->OnCommand(kCmdSpectrum);
          mouse.Click({30, 20});
          mouse.Click({60, 50});
        },
        [&] { choose(0); }, [&] { choose(0); }}},
      {4,  // plants
       {[&] { open(0); },
        [&] {
          press(289, [](QDialog& d) {
            Click(d, kNdviTmButton);
            return Click(d, 1);
          });
        },
        [&] { choose(0); }, [&] { choose(0); }}},
      {1,  // what covers the land: three classes, each a new item and a dragged box
       {[&] { open(0); },
        [&] {
          press(290, {});
          CLandCoverDlg* classes = View()->LandCoverDialog();
          ASSERT_NE(classes, nullptr);
          for (int k = 0; k < 3; ++k) {
            ui.colours.push_back(QColor(80 * k, 200 - 60 * k, 40));
            ui.dialogs.push_back([k](QDialog& item) {
              Find<CColourFrame>(item, kIdClassColour)->Choose();
              Find<QLineEdit>(item, kIdClassTitle)->setText(QString::number(k));
              return Click(item, 1);
            });
            Click(*classes, kIdClassNew);
            Click(*classes, kIdClassArea);
            mouse.Stroke(QPoint(4 + 36 * k, 4), QPoint(28 + 36 * k, 30));
          }
        },
        [&] {
          CLandCoverDlg* classes = View()->LandCoverDialog();
          ASSERT_NE(classes, nullptr);
          Click(*classes, 1);
          QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        },
        [&] { choose(0); }}},
      {3,  // mountains
       {[&] { open(0); }, [&] { press(291, [](QDialog& d) { return Click(d, 1); }); },
        [&] { choose(0); }}},
      {5,  // what changed: the later date opened beside, compared, the change kept
       {[&] { open(0); },
        [&] {
          const std::string later = dir / "samples/tm/lakes-later.inf";
          ASSERT_TRUE(TmSample(later, "128x96", 7, "--date 2") && OpenComposed(later));
        },
        [&] { app->OnCommand(kCmdCompare); },
        [&] {
          app->OnViewActivated(app->Views().front());
          ui.dialogs.push_back([](QDialog& d) { return Click(d, 1); });
          app->OnCommand(kCmdChange);
        },
        [&] { choose(0); }, [&] { choose(0); }}},
  };
  for (const auto& lesson : lessons) {
    SCOPED_TRACE(lesson.row);
    app->CloseAllViews();
    panel = Choose(lesson.row);
    ASSERT_NE(panel, nullptr);
    auto* next = Find<QPushButton>(*panel, kLessonNext);
    for (size_t i = 0; i < lesson.steps.size(); ++i) {
      SCOPED_TRACE(i);
      lesson.steps[i]();
      ASSERT_TRUE(next->isEnabled());
      QTest::mouseClick(next, Qt::LeftButton);
    }
    EXPECT_EQ(next->text(), QStringLiteral("おわり"));
    EXPECT_NE(Find<QPushButton>(*panel, kLessonSaveSheet), nullptr);
  }
  EXPECT_EQ(SetFiles(dir / "samples/tm/lakes"), before);

  // A picture already shown ticks the step; a broken lesson of the teacher's
  // folder is named, the teacher's own lesson played.
  app->CloseAllViews();
  ASSERT_TRUE(OpenComposed(scene));
  // A teacher's folder with one broken lesson and a good one: the list has
  // all but the broken one.
  fs::create_directories(dir / "teacher");
  WriteFile(dir / "teacher/broken.json", "{ \"format\": ");
  const std::string step = "{\"text\": {\"ja\": \"a\", \"en\": \"a\"}, \"check\": ";
  WriteFile(dir / "teacher/own.json",
            "{\"format\": \"lumora-lesson 1\", \"title\": {\"ja\": \"t\", \"en\": \"t\"},\n"
            "\"minutes\": 5, \"scene\": \"tm/lakes.inf\", \"steps\": [\n" +
                step + "{\"kind\": \"kept\", \"step\": \"brightness\"}},\n" + step +
                "{\"kind\": \"tool\", \"tool\": \"dn\", \"area\": [0, 0, 20, 20]}}]}\n");
  ui.folders.push_back(QString::fromStdString(dir / "teacher"));
  ui.dialogs.push_back([](QDialog& d) {
    d.findChild<QPushButton*>(QStringLiteral("teacher"))->click();
    auto* problems = d.findChild<QLabel*>(QStringLiteral("problems"));
    EXPECT_TRUE(problems->text().contains(QStringLiteral("broken.json:1:")))
        << problems->text().toStdString();
    d.findChild<QListWidget*>(QStringLiteral("list"))->setCurrentRow(0);  // colours
    d.accept();
    return d.result();
  });
  app->OnCommand(kCmdLessons);
  panel = app->LessonPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(Find<QPushButton>(*panel, kLessonNext)->isEnabled());  // the scene is open
  QTest::mouseClick(Find<QPushButton>(*panel, kLessonNext), Qt::LeftButton);
  // True colour (3, 2, 1) is what the composition dialog first offers here.
  EXPECT_TRUE(Find<QPushButton>(*panel, kLessonNext)->isEnabled());

  // The teacher's own lesson, after the six that come with the program:
  // brightness kept, then the DN readout inside the top-left corner only.
  panel = Choose(6, 7);
  ASSERT_NE(panel, nullptr);
  auto* next = Find<QPushButton>(*panel, kLessonNext);
  EXPECT_FALSE(next->isEnabled());
  ui.dialogs.push_back([](QDialog& d) { return Click(d, 1); });
  app->OnCommand(kCmdBrightness);
  ASSERT_TRUE(next->isEnabled());
  QTest::mouseClick(next, Qt::LeftButton);
  app->OnCommand(kCmdDnValue);
  mouse.Send(QEvent::MouseMove, QPoint(100, 80));  // pixels beyond 20, 20
  EXPECT_FALSE(next->isEnabled());
  mouse.Send(QEvent::MouseMove, QPoint(10, 10));
  EXPECT_TRUE(next->isEnabled());
}

}  // namespace
}  // namespace lumora::gui::test
