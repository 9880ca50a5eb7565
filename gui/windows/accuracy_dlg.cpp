#include "gui/windows/accuracy_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "core/windows/spectrum.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"
#include "gui/windows/spectrum_dlg.h"
#include "paint/spectrum_painter.h"

namespace lumora::gui {

namespace {

constexpr const char* kWindowName = "accuracy";

QString Percent(double fraction) {
  if (std::isnan(fraction)) return QStringLiteral("-");
  return ToQ(ValueText(fraction * 100.0, 1)) + QStringLiteral(" %");
}

QTableWidgetItem* Cell(const QString& text, bool strong = false) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(Qt::AlignCenter);
  if (strong) {
    QFont f = item->font();
    f.setBold(true);
    item->setFont(f);
  }
  return item;
}

}  // namespace

CAccuracyDlg::CAccuracyDlg(CKiriApp& app, CKiriView& view, Accuracy accuracy)
    : QDialog(app.MainFrame(), Qt::Tool),
      m_app(app),
      m_view(&view),
      m_accuracy(std::move(accuracy)) {
  setObjectName(QString::fromLatin1(kWindowName));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(translate("CAccuracyDlg", "分類の正確さ"));
  m_sentence = new QLabel(ToQ(AccuracySentence(m_accuracy)), this);
  m_sentence->setObjectName(QStringLiteral("accuracySentence"));
  m_sentence->setWordWrap(true);
  QFont big = m_sentence->font();
  big.setPointSizeF(big.pointSizeF() * 1.2);
  m_sentence->setFont(big);

  const Accuracy& a = m_accuracy;
  const int n = a.Count();
  m_table = new QTableWidget(n + 1, n + 2, this);
  m_table->setObjectName(QStringLiteral("accuracyTable"));
  QStringList columns;
  for (const auto& t : a.titles) columns << ToQ(t);
  columns << translate("CAccuracyDlg", "分類されなかった")
          << translate("CAccuracyDlg", "作成者精度");
  QStringList rows;
  for (const auto& t : a.titles) rows << ToQ(t);
  rows << translate("CAccuracyDlg", "ユーザー精度");
  m_table->setHorizontalHeaderLabels(columns);
  m_table->setVerticalHeaderLabels(rows);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionMode(QAbstractItemView::NoSelection);
  m_table->setFocusPolicy(Qt::NoFocus);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (int t = 0; t < n; ++t) {
    for (int c = 0; c <= n; ++c) {
      QTableWidgetItem* item = Cell(QString::number(a.At(t, c)), t == c);
      // Right answers green, mix-ups orange.
      if (t == c && a.At(t, c) > 0) item->setBackground(QColor(210, 240, 210));
      if (t != c && a.At(t, c) > 0) item->setBackground(QColor(250, 225, 200));
      m_table->setItem(t, c, item);
    }
    m_table->setItem(t, n + 1, Cell(Percent(a.producers[size_t(t)])));
  }
  for (int c = 0; c < n; ++c) m_table->setItem(n, c, Cell(Percent(a.users[size_t(c)])));
  m_table->setItem(n, n, Cell(QString()));
  m_table->setItem(n, n + 1, Cell(QString()));

  auto* summary =
      new QLabel(translate("CAccuracyDlg", "全体の正確さ：%1　　カッパ係数：%2")
                     .arg(Percent(a.overall),
                          std::isnan(a.kappa) ? QStringLiteral("-") : ToQ(ValueText(a.kappa, 3))),
                 this);
  summary->setObjectName(QStringLiteral("accuracySummary"));
  auto* how = new QLabel(translate("CAccuracyDlg",
                                   "行：チェックエリアの正解　列：コンピュータの答え\n"
                                   "作成者精度：その正解の画素のうち当たった割合\n"
                                   "ユーザー精度：コンピュータがそう答えた画素のうち当たった割合"),
                         this);
  how->setWordWrap(true);

  // The buttons of the region window, in its words.
  QPushButton *csv = nullptr, *print = nullptr;
  QHBoxLayout* buttons = CsvPrintCloseRow(this, csv, print);
  connect(csv, &QPushButton::clicked, this, &CAccuracyDlg::OnSaveCsv);
  connect(print, &QPushButton::clicked, this, &CAccuracyDlg::OnPrint);
  // Numbers of a closed image window are not left on screen.
  connect(&view, &QObject::destroyed, this, &QWidget::close);
  auto* all = new QVBoxLayout(this);
  all->addWidget(m_sentence);
  all->addWidget(m_table, 1);
  all->addWidget(summary);
  all->addWidget(how);
  all->addLayout(buttons);
  resize(640, 360);
}

QString CAccuracyDlg::Sentence() const { return m_sentence->text(); }

void CAccuracyDlg::OnSaveCsv() {
  if (m_view) SaveCsv(m_app, this, *m_view, QStringLiteral("accuracy.csv"), Csv());
}

void CAccuracyDlg::OnPrint() {
  if (!m_view) return;
  PrintAnalysisPage(m_app, this, *m_view, "分類の正確さ",
                    [&](QPainter& p, int width, int height, const std::string& title) {
                      paint::PaintAccuracyPage(p, width, height, title, m_accuracy);
                    });
}

CAccuracyDlg* AccuracyWindow(CKiriApp& app) {
  if (!app.MainFrame()) return nullptr;
  return app.MainFrame()->findChild<CAccuracyDlg*>(QString::fromLatin1(kWindowName),
                                                   Qt::FindDirectChildrenOnly);
}

CAccuracyDlg* ShowAccuracyWindow(CKiriApp& app, CKiriView& view, Accuracy accuracy) {
  if (CAccuracyDlg* old = AccuracyWindow(app)) {
    old->setObjectName(QString());
    old->close();
  }
  auto* window = new CAccuracyDlg(app, view, std::move(accuracy));
  window->show();
  window->raise();
  return window;
}

}  // namespace lumora::gui
