#include "gui/app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <utility>

#include "core/shell/command_rules.h"
#include "core/support/band_expression.h"
#include "core/support/string_table.h"
#include "core/view/zoom.h"
#include "gui/app/about_dlg.h"
#include "gui/app/help_dlg.h"
#include "gui/app/kiri_app.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

namespace {

// Pixels between a status pane's border and its text, and after the last pane.
constexpr int kPaneAir = 2;

// The message pane: a text longer than the pane ends in "…" rather than in
// half a character; text() stays whole.
class MessagePane : public QLabel {
 public:
  using QLabel::QLabel;
  QString Shown() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), int(alignment()), Shown());
  }
};

QSettings RecentSettings() {
  return QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
                   QStringLiteral("Lumora Zud's"));
}

struct CommandText {
  int id;
  const char* text;
  const char* prompt;  // status text, then the tool tip after '\n'
  const char* icon;
};

const CommandText kCommands[] = {
    {kCmdOpen, QT_TRANSLATE_NOOP("CMainFrame", "開く(&O)...\tCtrl+O"),
     QT_TRANSLATE_NOOP("CMainFrame", "画像を開きます．\n開く"), "open"},
    {kCmdOpenPart, QT_TRANSLATE_NOOP("CMainFrame", "部分指定で開く(&N)...\tCtrl+N"),
     QT_TRANSLATE_NOOP("CMainFrame", "画像の一部を指定して開きます．\n部分指定で開く"),
     "open_part"},
    {kCmdImport, QT_TRANSLATE_NOOP("CMainFrame", "衛星データの取り込み(&I)..."),
     QT_TRANSLATE_NOOP("CMainFrame",
                       "ランドサット 8/9・センチネル 2・GeoTIFF の画像を取り込みます．\n取り込み"),
     nullptr},
    {kCmdClose, QT_TRANSLATE_NOOP("CMainFrame", "閉じる(&C)"),
     QT_TRANSLATE_NOOP("CMainFrame", "画像を閉じます．\n閉じる"), nullptr},
    {kCmdSaveAs, QT_TRANSLATE_NOOP("CMainFrame", "名前を付けて保存(&A)...\tCrtl+A"),
     QT_TRANSLATE_NOOP("CMainFrame", "編集した画像をSBF形式で保存します．\n保存"), "save_as"},
    {kCmdExport, QT_TRANSLATE_NOOP("CMainFrame", "JPG･TIFF形式で保存..."),
     QT_TRANSLATE_NOOP("CMainFrame", "JPEG又はTIFF形式で保存します．\nJPG・TIFFで保存"), "export"},
    {kCmdExportFull, QT_TRANSLATE_NOOP("CMainFrame", "全画素でJPG･TIFF形式で保存..."),
     QT_TRANSLATE_NOOP("CMainFrame",
                       "縮小しない元の画素のまま，JPEG又はTIFF形式で保存します．\n全画素で保存"),
     nullptr},
    {kCmdPrint, QT_TRANSLATE_NOOP("CMainFrame", "印刷(&P)...\tCtrl+P"),
     QT_TRANSLATE_NOOP("CMainFrame", "印刷します．\n印刷"), "print"},
    {kCmdPrintPreview, QT_TRANSLATE_NOOP("CMainFrame", "印刷プレビュー(&V)..."),
     QT_TRANSLATE_NOOP("CMainFrame", "印刷イメージを表示します．"), nullptr},
    {kCmdPrintSetup, QT_TRANSLATE_NOOP("CMainFrame", "プリンタの設定(&R)..."),
     QT_TRANSLATE_NOOP("CMainFrame", "プリンタを設定します．\nプリンタの設定"), nullptr},
    {kCmdExit, QT_TRANSLATE_NOOP("CMainFrame", "終了(&X)"),
     QT_TRANSLATE_NOOP("CMainFrame", "Lumora Zud'sを終了します．\n終了"), nullptr},
    {kCmdUndo, QT_TRANSLATE_NOOP("CMainFrame", "アンドゥ(&U)\tCtrl+Z"),
     QT_TRANSLATE_NOOP("CMainFrame", "ひとつ前の状態に戻します．\nアンドゥ"), "undo"},
    {kCmdEnlarge, QT_TRANSLATE_NOOP("CMainFrame", "拡大"),
     QT_TRANSLATE_NOOP("CMainFrame", "画像を拡大します．\n拡大"), "enlarge"},
    {kCmdReduce, QT_TRANSLATE_NOOP("CMainFrame", "縮小"),
     QT_TRANSLATE_NOOP("CMainFrame", "画像を縮小します．\n縮小"), "reduce"},
    {kCmdBrightness, QT_TRANSLATE_NOOP("CMainFrame", "明るさの調整"),
     QT_TRANSLATE_NOOP("CMainFrame", "画像の明るさを調整します．\n明るさ調整"), nullptr},
    {kCmdProfile, QT_TRANSLATE_NOOP("CMainFrame", "プロファイル(X-Y)"),
     QT_TRANSLATE_NOOP("CMainFrame", "X又はY方向の画素を取得します．"), nullptr},
    {kCmdScatter, QT_TRANSLATE_NOOP("CMainFrame", "散布図表示"),
     QT_TRANSLATE_NOOP("CMainFrame", "2バンドによる散布図を表示します．\n散布図表示"), "scatter"},
    {kCmdSpectrum, QT_TRANSLATE_NOOP("CMainFrame", "スペクトル"),
     QT_TRANSLATE_NOOP("CMainFrame", "画素の値を全部のバンドで波長の順に表示します．\nスペクトル"),
     "spectrum"},
    {kCmdRegion, QT_TRANSLATE_NOOP("CMainFrame", "範囲の統計ツール"),
     QT_TRANSLATE_NOOP("CMainFrame", "囲んだ範囲の統計と面積を表示します．\n範囲の統計ツール"),
     "region"},
    {kCmdDnValue, QT_TRANSLATE_NOOP("CMainFrame", "DN値表示"),
     QT_TRANSLATE_NOOP("CMainFrame", "DN値を表示します．\nDN値表示"), nullptr},
    {kCmdRuler, QT_TRANSLATE_NOOP("CMainFrame", "定規ツール"),
     QT_TRANSLATE_NOOP("CMainFrame", "距離を測ります．\n定規ツール"), "ruler"},
    {kCmdReverseRainbow, QT_TRANSLATE_NOOP("CMainFrame", "レインボーカラー反転"),
     QT_TRANSLATE_NOOP("CMainFrame", "レインボーカラーを反転します．\nレインボーカラー反転"),
     nullptr},
    {kCmdAnnotation, QT_TRANSLATE_NOOP("CMainFrame", "付加情報"),
     QT_TRANSLATE_NOOP("CMainFrame", "付加情報を表示します．\n付加情報表示"), "annotation"},
    {kCmdFilter, QT_TRANSLATE_NOOP("CMainFrame", "フィルタリング"),
     QT_TRANSLATE_NOOP("CMainFrame", "各種フィルターをかけます．\nフィルター"), nullptr},
    {kCmdVegetation, QT_TRANSLATE_NOOP("CMainFrame", "植生指数"),
     QT_TRANSLATE_NOOP("CMainFrame", "植生指数を計算します．\n植生指数"), nullptr},
    {kCmdBandMath, QT_TRANSLATE_NOOP("CMainFrame", "バンド計算"),
     QT_TRANSLATE_NOOP("CMainFrame", "水・市街地・雪の指数や自分の式を計算します．\nバンド計算"),
     nullptr},
    {kCmdLink, QT_TRANSLATE_NOOP("CMainFrame", "窓をつなぐ"),
     QT_TRANSLATE_NOOP(
         "CMainFrame",
         "同じ場所の画像の窓をつなぎ，いっしょに拡大・スクロールします．\n窓をつなぐ"),
     "link"},
    {kCmdCompare, QT_TRANSLATE_NOOP("CMainFrame", "2つの日を比べる"),
     QT_TRANSLATE_NOOP("CMainFrame",
                       "同じ場所の2つの日の画像を，取っ手を動かしたり点滅させたりして比べます．\n2"
                       "つの日を比べる"),
     nullptr},
    {kCmdChange, QT_TRANSLATE_NOOP("CMainFrame", "何が変わった？"),
     QT_TRANSLATE_NOOP(
         "CMainFrame",
         "同じ場所の2つの日の画像を比べて，変わった所を色で示します．\n何が変わった？"),
     nullptr},
    {kCmdClassify, QT_TRANSLATE_NOOP("CMainFrame", "土地被覆分類"),
     QT_TRANSLATE_NOOP("CMainFrame", "土地被覆分類を実行します．\n土地被覆分類"), nullptr},
    {kCmdDem, QT_TRANSLATE_NOOP("CMainFrame", "DEM"),
     QT_TRANSLATE_NOOP("CMainFrame", "標高データを用いた各種処理をします．\nDEM"), nullptr},
    {kCmdAbout, QT_TRANSLATE_NOOP("CMainFrame", "Lumora Zud'sについて(&A)..."),
     QT_TRANSLATE_NOOP("CMainFrame", "バージョン情報を表示します．\nバージョン情報"), "about"},
    {kCmdImageInfo, QT_TRANSLATE_NOOP("CMainFrame", "表示イメージ情報"),
     QT_TRANSLATE_NOOP("CMainFrame", "現画像の設定情報を表示します．"), nullptr},
    {kCmdHelpIndex, QT_TRANSLATE_NOOP("CMainFrame", "目次(&C)"),
     QT_TRANSLATE_NOOP("CMainFrame", "ヘルプの目次を表示します．\n目次"), nullptr},
    {kCmdLessons, QT_TRANSLATE_NOOP("CMainFrame", "レッスン(&S)..."),
     QT_TRANSLATE_NOOP("CMainFrame", "一歩ずつ進むレッスンを選びます．\nレッスン"), nullptr},
    {kCmdHelpUsing, QT_TRANSLATE_NOOP("CMainFrame", "ヘルプの使い方(&H)"),
     QT_TRANSLATE_NOOP("CMainFrame", "ヘルプの使い方を表示します．\nヘルプの使い方"), nullptr},
    {kCmdHelp, QT_TRANSLATE_NOOP("CMainFrame", "ヘルプ"),
     QT_TRANSLATE_NOOP("CMainFrame", "ヘルプを表示します．\nヘルプ"), nullptr},
    {kCmdContextHelp, QT_TRANSLATE_NOOP("CMainFrame", "ヘルプ"),
     QT_TRANSLATE_NOOP("CMainFrame", "ヘルプを表示します．\nヘルプ"), nullptr},
    {kCmdNextPane, QT_TRANSLATE_NOOP("CMainFrame", "次のウィンドウ"),
     QT_TRANSLATE_NOOP("CMainFrame", "次の画像ウィンドウに切り替えます．\n次のウィンドウ"),
     nullptr},
    {kCmdPrevPane, QT_TRANSLATE_NOOP("CMainFrame", "前のウィンドウ"),
     QT_TRANSLATE_NOOP("CMainFrame", "前の画像ウィンドウに切り替えます．\n前のウィンドウ"),
     nullptr},
    {kCmdSmooth, QT_TRANSLATE_NOOP("CMainFrame", "平均化"),
     QT_TRANSLATE_NOOP("CMainFrame", "画素のばらつきを平均化します．\n平均化"), "smooth"},
    {kCmdAutoBrightness, QT_TRANSLATE_NOOP("CMainFrame", "明るさの自動調整"),
     QT_TRANSLATE_NOOP("CMainFrame", "画像の明るさを自動調整します．\n明るさの自動調整"),
     "auto_brightness"},
};

}  // namespace

