#include "gui/app/operation_dlg.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStatusBar>

#include "core/shell/command_rules.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

namespace {

struct PaletteControl {
  int id;
  const char* base;
  const char* tip;
  const char* status;
};

const PaletteControl kControls[] = {
    {kIdPaletteVegetation, "IDB_NDIV", QT_TRANSLATE_NOOP("COperationDlg", "植生指数"),
     QT_TRANSLATE_NOOP("COperationDlg", "植生指数を計算します．")},
    {kIdPaletteClassify, "IDB_MAXLIKE", QT_TRANSLATE_NOOP("COperationDlg", "土地被覆分類"),
     QT_TRANSLATE_NOOP("COperationDlg", "土地被覆分類をします．")},
    {kIdPaletteDem, "IDB_DEM", QT_TRANSLATE_NOOP("COperationDlg", "DEM"),
     QT_TRANSLATE_NOOP("COperationDlg", "DEMを用いて各種処理をします．")},
    {kIdPaletteBandMath, "IDB_MATH", QT_TRANSLATE_NOOP("COperationDlg", "バンド計算"),
     QT_TRANSLATE_NOOP("COperationDlg", "バンドの値で計算して，水や町や雪を見つけます．")},
    {kIdShowLegends, "IDB_INTRODISP", QT_TRANSLATE_NOOP("COperationDlg", "凡例表示"),
     QT_TRANSLATE_NOOP("COperationDlg", "凡例を表示します．")},
    {kIdHideLegends, "IDB_INTROUNDISP", QT_TRANSLATE_NOOP("COperationDlg", "凡例非表示"),
     QT_TRANSLATE_NOOP("COperationDlg", "凡例を非表示にします．")},
};

int CommandOfButton(int id) {
  switch (id) {
    case kIdPaletteVegetation: return kCmdVegetation;
    case kIdPaletteClassify: return kCmdClassify;
    case kIdPaletteDem: return kCmdDem;
    case kIdPaletteBandMath: return kCmdBandMath;
    default: return 0;
  }
}

}  // namespace

COperationDlg::COperationDlg(CKiriApp& app, QWidget* parent) : QWidget(parent), m_app(app) {
  SetControlId(this, kIdPalette);
  std::vector<CMyBitmapButton*> buttons;
  for (const PaletteControl& c : kControls) {
    auto* b = new CMyBitmapButton(c.id, QString::fromUtf8(c.base), this);
    b->setToolTip(translate("COperationDlg", c.tip));
    b->installEventFilter(this);
    buttons.push_back(b);
    connect(b, &CMyBitmapButton::pressedInside, this, [this](int id) {
      if (id == kIdHideLegends || id == kIdShowLegends)
        OnLegendCommand(id);
      else
        OnAnalysisPressed(id);
    });
  }
  AttachButtons({buttons[0], buttons[1], buttons[2], buttons[3], buttons[4], buttons[5]},
                app.Msg());
  m_inFront = new QCheckBox(translate("COperationDlg", "前面に表示"), this);
  SetControlId(m_inFront, kIdLegendsInFront);
  m_inFront->setToolTip(translate("COperationDlg", "最前面表示"));
  m_inFront->installEventFilter(this);
  // The palette never holds the keyboard: the active image keeps it.
  m_inFront->setFocusPolicy(Qt::NoFocus);
  connect(m_inFront, &QCheckBox::toggled, this, &COperationDlg::OnInFront);

  auto* top = new QHBoxLayout;
  top->addWidget(buttons[4]);
  top->addWidget(buttons[5]);
  top->addWidget(m_inFront);
  top->addStretch();
  auto* bottom = new QHBoxLayout;
  for (int i = 0; i < 4; ++i) bottom->addWidget(buttons[i]);
  bottom->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addLayout(top);
  layout->addLayout(bottom);
  layout->addStretch();
}

CMyBitmapButton* COperationDlg::Button(int id) const {
  return findChild<CMyBitmapButton*>(QString::number(id));
}

void COperationDlg::RefreshButtons() {
  CKiriView* view = m_app.ActiveView();
  PaletteButtons b;
  if (view)
    b = PaletteButtonsFor(m_app.CommandStateNow(), m_app.MainFrame()->MenuId() == kMenuJunior,
                          view->Session().DisplayKind());
  // An analysis whose command the image window does not carry yet stays off.
  Button(kIdPaletteVegetation)->setEnabled(b.vegetation && CKiriView::Handles(kCmdVegetation));
  Button(kIdPaletteClassify)->setEnabled(b.classification && CKiriView::Handles(kCmdClassify));
  Button(kIdPaletteDem)->setEnabled(b.dem && CKiriView::Handles(kCmdDem));
  Button(kIdPaletteBandMath)->setEnabled(b.bandMath && CKiriView::Handles(kCmdBandMath));
}

void COperationDlg::EnableLegendButtons(bool enable) {
  Button(kIdHideLegends)->setEnabled(enable);
  Button(kIdShowLegends)->setEnabled(enable);
}

void COperationDlg::OnLegendCommand(int id) {
  const bool show = id == kIdShowLegends;
  Button(kIdShowLegends)->SetLatched(show);
  Button(kIdHideLegends)->SetLatched(!show);
  m_app.SetLegendVisible(show);
  for (CKiriView* view : m_app.Views()) view->FollowLegendFlag();
}

void COperationDlg::OnAnalysisPressed(int id) {
  if (m_app.ActiveView()) m_app.OnCommand(CommandOfButton(id));
}

void COperationDlg::OnInFront(bool on) {
  CMainFrame* frame = m_app.MainFrame();
  const bool visible = frame->isVisible();
  frame->setWindowFlag(Qt::WindowStaysOnTopHint, on);  // hides the window
  frame->setFixedSize(320, 230);
  if (visible) frame->show();
  for (CKiriView* view : m_app.Views()) view->SetLegendInFront(on);
}

void COperationDlg::mousePressEvent(QMouseEvent* e) {
  m_app.OnPaletteActivated();
  QWidget::mousePressEvent(e);
}

// The status bar tells what the control under the mouse does.
bool COperationDlg::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonPress && watched == m_inFront) m_app.OnPaletteActivated();
  if (e->type() == QEvent::Enter || e->type() == QEvent::Leave) {
    QString text;
    if (e->type() == QEvent::Enter) {
      for (const PaletteControl& c : kControls)
        if (watched->objectName() == QString::number(c.id))
          text = translate("COperationDlg", c.status);
      if (watched == m_inFront) text = translate("COperationDlg", "最前面に表示します．");
    }
    // Fly-by help, like the tool bars': what pane 0 said before comes back.
    if (CMainFrame* frame = m_app.MainFrame()) {
      if (text.isEmpty())
        frame->statusBar()->clearMessage();
      else
        frame->statusBar()->showMessage(text);
    }
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace lumora::gui
