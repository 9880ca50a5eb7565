#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>
#include <filesystem>

#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "gui/view/dn_value_dlg.h"
#include "gui/view/image_info_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

namespace fs = std::filesystem;

class MouseToolsTest : public StartedTest {
 protected:
  QWidget* Port() { return View()->viewport(); }
};

// Hand-worked: a document pixel is trunc((client + scroll) / zoom + 0.5).
struct GestureCase {
  int level;
  QPoint scroll, from, to;
  ClientPoint docFrom, docTo;
  const char* size;
};
const GestureCase kGestures[] = {
    {6, {1000, 2000}, {40, 30}, {120, 90}, {33, 63}, {35, 65}, "3x2"},
    {2, {10, 20}, {40, 30}, {121, 91}, {25, 25}, {66, 56}, "41x31"},
    {1, {0, 7}, {40, 30}, {121, 91}, {40, 37}, {121, 98}, "81x61"},
    {-1, {0, 0}, {3, 5}, {50, 60}, {12, 20}, {200, 240}, "188x220"},
    {-4, {0, 0}, {1, 2}, {6, 5}, {32, 64}, {192, 160}, "160x96"},
};

TEST_F(MouseToolsTest, SelectionProfileRulerAndWheelAtEveryZoom) {
  OpenScene(256, 256);
  for (const GestureCase& c : kGestures) {
    SCOPED_TRACE(c.level);
    SetZoom(c.level, c.scroll);
    std::optional<CKiriView::Selection> got;
    View()->StartSelection(CKiriView::kSelectTraining,
                           [&](const CKiriView::Selection& s) { got = s; });
    mouse.Drag(c.from, c.to);
    EXPECT_EQ(View()->DragState(), 2);
    EXPECT_EQ(Frame().StatusText(0), QString::fromUtf8(c.size));
    mouse.Send(QEvent::MouseButtonRelease, c.to);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->docStart, c.docFrom);
    EXPECT_EQ(got->docEnd, c.docTo);
    EXPECT_FALSE(View()->Selecting());
  }

  // A profile line is horizontal or vertical; the ruler measures ground distance.
  OpenScene(128, 128);
  const struct {
    QPoint to;
    bool vertical;
    ClientPoint end;
    const char* length;
  } cases[] = {{{30, 60}, true, {20, 60}, "40"},
               {{60, 30}, false, {60, 20}, "40"},
               {{40, 40}, true, {20, 40}, "20"}};
  for (const auto& c : cases) {
    std::optional<CKiriView::Selection> got;
    View()->StartSelection(CKiriView::kSelectProfile,
                           [&](const CKiriView::Selection& s) { got = s; });
    mouse.Drag({20, 20}, c.to);
    EXPECT_EQ(Frame().StatusText(0), QString::fromUtf8(c.length));
    mouse.Send(QEvent::MouseButtonRelease, c.to);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->line.vertical, c.vertical);
    EXPECT_EQ(got->line.end, c.end);
  }
  // The ruler measures ground distance: 30 m pixels.
  const struct {
    int level;
    QPoint from, to;
    const char* text;
  } rulers[] = {{1, {10, 10}, {13, 14}, "150 m"},
                {2, {10, 10}, {16, 18}, "150 m"},
                {-1, {2, 2}, {5, 6}, "600 m"}};
  for (const auto& c : rulers) {
    SetZoom(c.level, {0, 0});
    app->OnCommand(kCmdRuler);
    ASSERT_TRUE(View()->RulerArmed());
    mouse.Drag(c.from, c.to);
    EXPECT_TRUE(View()->RulerDragging());
    mouse.Send(QEvent::MouseButtonRelease, c.to);
    EXPECT_EQ(Frame().StatusText(0), QString::fromUtf8(c.text)) << c.level;
    EXPECT_FALSE(View()->RulerArmed());
  }

  // The wheel scrolls a useful step; with Ctrl it zooms.
  OpenScene(256, 1024);
  QScrollBar* bar = View()->verticalScrollBar();
  const int page = bar->pageStep();
  QWheelEvent notch(QPointF(50, 50), Port()->mapToGlobal(QPointF(50, 50)), QPoint(),
                    QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Port(), &notch);
  EXPECT_GE(bar->value(), page / 10);
  QWheelEvent zoomIn(QPointF(50, 50), Port()->mapToGlobal(QPointF(50, 50)), QPoint(),
                     QPoint(0, 240), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Port(), &zoomIn);
  EXPECT_EQ(View()->ZoomLevel(), 3);
}