CMainFrame::CMainFrame(CKiriApp& app) : QMainWindow(nullptr), m_app(app) {
  setObjectName(QStringLiteral("CMainFrame"));
  setWindowTitle(QStringLiteral("Lumora Zud's"));
  // No sizing border and no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  for (const CommandText& c : kCommands) {
    QAction* a =
        AddCommand(c.id, translate("CMainFrame", c.text), translate("CMainFrame", c.prompt));
    if (c.icon) a->setIcon(QIcon(LoadPicture(QStringLiteral("tool_%1").arg(c.icon))));
  }
  // Built without the formula library, band maths stays greyed and says why.
  if (!BandExpression::Available())
    Action(kCmdBandMath)->setStatusTip(ToQ(MessageText(kMsgMathUnavailable)));
  Action(kCmdLink)->setCheckable(true);
  Action(kCmdOpen)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  Action(kCmdSaveAs)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  Action(kCmdPrint)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  Action(kCmdUndo)->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
  // Keys without a menu entry: the actions live on the frame itself.
  const std::pair<int, QKeySequence> keys[] = {
      {kCmdHelp, QKeySequence(Qt::Key_F1)},
      {kCmdContextHelp, QKeySequence(Qt::SHIFT | Qt::Key_F1)},
      {kCmdNextPane, QKeySequence(Qt::Key_F6)},
      {kCmdPrevPane, QKeySequence(Qt::SHIFT | Qt::Key_F6)},
  };
  for (const auto& [id, key] : keys) {
    Action(id)->setShortcut(key);
    addAction(Action(id));
  }
  for (QAction* a : m_actions) a->setShortcutContext(Qt::ApplicationShortcut);

  for (int i = 0; i < kRecentFileCount; ++i) {
    auto* a = new QAction(this);
    a->setObjectName(QString::number(kFirstRecentCommand + i));
    connect(a, &QAction::triggered, this, [this, i] {
      if (i < m_recent.size()) m_app.OnFileOpen(m_recent[i]);
    });
    m_recentActions.push_back(a);
  }
  LoadRecentFiles();

  m_mdi = new QMdiArea(this);
  m_mdi->setBackground(QBrush(QColor(128, 128, 128)));
  setCentralWidget(m_mdi);
  CreateToolBars();
  CreateStatusBar();
  setFixedSize(320, 230);
  installEventFilter(this);
  menuBar()->installEventFilter(this);
}

