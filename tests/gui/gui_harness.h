// Shared by the GUI tests: a QApplication for the whole run, a seam that
// answers file dialogs and modal dialogs from a script, small scenes on
// disk, and a fixture that starts the program in a private folder.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMouseEvent>
#include <QPrinter>
#include <QScrollBar>
#include <QSettings>
#include <QWidget>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/support/messenger.h"
#include "core/support/text.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/app/operation_dlg.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/ui_seam.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace lumora::gui::test {

using DialogScript = std::function<int(QDialog&)>;

// Answers every file dialog and modal dialog from queues; a dialog nobody
// scripted is cancelled and counted, so no test ever blocks.
class ScriptedUi : public UiSeam {
 public:
  std::deque<QString> openNames, saveNames;
  std::deque<DialogScript> dialogs;
  int unexpectedDialogs = 0;
  QStringList dialogNames;  // object names of the dialogs run, in order
  int beeps = 0;

  QString GetOpenFileName(QWidget*, const QString& folder, const QString&) override {
    lastOpenFolder = folder;
    return Pop(openNames);
  }
  QString GetSaveFileName(QWidget*, const QString& folder, const QString&,
                          const QString&) override {
    lastSaveFolder = folder;
    return Pop(saveNames);
  }
  std::deque<QStringList> openLists;
  std::deque<QString> folders;
  QStringList GetOpenFileNames(QWidget*, const QString&, const QString&) override {
    if (openLists.empty()) return {};
    QStringList l = openLists.front();
    openLists.pop_front();
    return l;
  }
  QString GetExistingDirectory(QWidget*, const QString&) override { return Pop(folders); }
  int RunDialog(QDialog& dialog) override {
    dialogNames << dialog.objectName();
    if (dialogs.empty()) {
      ++unexpectedDialogs;
      return QDialog::Rejected;
    }
    DialogScript script = std::move(dialogs.front());
    dialogs.pop_front();
    return script(dialog);
  }
  void Beep() override { ++beeps; }
  std::deque<QColor> colours;  // answers of the colour chooser; none: cancelled
  QColor GetColor(QWidget*, const QColor&) override {
    if (colours.empty()) return {};
    const QColor c = colours.front();
    colours.pop_front();
    return c;
  }
  QString lastOpenFolder, lastSaveFolder;

 private:
  static QString Pop(std::deque<QString>& q) {
    if (q.empty()) return {};
    QString s = q.front();
    q.pop_front();
    return s;
  }
};

// Records like the core recorder and lets a test look around while a
// question is on screen.
class ProbingMessenger : public RecordingMessenger {
 public:
  std::function<void()> whileAsking;
  bool AskYesNo(const std::string& title, const std::string& text) override {
    if (whileAsking) whileAsking();
    return RecordingMessenger::AskYesNo(title, text);
  }
};

template <typename T = QWidget>
T* Find(QWidget& parent, int id) {
  return parent.findChild<T*>(QString::number(id));
}

// Clicks a button of the dialog and reports what the dialog now answers.
inline int Click(QDialog& dialog, int id) {
  auto* b = Find<QAbstractButton>(dialog, id);
  EXPECT_NE(b, nullptr) << "no button " << id;
  if (b) b->click();
  return dialog.result();
}

inline DialogScript Answer(int result) {
  return [result](QDialog&) { return result; };
}

