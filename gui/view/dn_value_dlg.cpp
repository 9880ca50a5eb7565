#include "gui/view/dn_value_dlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

namespace {

QLineEdit* ValueEdit(int id, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromUtf8(kNoDn), parent);
  edit->setObjectName(QString::number(id));
  edit->setReadOnly(true);
  edit->setFocusPolicy(Qt::NoFocus);
  // Three right-aligned numbers line up under the header in a fixed font.
  QFont fixed(QStringLiteral("ＭＳ ゴシック"));
  fixed.setStyleHint(QFont::Monospace);
  edit->setFont(fixed);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("( 255, 255, 255)")) +
                        16);
  return edit;
}

}  // namespace

CDnValueDlg::CDnValueDlg(QWidget* owner) : QDialog(owner, Qt::Tool) {
  setObjectName(QStringLiteral("105"));
  setWindowTitle(translate("CDnValueDlg", "ＤＮ値表示"));
  setAttribute(Qt::WA_DeleteOnClose);
  // It follows the cursor over the image window, so it never takes the focus.
  setAttribute(Qt::WA_ShowWithoutActivating);
  m_current = ValueEdit(kIdDnCurrent, this);
  m_previous = ValueEdit(kIdDnPrevious, this);
  auto* close = new QPushButton(translate("CDnValueDlg", "閉じる"), this);
  close->setObjectName(QStringLiteral("2"));
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(translate("CDnValueDlg", "青(B),緑(G),赤(R)"), this), 0, 1);
  grid->addWidget(new QLabel(translate("CDnValueDlg", "現在"), this), 1, 0);
  grid->addWidget(m_current, 1, 1);
  grid->addWidget(new QLabel(translate("CDnValueDlg", "処理前"), this), 2, 0);
  grid->addWidget(m_previous, 2, 1);
  m_linkedTitle = new QLabel(translate("CDnValueDlg", "つないだ窓"), this);
  m_linked = new QLabel(this);
  m_linked->setObjectName(QString::number(kIdDnLinked));
  m_linked->setFont(m_current->font());
  grid->addWidget(m_linkedTitle, 3, 0, Qt::AlignTop);
  grid->addWidget(m_linked, 3, 1);
  m_linkedTitle->hide();
  m_linked->hide();
  grid->addWidget(close, 4, 0, 1, 2, Qt::AlignHCenter);
  setFixedSize(sizeHint());
}

void CDnValueDlg::SetLinked(const QStringList& lines) {
  const bool shown = !lines.isEmpty();
  if (m_linked->text() == lines.join(QLatin1Char('\n')) && m_linked->isVisible() == shown) return;
  m_linked->setText(lines.join(QLatin1Char('\n')));
  m_linked->setVisible(shown);
  m_linkedTitle->setVisible(shown);
  setFixedSize(sizeHint());
}

QString CDnValueDlg::Linked() const { return m_linked->text(); }

void CDnValueDlg::SetValues(const DnTexts& texts) {
  m_current->setText(ToQ(texts.current));
  m_previous->setText(ToQ(texts.previous));
  m_current->repaint();
  m_previous->repaint();
}

QString CDnValueDlg::Current() const { return m_current->text(); }
QString CDnValueDlg::Previous() const { return m_previous->text(); }

}  // namespace lumora::gui