QAction* CMainFrame::AddCommand(int id, const QString& text, const QString& prompt) {
  auto* a = new QAction(text, this);
  a->setObjectName(QString::number(id));
  // A prompt without a tool tip part is the status text whole.
  const int nl = int(prompt.indexOf('\n'));
  a->setStatusTip(nl >= 0 ? prompt.left(nl) : prompt);
  if (nl >= 0) a->setToolTip(prompt.mid(nl + 1));
  connect(a, &QAction::triggered, this, [this, id] { m_app.OnCommand(id); });
  m_actions.insert(id, a);
  return a;
}

void CMainFrame::LoadMenu(int menuId) {
  m_menuId = menuId;
  QMenuBar* bar = menuBar();
  bar->clear();
  const bool image = menuId != kMenuNoImage;
  QMenu* file = bar->addMenu(translate("CMainFrame", "ファイル(&F)"));
  file->addAction(Action(kCmdOpen));
#ifdef LUMORA_IMPORT
  file->addAction(Action(kCmdImport));
#endif
  if (image) {
    Action(kCmdOpenPart)
        ->setText(menuId == kMenuElementary
                      ? translate("CMainFrame", "部分読み込み(&N)...")
                      : translate("CMainFrame", "部分指定で開く(&N)...\tCtrl+N"));
    file->addAction(Action(kCmdOpenPart));
    file->addAction(Action(kCmdClose));
    file->addAction(Action(kCmdSaveAs));
    file->addAction(Action(kCmdExport));
    file->addAction(Action(kCmdExportFull));
    file->addSeparator();
    file->addAction(Action(kCmdPrint));
    file->addAction(Action(kCmdPrintPreview));
  }
  file->addAction(Action(kCmdPrintSetup));
  FillRecentMenu(file);
  file->addSeparator();
  file->addAction(Action(kCmdExit));
  if (image) {
    QMenu* edit = bar->addMenu(translate("CMainFrame", "編集(&E)"));
    edit->addAction(Action(kCmdUndo));
    QMenu* view = bar->addMenu(translate("CMainFrame", "表示(&V)"));
    view->addAction(Action(kCmdEnlarge));
    view->addAction(Action(kCmdReduce));
    view->addSeparator();
    view->addAction(Action(kCmdBrightness));
    view->addAction(Action(kCmdReverseRainbow));
    view->addSeparator();
    view->addAction(Action(kCmdDnValue));
    view->addAction(Action(kCmdRuler));
    view->addAction(Action(kCmdRegion));
    view->addAction(Action(kCmdProfile));
    view->addAction(Action(kCmdScatter));
    view->addAction(Action(kCmdSpectrum));
    view->addSeparator();
    view->addAction(Action(kCmdImageInfo));
    view->addAction(Action(kCmdCompare));
    view->addAction(Action(kCmdLink));
    view->addAction(Action(kCmdAnnotation));
    if (menuId == kMenuJunior) {
      QMenu* proc = bar->addMenu(translate("CMainFrame", "処理(&P)"));
      proc->setObjectName(QStringLiteral("processing"));
      proc->addAction(Action(kCmdFilter));
      proc->addAction(Action(kCmdVegetation));
      proc->addAction(Action(kCmdBandMath));
      proc->addAction(Action(kCmdChange));
      proc->addAction(Action(kCmdClassify));
      proc->addAction(Action(kCmdDem));
    }
  }
  QMenu* help = bar->addMenu(translate("CMainFrame", "ヘルプ(&H)"));
  help->addAction(Action(kCmdHelpIndex));
  help->addAction(Action(kCmdHelpUsing));
  help->addSeparator();
  help->addAction(Action(kCmdLessons));
  help->addSeparator();
  // Each language by its own name, so that it can be found in either.
  QMenu* language = help->addMenu(translate("CMainFrame", "言語(&L)"));
  language->setObjectName(QStringLiteral("language"));
  const std::pair<Language, QString> languages[] = {
      {Language::kJapanese, QStringLiteral("日本語")},
      {Language::kEnglish, QStringLiteral("English")}};
  const Language chosen = ChosenLanguage();
  for (const auto& [code, name] : languages) {
    QAction* a = language->addAction(name);
    a->setCheckable(true);
    a->setChecked(code == chosen);
    connect(a, &QAction::triggered, this, [this, picked = code] { ChooseLanguage(picked); });
  }
  help->addSeparator();
  help->addAction(Action(kCmdAbout));
  UpdateCommandUi();
}