// The rubber rectangle is drawn in exclusive-or and erased; the right button
// and a loss of focus cancel a drag; a press beside the picture starts none.
TEST_F(MouseToolsTest, RubberRectangleRightButtonFocusLossAndAPressBeside) {
  OpenScene(128, 128);
  View()->StartSelection(CKiriView::kSelectTraining, [](const CKiriView::Selection&) {});
  const QImage before = Port()->grab().toImage();
  mouse.Drag({10, 10}, {40, 30});
  const QImage during = Port()->grab().toImage();
  const QColor under = before.pixelColor(10, 20);
  const QColor edge = during.pixelColor(10, 20);
  EXPECT_EQ(edge.red(), under.red());
  EXPECT_EQ(edge.green(), under.green() ^ 255);
  EXPECT_EQ(edge.blue(), under.blue() ^ 255);
  EXPECT_EQ(during.pixelColor(20, 20), before.pixelColor(20, 20));  // inside: untouched
  mouse.Send(QEvent::MouseButtonRelease, {40, 30});
  EXPECT_EQ(Port()->grab().toImage().pixelColor(10, 20), under);
  for (bool byFocus : {false, true}) {
    bool finished = false;
    View()->StartSelection(CKiriView::kSelectTraining,
                           [&](const CKiriView::Selection&) { finished = true; });
    mouse.Drag({10, 10}, {40, 30});
    if (byFocus) {
      QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
      QApplication::sendEvent(View(), &out);
    } else {
      mouse.Send(QEvent::MouseButtonPress, {40, 30}, Qt::RightButton);
    }
    mouse.Send(QEvent::MouseButtonRelease, {40, 30});
    EXPECT_FALSE(finished) << byFocus;
    EXPECT_FALSE(View()->Selecting());
    EXPECT_EQ(View()->DragState(), 0);
  }
  // The ruler too.
  app->OnCommand(kCmdRuler);
  mouse.Drag({10, 10}, {20, 20});
  mouse.Send(QEvent::MouseButtonPress, {20, 20}, Qt::RightButton);
  EXPECT_FALSE(View()->RulerArmed());
  EXPECT_FALSE(View()->RulerDragging());
  // A press beside the picture starts no drag and keeps the tool armed.
  SetZoom(0, {0, 0});  // 64 x 64 on screen
  View()->StartSelection(CKiriView::kSelectTraining, [](const CKiriView::Selection&) {});
  mouse.Send(QEvent::MouseButtonPress, {64, 10});
  EXPECT_TRUE(View()->Selecting());
  EXPECT_EQ(View()->DragState(), 0);
}

// An armed tool says in the status bar what to do; a right click disarms it
// and the prompt goes. A prompt longer than the pane ends in "…".
TEST_F(MouseToolsTest, ArmedToolsPromptsTheDnWindowAndTheImageInformation) {
  OpenScene(128, 128);
  app->OnCommand(kCmdDnValue);
  CDnValueDlg* dn = app->DnWindow();
  ASSERT_NE(dn, nullptr);
  auto expected = [this](int x, int y) {
    const QColor c = View()->Picture().pixelColor(x, y);
    return QString::asprintf("( %3d, %3d, %3d)", c.blue(), c.green(), c.red());
  };
  mouse.Send(QEvent::MouseMove, {10, 20});
  EXPECT_EQ(dn->Current(), expected(10, 20));
  EXPECT_EQ(dn->Previous(), QString::fromUtf8(kNoDn));
  SetZoom(2, {0, 0});
  mouse.Send(QEvent::MouseMove, {21, 41});
  EXPECT_EQ(dn->Current(), expected(10, 20));
  QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(View(), &out);
  EXPECT_EQ(dn->Current(), QStringLiteral("(---,---,---)"));
  Frame().show();
  for (int command : {int(kCmdOpenPart), int(kCmdProfile), int(kCmdRuler)}) {
    app->OnCommand(command);
    const QString prompt = Frame().StatusText(0);
    EXPECT_FALSE(prompt.isEmpty()) << command;
    // The help of a button the mouse passes over comes and goes; the prompt stays.
    Frame().statusBar()->showMessage(QStringLiteral("画像を拡大します．"));
    Frame().statusBar()->clearMessage();
    EXPECT_EQ(Frame().StatusText(0), prompt) << command;
    mouse.Send(QEvent::MouseButtonPress, {20, 20}, Qt::RightButton);
    EXPECT_EQ(Frame().StatusText(0), QString()) << command;
  }
  const QString longPrompt = QStringLiteral("画像の一部を指定して開きます．").repeated(4);
  Frame().SetStatusText(0, longPrompt);
  QCoreApplication::processEvents();
  const QString shown = Frame().ShownStatusText();
  EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(longPrompt.startsWith(shown.chopped(1)));
  EXPECT_LT(shown.size(), longPrompt.size());
  Frame().SetStatusText(0, QStringLiteral("開く"));
  EXPECT_EQ(Frame().ShownStatusText(), QStringLiteral("開く"));

  // The image information holds the analysis slot: a second request waits.
  OpenScene(40, 30);
  QWidget* held = nullptr;
  QString size;
  ui.dialogs.push_back([&](QDialog& d) {
    held = app->AnalysisWindow();
    size = Find<QLabel>(d, kIdInfoSize)->text();
    // The slot is taken: a second request does nothing.
    app->OnCommand(kCmdImageInfo);
    return Click(d, 1);
  });
  app->OnCommand(kCmdImageInfo);
  EXPECT_NE(held, nullptr);
  EXPECT_EQ(app->AnalysisWindow(), nullptr);
  EXPECT_EQ(size, QStringLiteral("画像サイズ\t横：40 pixel\n　　　　　\t縦：30 pixel"));
  EXPECT_EQ(ui.dialogNames.count(QStringLiteral("405")), 1);
}

