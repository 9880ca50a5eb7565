#include "gui/windows/region_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/support/string_table.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/output/print_preview.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "gui/windows/spectrum_dlg.h"
#include "paint/spectrum_painter.h"

namespace lumora::gui {

namespace {

constexpr const char* kWindowName = "region";

// A band's small histogram in its table cell.
class CHistogramCell : public QWidget {
 public:
  CHistogramCell(const std::array<int64_t, kRegionBins>& bins, QWidget* parent)
      : QWidget(parent), m_bins(bins) {
    setMinimumSize(kRegionBins * 3, 28);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    paint::PaintHistogram(p, QRectF(rect()).adjusted(2, 3, -2, -3), m_bins, QColor(70, 110, 170));
  }

 private:
  std::array<int64_t, kRegionBins> m_bins;
};

enum Column { kBand, kDescription, kMin, kMax, kMean, kDeviation, kHistogram, kColumns };

}  // namespace

CRegionDlg::CRegionDlg(CKiriApp& app) : QDialog(app.MainFrame(), Qt::Tool), m_app(app) {
  setObjectName(QString::fromLatin1(kWindowName));
  setWindowTitle(translate("CRegionDlg", "範囲の統計"));
  m_summary = new QLabel(this);
  m_summary->setObjectName(QStringLiteral("regionSummary"));
  m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_table = new QTableWidget(0, kColumns, this);
  m_table->setObjectName(QStringLiteral("regionTable"));
  m_table->setHorizontalHeaderLabels(
      {translate("CRegionDlg", "バンド"), translate("CRegionDlg", "説明"),
       translate("CRegionDlg", "最小"), translate("CRegionDlg", "最大"),
       translate("CRegionDlg", "平均"), translate("CRegionDlg", "標準偏差"),
       translate("CRegionDlg", "ヒストグラム")});
  m_table->verticalHeader()->hide();
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionMode(QAbstractItemView::NoSelection);
  m_table->setFocusPolicy(Qt::NoFocus);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_table->horizontalHeader()->setSectionResizeMode(kHistogram, QHeaderView::Stretch);
  QPushButton *csv = nullptr, *print = nullptr;
  QHBoxLayout* buttons = CsvPrintCloseRow(this, csv, print);
  connect(csv, &QPushButton::clicked, this, &CRegionDlg::OnSaveCsv);
  connect(print, &QPushButton::clicked, this, &CRegionDlg::OnPrint);
  auto* all = new QVBoxLayout(this);
  all->addWidget(m_summary);
  all->addWidget(m_table, 1);
  all->addLayout(buttons);
  resize(720, 360);
}

bool CRegionDlg::ShowRegion(CKiriView& view, const Region& region) {
  RegionStats stats;
  const std::string path = view.Session().CurrentPath();
  {
    WaitCursor wait;
    if (!ComputeRegionStats(path, view.SetBands(), region, stats, m_app.Msg())) return false;
  }
  if (m_view && m_view != &view) m_view->viewport()->update();
  m_view = &view;
  // Numbers of a closed image window are not left on screen.
  connect(&view, &QObject::destroyed, this, &QWidget::hide, Qt::UniqueConnection);
  m_region = region;
  m_stats = std::move(stats);
  m_measure =
      MeasureRegion(m_stats.pixels, m_stats.perimeterPixels, view.Session().LengthPerPixel());
  m_summary->setText(translate("CRegionDlg", "画素の数：%1　　面積：%2　　周囲の長さ：%3")
                         .arg(m_stats.pixels)
                         .arg(ToQ(AreaText(m_measure)), ToQ(PerimeterText(m_measure))));
  m_table->setRowCount(static_cast<int>(m_stats.bands.size()));
  for (int r = 0; r < m_table->rowCount(); ++r) {
    const BandStats& s = m_stats.bands[static_cast<size_t>(r)];
    const QString cells[] = {
        QString::number(s.band.number), ToQ(ShownBandDescription(s.band.description)),
        ToQ(ValueText(s.min, 3)),       ToQ(ValueText(s.max, 3)),
        ToQ(ValueText(s.mean, 2)),      ToQ(ValueText(s.stddev, 2))};
    for (int c = 0; c < kHistogram; ++c) {
      auto* item = new QTableWidgetItem(s.count || c < kMin ? cells[c] : QString());
      if (c != kDescription) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_table->setItem(r, c, item);
    }
    m_table->setCellWidget(r, kHistogram, new CHistogramCell(s.histogram, m_table));
    m_table->setRowHeight(r, 32);
  }
  show();
  raise();
  view.viewport()->update();
  return true;
}

void CRegionDlg::OnSaveCsv() {
  if (m_view) SaveCsv(m_app, this, *m_view, QStringLiteral("region.csv"), Csv());
}

void CRegionDlg::OnPrint() {
  if (!m_view) return;
  PrintAnalysisPage(m_app, this, *m_view, "範囲の統計",
                    [&](QPainter& p, int width, int height, const std::string& title) {
                      paint::PaintRegionPage(p, width, height, title, m_stats, m_measure);
                    });
}

CRegionDlg* RegionWindow(CKiriApp& app) {
  if (!app.MainFrame()) return nullptr;
  return app.MainFrame()->findChild<CRegionDlg*>(QString::fromLatin1(kWindowName),
                                                 Qt::FindDirectChildrenOnly);
}

bool ShowRegionWindow(CKiriApp& app, CKiriView& view, const Region& region) {
  CRegionDlg* window = RegionWindow(app);
  const bool made = !window;
  if (made) window = new CRegionDlg(app);
  if (window->ShowRegion(view, region)) return true;
  if (made) window->deleteLater();
  return false;
}

}  // namespace lumora::gui