// A tool bar of commands; 0 stands for a separator.
QToolBar* CMainFrame::AddToolBar(int id, std::initializer_list<int> commands) {
  QToolBar* bar = addToolBar(QString::number(id));
  SetControlId(bar, id);
  bar->setIconSize(QSize(16, 16));
  for (int command : commands) {
    if (command)
      bar->addAction(Action(command));
    else
      bar->addSeparator();
  }
  return bar;
}

void CMainFrame::CreateToolBars() {
  m_bar1 = AddToolBar(kIdToolBarFile, {kCmdOpen, kCmdOpenPart, kCmdAnnotation, kCmdSaveAs,
                                       kCmdExport, 0, kCmdUndo, 0, kCmdPrint, kCmdAbout});
  // The frame keeps its width and the second bar is full: the analysis
  // windows of spectra and regions have a small bar of their own.
  QToolBar* analysis = AddToolBar(kIdToolBarAnalysis, {kCmdSpectrum, kCmdRegion, kCmdLink});
  // Three buttons beside the first bar in the frame's fixed width: no grip.
  analysis->setMovable(false);
  analysis->layout()->setSpacing(0);
  analysis->setContentsMargins(0, 0, 0, 0);
  addToolBarBreak();
  m_bar2 = AddToolBar(kIdToolBarProcess, {kCmdSmooth, kCmdAutoBrightness, kCmdScatter, 0,
                                          kCmdEnlarge, kCmdReduce, 0, kCmdRuler, 0});
  m_zoomLabel = new QLabel(translate("CMainFrame", "表示"), m_bar2);
  SetControlId(m_zoomLabel, kIdZoomLabel);
  m_zoomLabel->setAlignment(Qt::AlignCenter);
  m_zoomLabel->setFixedWidth(40);
  m_bar2->addWidget(m_zoomLabel);
  m_zoomBox = new QComboBox(m_bar2);
  SetControlId(m_zoomBox, kIdZoomBox);
  m_zoomBox->setFixedWidth(70);
  for (int level = kMaxZoomLevel; level >= kMinZoomLevel; --level)
    m_zoomBox->addItem(QString::fromUtf8(ZoomBoxText(level)));
  m_zoomBox->setFont(m_bar2->font());
  m_bar2->addWidget(m_zoomBox);
  connect(m_zoomBox, &QComboBox::activated, this, &CMainFrame::OnZoomBoxActivated);
  EnableZoomBox(false);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(false);  // the frame cannot be resized
  for (int i = 0; i < 4; ++i) {
    m_panes[i] = i == 0 ? new MessagePane(bar) : new QLabel(bar);
    m_panes[i]->setObjectName(QStringLiteral("pane%1").arg(i));
  }
  // The message pane gives way first: a long prompt is cut at its end
  // rather than pushing the coordinate panes off the frame.
  m_panes[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  bar->addWidget(m_panes[0], 1);
  // The coordinate panes hold "X=5555.5", or the widest readout of an image
  // up to 99999 pixels, inside their sunken border with a little air.
  const QFontMetrics metrics = m_panes[1]->fontMetrics();
  int text = 0;
  for (const char* widest : {"X=5555.5", "x=99999", "y=99999"})
    text = std::max(text, metrics.horizontalAdvance(QString::fromLatin1(widest)));
  // Pane 3 says which resolution the active image shows.
  m_panes[3]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_panes[3]->setIndent(kPaneAir);
  bar->addPermanentWidget(m_panes[3]);
  m_panes[3]->hide();  // until an image reduced for its display is active
  for (int i = 1; i < 3; ++i) {
    m_panes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panes[i]->setIndent(kPaneAir);
    m_panes[i]->setFixedWidth(text + 2 * (m_panes[i]->frameWidth() + kPaneAir));
    bar->addPermanentWidget(m_panes[i]);
  }
  // The last pane's border stays clear of the frame's edge.
  bar->setContentsMargins(0, 0, kPaneAir, 0);
  // Fly-by help goes to pane 0; when it ends, what the program said there
  // (an armed tool's prompt) comes back.
  connect(bar, &QStatusBar::messageChanged, this,
          [this](const QString& m) { m_panes[0]->setText(m.isEmpty() ? m_standing : m); });
}

void CMainFrame::SetStatusText(int pane, const QString& text) {
  if (pane == 0) m_standing = text;
  if (pane >= 0 && pane < 4) m_panes[pane]->setText(text);
  if (pane == 3) m_panes[3]->setVisible(!text.isEmpty());
}

QString CMainFrame::StatusText(int pane) const {
  return pane >= 0 && pane < 4 ? m_panes[pane]->text() : QString();
}

QString CMainFrame::ShownStatusText() const {
  return static_cast<MessagePane*>(m_panes[0])->Shown();
}

void CMainFrame::UpdateCommandUi() {
  for (auto it = m_actions.begin(); it != m_actions.end(); ++it)
    it.value()->setEnabled(m_app.IsEnabled(it.key()));
  Action(kCmdLink)->setChecked(m_app.Linked());
  const bool any = m_app.ActiveView() != nullptr;
  for (QAction* a : m_recentActions) a->setEnabled(true);
  if (!any) EnableZoomBox(false);
}

void CMainFrame::OnZoomBoxActivated(int index) {
  if (!m_app.ActiveView()) return;
  m_app.OnZoomBox(ZoomLevelOfItem(index));
}

void CMainFrame::ShowZoomLevel(int level) {
  EnableZoomBox(true);
  m_zoomBox->setCurrentIndex(ZoomItemOfLevel(level));
}

void CMainFrame::EnableZoomBox(bool enable) {
  m_zoomBox->setEnabled(enable);
  m_zoomLabel->setEnabled(enable);
  if (!enable) m_zoomBox->setCurrentIndex(-1);
}

void CMainFrame::LoadRecentFiles() {
  QSettings s = RecentSettings();
  m_recent.clear();
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const QString f = s.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
    if (!f.isEmpty()) m_recent.push_back(f);
  }
}