// Synthesized mouse events for one widget; buttons stay held from the press
// to the release as a real mouse keeps them.
class MouseDriver {
 public:
  explicit MouseDriver(std::function<QWidget*()> target) : m_target(std::move(target)) {}
  void Send(QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                  : type == QEvent::MouseMove        ? m_pressed
                                                                     : Qt::MouseButtons(button);
    m_pressed = held;
    QWidget* w = m_target();
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
  // Press, two moves; the release is left to the caller.
  void Drag(QPoint from, QPoint to) {
    Send(QEvent::MouseButtonPress, from);
    Send(QEvent::MouseMove, (from + to) / 2);
    Send(QEvent::MouseMove, to);
  }
  // A whole drag, released at its end.
  void Stroke(QPoint from, QPoint to) {
    Drag(from, to);
    Send(QEvent::MouseButtonRelease, to);
  }
  void Click(QPoint at) {
    Send(QEvent::MouseButtonPress, at);
    Send(QEvent::MouseButtonRelease, at);
  }

 private:
  std::function<QWidget*()> m_target;
  Qt::MouseButtons m_pressed = Qt::NoButton;
};

// A file set of bands x (pixels x lines) 8-bit samples; band b at (x, y)
// holds (x * 3 + y * 5 + b * 40) mod 256.
inline std::string WriteScene(const ::lumora::test::TempDir& dir, const std::string& name,
                              int pixels, int lines, int bands, int sensor, int fileState = 0,
                              const std::string& extra = {}) {
  const std::string inf = dir / (name + ".inf");
  ::lumora::test::WriteFile(inf, Format("LINE = %d\nPIXEL = %d\nSENSOR = %d\nLengthPerPixel = "
                                        "0.03\nFile_State = %d\n%s",
                                        lines, pixels, sensor, fileState, extra.c_str()));
  for (int b = 1; b <= bands; ++b) {
    std::string data(size_t(pixels) * lines, '\0');
    for (int y = 0; y < lines; ++y)
      for (int x = 0; x < pixels; ++x)
        data[size_t(y) * pixels + x] = static_cast<char>((x * 3 + y * 5 + b * 40) % 256);
    ::lumora::test::WriteFile(dir / Format("%s.b%02d", name.c_str(), b), data);
  }
  return inf;
}

// Every file of the set base.* by its extension.
inline std::map<std::string, std::string> SetFiles(const std::string& base) {
  std::map<std::string, std::string> files;
  const std::filesystem::path b(base);
  const std::string stem = b.filename().string() + ".";
  for (const auto& e : std::filesystem::directory_iterator(b.parent_path())) {
    const std::string name = e.path().filename().string();
    if (name.rfind(stem, 0) == 0)
      files[name.substr(stem.size())] = ::lumora::test::ReadFile(e.path().string());
  }
  return files;
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir / "config"));
    QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
              QStringLiteral("Lumora Zud's"))
        .clear();
  }

  void TearDown() override {
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
      ADD_FAILURE() << "leaked window " << w->objectName().toStdString() << " "
                    << w->metaObject()->className();
    EXPECT_EQ(ui.unexpectedDialogs, 0) << ui.dialogNames.join(',').toStdString();
  }

  StartupOptions Options() const {
    StartupOptions o;
    o.lockFolder = QString::fromStdString(dir / "run");
    o.workFolder = QString::fromStdString(dir / "cache/lumora/temp/");
    o.homeFolder = QString::fromStdString(dir / "home");
    o.samplesFolder = QString::fromStdString(dir / "samples");
    o.helpFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/help");
    o.lessonsFolder = QString::fromStdString(LUMORA_SHIPPED_LESSONS);
    o.splashMilliseconds = 0;
    o.showFrame = false;
    return o;
  }

  // Starts the program answering the welcome dialog with welcome.
  bool Start(int welcome = 288) {
    app = std::make_unique<CKiriApp>(messenger, ui);
    ui.dialogs.push_back(Answer(welcome));
    return app->InitInstance(Options());
  }

  CMainFrame& Frame() { return *app->MainFrame(); }
  CKiriView* View() { return app->ActiveView(); }
  std::string WorkFolder() const { return dir / "cache/lumora/temp"; }
  // The files of the working folder, its marker not counted.
  int WorkFiles() const {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(WorkFolder()))
      n += e.path().filename().string()[0] != '.';
    return n;
  }

  // Opens path, composing it with the dialog script when one is given.
  bool Open(const std::string& path, DialogScript compose = {}) {
    ui.openNames.push_back(QString::fromStdString(path));
    if (compose) ui.dialogs.push_back(std::move(compose));
    app->OnCommand(32778);
    return app->ActiveView() != nullptr && ui.openNames.empty();
  }

  // The annotation settings (32845) with the legend on the page, placed in
  // the corner the placement dialog's button place ("place3": upper left) names.
  void ShowLegendOnPage(const char* place) {
    ui.dialogs.push_back([this, place](QDialog& d) {
      auto* legend = Find<QAbstractButton>(d, kIdLegendShown);
      EXPECT_TRUE(legend && legend->isEnabled());
      if (legend) legend->setChecked(true);
      ui.dialogs.push_back([place](QDialog& placement) {
        placement.findChild<QAbstractButton*>(QString::fromLatin1(place))->click();
        return QDialog::Accepted;
      });
      Click(d, kIdLegendPlace);
      return QDialog::Accepted;
    });
    app->OnCommand(32845);
  }

  // Runs lumora-cli in the test's folder, saying so when it fails; its output.
  std::string Cli(const std::string& args) {
    const auto run = ::lumora::test::RunCli(dir, args);
    EXPECT_EQ(run.status, 0) << args << "\n" << run.err;
    return run.out;
  }
  // Writes the scene "m" (see WriteScene) and opens it in a 300 x 200 window.
  void OpenScene(int pixels, int lines, int bands = 3) {
    source = WriteScene(dir, "m", pixels, lines, bands, 1);
    ASSERT_TRUE(OpenComposed(source));
    View()->Frame()->resize(300, 200);
  }
  // The active window's zoom level and scroll position.
  void SetZoom(int level, QPoint scroll = {}) {
    app->OnZoomBox(level);
    View()->horizontalScrollBar()->setValue(scroll.x());
    View()->verticalScrollBar()->setValue(scroll.y());
  }
  // Makes a TM sample scene of size ("96x64") with lumora-cli, with more options.
  bool TmSample(const std::string& inf, const std::string& size, int seed,
                const std::string& options = {}) {
    const auto run =
        ::lumora::test::RunCli(dir, Format("sample --sensor tm --size %s --seed %d %s -o '%s'",
                                           size.c_str(), seed, options.c_str(), inf.c_str()));
    EXPECT_EQ(run.status, 0) << run.err;
    return run.status == 0;
  }
  // Opens path composed as the composition dialog first offers.
  bool OpenComposed(const std::string& path) {
    return Open(path, [](QDialog& d) { return Click(d, 1); });
  }
  bool OpenTmSample(const std::string& inf, const std::string& size, int seed) {
    return TmSample(inf, size, seed) && OpenComposed(inf);
  }
  // The palette's picture buttons send their command on the press.
  void PressPalette(int id) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->Palette()->Button(id), &press);
  }
  // The next print goes to an A4 PDF file.
  QPrinter& PrintToPdf(const std::string& pdf) {
    QPrinter& printer = app->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setPageSize(QPageSize(QPageSize::A4));
    return printer;
  }

  ::lumora::test::TempDir dir;
  std::string source;                                        // the scene OpenScene writes
  MouseDriver mouse{[this] { return View()->viewport(); }};  // on the active image
  ProbingMessenger messenger;
  ScriptedUi ui;
  std::unique_ptr<CKiriApp> app;
};

// The program started, its welcome answered.
class StartedTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
  }
};

}  // namespace lumora::gui::test