// Save as copies the set and refuses the set in use; a partial open writes
// what lumora-cli crop writes and opens it.
TEST_F(MouseToolsTest, SaveAsAndPartialOpenWriteTheirSets) {
  OpenScene(64, 48);
  const auto before = SetFiles(dir / "m");
  ui.saveNames.push_back(QString::fromStdString(source));
  app->OnCommand(kCmdSaveAs);
  EXPECT_EQ(messenger.LastId(), kMsgWorkingFileInUse);
  EXPECT_EQ(SetFiles(dir / "m"), before);

  ui.saveNames.push_back(QString::fromStdString(dir / "copy.inf"));
  app->OnCommand(kCmdSaveAs);
  EXPECT_EQ(SetFiles(dir / "copy"), before);
  ::lumora::test::WriteFile(dir / "m.d01", "band one\n");
  app->OnCommand(kCmdOpenPart);
  ASSERT_TRUE(View()->Selecting());
  ui.saveNames.push_back(QString::fromStdString(dir / "part.inf"));
  mouse.Stroke({5, 6}, {25, 30});
  QCoreApplication::processEvents();  // the open is posted
  ASSERT_EQ(app->Views().size(), 2u);
  EXPECT_EQ(app->ActiveView()->Session().OpenedPath(), dir / "part.inf");
  EXPECT_EQ(app->ActiveView()->Session().State().m_nImagePixels, 20);

  fs::create_directory(dir / "cli");
  Cli("crop '" + source + "' --area 5,6,20,24 -o '" + (dir / "cli/part.inf") + "'");
  const auto ours = SetFiles(dir / "part");
  EXPECT_EQ(ours, SetFiles(dir / "cli/part"));
  EXPECT_EQ(ours.count("d01"), 1u);
}

TEST_F(MouseToolsTest, ClosingAnUnsavedResultAsks) {
  OpenScene(32, 32);
  auto keepFilter = [this] {
    ui.dialogs.push_back([](QDialog& d) {
      Find<QComboBox>(d, 351)->setCurrentIndex(0);
      return Click(d, 1);
    });
    messenger.answers = {true};
    app->OnCommand(kCmdFilter);
  };
  keepFilter();
  ASSERT_TRUE(View()->HasUnsavedResult());
  // Cancel keeps the window; Yes with a cancelled save keeps it too.
  ui.dialogs.push_back(Answer(QMessageBox::Cancel));
  app->OnCommand(kCmdClose);
  ui.dialogs.push_back(Answer(QMessageBox::Yes));
  app->OnCommand(kCmdClose);
  ASSERT_EQ(app->Views().size(), 1u);
  // Yes saves, then closes.
  ui.dialogs.push_back(Answer(QMessageBox::Yes));
  ui.saveNames.push_back(QString::fromStdString(dir / "kept.inf"));
  app->OnCommand(kCmdClose);
  EXPECT_TRUE(app->Views().empty());
  EXPECT_TRUE(::lumora::test::FileExists(dir / "kept.b01"));
  EXPECT_EQ(ui.dialogNames.count(QStringLiteral("saveBeforeClose")), 3);

  // No closes without saving.
  ASSERT_TRUE(OpenComposed(source));
  keepFilter();
  ui.dialogs.push_back(Answer(QMessageBox::No));
  app->OnCommand(kCmdClose);
  EXPECT_TRUE(app->Views().empty());
}

}  // namespace
}  // namespace lumora::gui::test
