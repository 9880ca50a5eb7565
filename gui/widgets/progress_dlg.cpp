#include "gui/widgets/progress_dlg.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

#include "core/support/text.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

class ProgressBarFrame : public QFrame {
 public:
  explicit ProgressBarFrame(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMinimumHeight(14);
  }
  void SetFraction(float f) { m_fraction = f; }
  float Fraction() const { return m_fraction; }
  // Width of the blue part in pixels for a fraction.
  int FilledWidth(float f) const {
    return static_cast<int>(static_cast<float>(Inner().width()) * f);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QFrame::paintEvent(e);
    const QRect inner = Inner();
    const int filled = FilledWidth(m_fraction);
    QPainter p(this);
    p.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), QColor(0, 0, 255));
  }

 private:
  QRect Inner() const { return rect().adjusted(1, 1, -1, -1); }
  float m_fraction = 0.0f;
};

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::FramelessWindowHint) {
  SetControlId(this, kIdProgressWindow);
  setModal(false);
  m_action = new QLabel(this);
  SetControlId(m_action, kIdProgressAction);
  m_action->setAlignment(Qt::AlignCenter);
  m_bar = new ProgressBarFrame(this);
  SetControlId(m_bar, kIdProgressBar);
  m_percent = new QLineEdit(this);
  SetControlId(m_percent, kIdProgressPercent);
  m_percent->setReadOnly(true);
  m_percent->setFixedWidth(40);
  m_percent->setAlignment(Qt::AlignRight);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(m_percent);
  row->addWidget(new QLabel(translate("CProgressDlg", "％完了　おまちください．"), this));
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_action);
  layout->addWidget(m_bar);
  layout->addLayout(row);
  resize(280, 90);
}

void CProgressDlg::Open(const std::string& text) {
  m_action->setText(Shown(text));
  m_bar->SetFraction(0.0f);
  m_percent->setText(QStringLiteral("  0"));
  show();
  raise();
  repaint();
}

void CProgressDlg::Paint(float fraction, const std::string& text) {
  const QString percent = ToQ(Format("%3d", static_cast<int>(fraction * 100)));
  const QString action = Shown(text);
  // Long operations report once per row; repainting when neither the
  // number nor a pixel of the bar changes would cost a frame per row.
  const bool changed = percent != m_percent->text() || action != m_action->text() ||
                       m_bar->FilledWidth(fraction) != m_bar->FilledWidth(m_bar->Fraction());
  m_bar->SetFraction(fraction);
  if (!changed) return;
  m_percent->setText(percent);
  m_action->setText(action);
  ++m_repaints;
  if (isVisible()) repaint();
}

void CProgressDlg::Close() { hide(); }

float CProgressDlg::Fraction() const { return m_bar->Fraction(); }
QString CProgressDlg::Percentage() const { return m_percent->text(); }
QString CProgressDlg::ActionText() const { return m_action->text(); }

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace lumora::gui