void CMainFrame::SaveRecentFiles() const {
  QSettings s = RecentSettings();
  s.remove(QStringLiteral("Recent File List"));
  for (int i = 0; i < m_recent.size(); ++i)
    s.setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), m_recent[i]);
}

void CMainFrame::AddRecentFile(const QString& path) {
  m_recent.removeAll(path);
  m_recent.prepend(path);
  while (m_recent.size() > kRecentFileCount) m_recent.removeLast();
  SaveRecentFiles();
  LoadMenu(m_menuId);
}

void CMainFrame::FillRecentMenu(QMenu* menu) {
  if (m_recent.isEmpty()) return;
  menu->addSeparator();
  for (int i = 0; i < m_recent.size(); ++i) {
    QAction* a = m_recentActions[i];
    a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(m_recent[i]).fileName()));
    a->setStatusTip(m_recent[i]);
    menu->addAction(a);
  }
}

void CMainFrame::ShowAbout() {
  CAboutDlg dialog(this);
  m_app.Ui().RunDialog(dialog);
}

void CMainFrame::ChooseLanguage(Language language) {
  RememberLanguage(language);
  LoadMenu(m_menuId);
  QMessageBox box(this);
  SetControlId(&box, kIdMessageBox);
  box.setWindowTitle(QStringLiteral("Lumora Zud's"));
  box.setText(language == Language::kEnglish
                  ? QStringLiteral("Lumora Zud's speaks English from its next start.")
                  : QStringLiteral("次に起動したときから，日本語で表示します．"));
  m_app.Ui().RunDialog(box);
}

void CMainFrame::ShowHelp(bool usingHelp) {
  if (!m_help) {
    m_help = new CHelpDlg(m_app.Options().helpFolder, this);
    // Beside the main frame, so both stay in view.
    m_help->move(frameGeometry().topRight() + QPoint(8, 0));
  }
  m_help->ShowPage(usingHelp ? CHelpDlg::Page::kUsingHelp : CHelpDlg::Page::kContents);
  m_help->show();
  m_help->raise();
  m_help->activateWindow();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
  if (!m_app.QueryCloseAllViews()) {
    e->ignore();
    return;
  }
  if (m_help) m_help->close();
  m_app.CloseAllViews();
  QMainWindow::closeEvent(e);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e) {
  // While a tool dialog that does not allow it is open, a click on the
  // frame only beeps and points at the dialog.
  if (e->type() == QEvent::MouseButtonPress && m_app.ToolDialog() &&
      !m_app.DialogAllowsMainWindow()) {
    m_app.Ui().Beep();
    m_app.ToolDialog()->activateWindow();
    return true;
  }
  return QMainWindow::eventFilter(watched, e);
}

}  // namespace lumora::gui
