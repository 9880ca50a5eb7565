#include "gui/windows/scatter_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "core/imagefile/band_catalogue.h"
#include "core/output/bitmap_source.h"
#include "core/support/string_table.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/app/kiri_app.h"
#include "gui/output/export_command.h"
#include "gui/output/print_preview.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "gui/windows/region_dlg.h"
#include "gui/windows/spectrum_dlg.h"
#include "paint/map_page_painter.h"

namespace lumora::gui {

CScatterPlot::CScatterPlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(kIdScatterPlot));
  setFixedSize(kSize, kSize);
  setAttribute(Qt::WA_OpaquePaintEvent);
  SetPicture({});
}

void CScatterPlot::SetPicture(QImage picture) {
  if (picture.isNull()) {  // nothing counted yet: an empty plot
    picture = QImage(kSize, kSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
  }
  m_picture = std::move(picture);
  update();
}

void CScatterPlot::SetMarks(std::vector<bool> regionCells, std::vector<Cross> crosses) {
  m_regionCells = std::move(regionCells);
  m_crosses = std::move(crosses);
  update();
}

void CScatterPlot::SetEllipses(std::vector<Ellipse> ellipses) {
  m_ellipses = std::move(ellipses);
  update();
}

void CScatterPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, m_picture);
  // Band values to the plot: the centres of the cells of 0 and 255.
  const CellRect low = ScreenCell(0, 0, 0, kSize, kSize, kSize);
  const CellRect high = ScreenCell(255, 255, 0, kSize, kSize, kSize);
  const double x0 = low.left + low.width / 2.0, y0 = low.top + low.height / 2.0;
  const double sx = (high.left + high.width / 2.0 - x0) / 255.0;
  const double sy = (high.top + high.height / 2.0 - y0) / 255.0;
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  for (const Ellipse& e : m_ellipses)
    for (const auto& [pen, width] : {std::pair{QColor(Qt::white), 4.0}, {e.colour, 2.0}}) {
      p.setPen(QPen(pen, width));
      p.drawEllipse(QPointF(x0 + sx * e.x, y0 + sy * e.y), std::abs(sx) * e.rx,
                    std::abs(sy) * e.ry);
    }
  p.setRenderHint(QPainter::Antialiasing, false);
  // Magenta is no count's colour: the region stands out on any density.
  for (int i = 0; i < static_cast<int>(m_regionCells.size()) && i < kScatterCells; ++i)
    if (m_regionCells[static_cast<size_t>(i)]) {
      const CellRect c = ScreenCell(i / 256, i % 256, 0, kSize, kSize, kSize);
      p.fillRect(c.left, c.top, c.width, c.height, QColor(255, 0, 255));
    }
  for (const Cross& cross : m_crosses) {
    const CellRect c = ScreenCell(cross.x, cross.y, 0, kSize, kSize, kSize);
    const QPoint centre(c.left + c.width / 2, c.top + c.height / 2);
    for (const auto& [pen, width] : {std::pair{QColor(Qt::white), 4}, {cross.colour, 2}}) {
      p.setPen(QPen(pen, width));
      p.drawLine(centre - QPoint(6, 0), centre + QPoint(6, 0));
      p.drawLine(centre - QPoint(0, 6), centre + QPoint(0, 6));
    }
  }
}

CScatterDlg::CScatterDlg(CKiriApp& app, CKiriView& view)
    : QDialog(view.Frame(), Qt::Dialog | Qt::WindowStaysOnTopHint), m_app(app), m_view(view) {
  setObjectName(QString::number(kIdScatterDlg));
  setWindowTitle(translate("CScatterDlg", "散布図表示"));
  m_counts.assign(kScatterCells, 0);
  auto combo = [this](int id, int& band) {
    auto* c = new QComboBox(this);
    c->setObjectName(QString::number(id));
    for (const BandItem& item : ListBands(m_view.Session().CurrentPath(), true, 7))
      c->addItem(ToQ(item.shown), ToQ(item.text));  // the page's caption is the file's text
    c->setCurrentIndex(-1);
    c->setMinimumContentsLength(16);
    connect(c, &QComboBox::currentTextChanged, this,
            [&band](const QString& text) { band = BandNumberFromText(FromQ(text)); });
    return c;
  };
  m_xCombo = combo(kIdScatterX, m_xBand);
  m_yCombo = combo(kIdScatterY, m_yBand);
  m_plot = new CScatterPlot(this);
  auto button = [this](int id, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* show = button(kIdScatterShow, translate("CScatterDlg", "表示"));
  m_save = button(kIdScatterSave, translate("CScatterDlg", "保存"));
  m_print = button(kIdScatterPrint, translate("CScatterDlg", "印刷"));
  QPushButton* close = button(kIdOk, translate("CScatterDlg", "閉じる"));
  m_save->setEnabled(false);
  m_print->setEnabled(false);
  connect(show, &QPushButton::clicked, this, &CScatterDlg::OnShow);
  connect(m_save, &QPushButton::clicked, this, &CScatterDlg::OnSave);
  connect(m_print, &QPushButton::clicked, this, &CScatterDlg::OnPrint);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  // The Y axis above the plot, the X axis below it, the buttons beside.
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(translate("CScatterDlg", "Ｙ軸"), this), 0, 0);
  grid->addWidget(m_yCombo, 0, 1);
  grid->addWidget(m_plot, 1, 0, 1, 2);
  grid->addWidget(new QLabel(translate("CScatterDlg", "Ｘ軸"), this), 2, 0);
  grid->addWidget(m_xCombo, 2, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {show, m_save, m_print}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(close);
  grid->addLayout(buttons, 0, 2, 3, 1);
  setFixedSize(sizeHint());
}

paint::ScatterTexts CScatterDlg::PageTexts() const {
  return {ScatterTitle(m_view.Session().OpenedPath()), m_xCaption, m_yCaption};
}

void CScatterDlg::OnShow() {
  if (m_xBand < 0 || m_yBand < 0) return;
  m_save->setEnabled(true);
  m_print->setEnabled(true);
  m_xCaption = FromQ(m_xCombo->currentData().toString());
  m_yCaption = FromQ(m_yCombo->currentData().toString());
  const ImageSession& session = m_view.Session();
  WaitCursor wait;
  ComputeScatter(session.CurrentPath(), m_xBand, m_yBand, session.State().m_nImagePixels,
                 session.Area(), m_counts, m_app.Msg());
  Dib picture;
  if (!RenderScatterPlot(m_counts, CScatterPlot::kSize, CScatterPlot::kSize, picture)) {
    m_app.Msg().ShowMessage(kMsgNoMemory);
    return;
  }
  m_plot->SetPicture(paint::PictureOf(picture));
  MarkLinkedPixels();
  DrawClassEllipses();
}

void CScatterDlg::DrawClassEllipses() {
  std::vector<CScatterPlot::Ellipse> ellipses;
  if (const CLandCoverDlg* classes = m_view.LandCoverDialog()) {
    const std::vector<int>& bands = classes->List().Bands();
    const auto index = [&](int band) {
      return std::find(bands.begin(), bands.end(), band) - bands.begin();
    };
    const size_t xi = size_t(index(m_xBand)), yi = size_t(index(m_yBand));
    for (size_t c = 0; c < classes->Stats().size(); ++c) {
      const ClassStatistics& s = classes->Stats()[c];
      if (s.mean.size() != bands.size() || xi >= bands.size() || yi >= bands.size()) continue;
      const ClassItem& item = classes->List().Classes()[c];
      ellipses.push_back({s.mean[xi], s.mean[yi], 2 * s.deviation[xi], 2 * s.deviation[yi],
                          QColor(item.red, item.green, item.blue)});
    }
  }
  m_plot->SetEllipses(std::move(ellipses));
}

// The pixels pinned in the spectrum window and the region of the region
// window, where they fall in this plot.
void CScatterDlg::MarkLinkedPixels() {
  const ImageSession& session = m_view.Session();
  std::vector<bool> cells;
  const CRegionDlg* region = RegionWindow(m_app);
  if (region && region->isVisible() && region->BoundView() == &m_view) {
    const auto spans = RegionSpans(region->ShownRegion(), session.State().m_nImagePixels,
                                   session.State().m_nImageLines);
    RegionScatterCells(session.CurrentPath(), m_xBand, m_yBand, session.State().m_nImagePixels,
                       spans, cells, m_app.Msg());
  }
  std::vector<CScatterPlot::Cross> crosses;
  if (!m_view.Pins().empty()) {
    RecordingMessenger quiet;  // a band that cannot be read was told of above
    SpectrumSampler sampler;
    if (sampler.Open(session.CurrentPath(), m_view.SetBands(), quiet)) {
      auto index = [&](int band) {
        for (size_t i = 0; i < sampler.Bands().size(); ++i)
          if (sampler.Bands()[i].number == band) return static_cast<int>(i);
        return -1;
      };
      const int xi = index(m_xBand), yi = index(m_yBand);
      std::vector<double> values;
      for (const CKiriView::Pin& pin : m_view.Pins())
        if (xi >= 0 && yi >= 0 && sampler.Sample(pin.x, pin.y, values, quiet))
          crosses.push_back({std::clamp(static_cast<int>(values[static_cast<size_t>(xi)]), 0, 255),
                             std::clamp(static_cast<int>(values[static_cast<size_t>(yi)]), 0, 255),
                             paint::PinColour(pin.colour)});
    }
  }
  m_plot->SetMarks(std::move(cells), std::move(crosses));
}

void CScatterDlg::OnSave() {
  const Dib page = paint::DibOf(paint::RenderScatterExportPage(m_counts, PageTexts()));
  if (page.Empty()) {
    m_app.Msg().ShowMessage(kMsgNoMemory);
    return;
  }
  ExportPicture(m_app.Msg(), m_app.Ui(), this, m_view.Session(), page, kPageXPelsPerMeter,
                kPageYPelsPerMeter);
}

// One page on A4 paper: any other paper is refused and nothing printed.
void CScatterDlg::OnPrint() {
  QPrinter& printer = m_app.Printer();
  {
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("print"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (m_app.Ui().RunDialog(dialog) != QDialog::Accepted) return;
  }
  if (printer.pageLayout().pageSize().id() != QPageSize::A4) {
    m_app.Msg().ShowMessage(kMsgA4Only);
    return;
  }
  printer.setDocName(QStringLiteral("Lumora Zud's イメージ"));
  WaitCursor wait;
  const paint::ScatterTexts texts = PageTexts();
  PrintOnePage(
      printer,
      [&](QPainter& p, int width, int height) {
        paint::PaintScatterPage(p, width, height, m_counts, texts);
      },
      m_view.Session(), m_app.Msg());
}

void ShowScatterPlot(CKiriApp& app, CKiriView& view) {
  if (app.AnalysisWindow()) return;
  CScatterDlg dialog(app, view);
  app.TakeAnalysisWindow(&dialog);
  app.Ui().RunDialog(dialog);
  app.ReleaseAnalysisWindow(&dialog);
}

}  // namespace lumora::gui
