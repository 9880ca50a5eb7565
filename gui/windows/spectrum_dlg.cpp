#include "gui/windows/spectrum_dlg.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "core/imagefile/settings_file.h"
#include "core/output/bitmap_source.h"
#include "core/output/image_file_writer.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/output/export_command.h"
#include "gui/output/print_preview.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "paint/map_page_painter.h"

namespace lumora::gui {

namespace {

constexpr const char* kWindowName = "spectrum";

}  // namespace

CSpectrumChart::CSpectrumChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("spectrumChart"));
  setMinimumSize(420, 300);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSpectrumChart::SetData(const std::vector<SpectrumBand>* bands,
                             std::vector<paint::SpectrumSeries> series) {
  m_bands = bands;
  m_series = std::move(series);
  update();
}

void CSpectrumChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  static const std::vector<SpectrumBand> kNone;
  paint::PaintSpectrumChart(p, QRectF(rect()), 1.0, m_bands ? *m_bands : kNone, m_series);
}

CSpectrumDlg::CSpectrumDlg(CKiriApp& app) : QDialog(app.MainFrame(), Qt::Tool), m_app(app) {
  setObjectName(QString::fromLatin1(kWindowName));
  setWindowTitle(translate("CSpectrumDlg", "スペクトル"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  m_chart = new CSpectrumChart(this);
  m_hint = new QLabel(this);
  m_hint->setObjectName(QStringLiteral("spectrumHint"));
  m_hint->setWordWrap(true);
  m_follow = new QCheckBox(translate("CSpectrumDlg", "マウスについていく"), this);
  m_follow->setObjectName(QStringLiteral("follow"));
  m_follow->setChecked(true);
  connect(m_follow, &QCheckBox::toggled, this, [this](bool on) {
    if (!on) m_live.clear();
    Redraw();
  });
  QPushButton* picture =
      WindowButton(this, "savePicture", translate("CSpectrumDlg", "グラフを保存..."));
  QPushButton* csv = WindowButton(this, "saveCsv", translate("CSpectrumDlg", "値をCSVで保存..."));
  QPushButton* print = WindowButton(this, "print", translate("CSpectrumDlg", "印刷..."));
  QPushButton* close = WindowButton(this, "close", translate("CSpectrumDlg", "閉じる"));
  connect(picture, &QPushButton::clicked, this, &CSpectrumDlg::OnSavePicture);
  connect(csv, &QPushButton::clicked, this, &CSpectrumDlg::OnSaveCsv);
  connect(print, &QPushButton::clicked, this, &CSpectrumDlg::OnPrint);
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  auto* side = new QVBoxLayout;
  side->addWidget(m_follow);
  auto* pinsTitle = new QLabel(translate("CSpectrumDlg", "ピン（画像をクリック，6つまで）"), this);
  side->addWidget(pinsTitle);
  m_pinRows = new QVBoxLayout;
  side->addLayout(m_pinRows);
  side->addStretch();
  for (QPushButton* b : {picture, csv, print, close}) side->addWidget(b);
  auto* left = new QVBoxLayout;
  left->addWidget(m_chart, 1);
  left->addWidget(m_hint);
  auto* all = new QHBoxLayout(this);
  all->addLayout(left, 1);
  all->addLayout(side);
  Redraw();
}

void CSpectrumDlg::SetView(CKiriView& view) {
  if (m_view == &view) return;
  m_view = &view;
  // The pins and lines of a closed image window go with it. The window is
  // half gone when this comes: nothing of it may be read any more.
  connect(&view, &QObject::destroyed, this, [this] {
    m_view = nullptr;
    m_path.clear();
    m_live.clear();
    RefreshPins();
  });
}

bool CSpectrumDlg::Bind(CKiriView& view) {
  const std::string path = view.Session().CurrentPath();
  if (m_view == &view && path == m_path && m_sampler.IsOpen()) return true;
  SetView(view);
  m_path = path;
  m_live.clear();
  const bool opened = m_sampler.Open(path, view.SetBands(), m_app.Msg());
  RefreshPins();
  return opened;
}

void CSpectrumDlg::Follow(CKiriView& view, int x, int y) {
  if (!m_follow->isChecked() || !isVisible()) return;
  if (m_view != &view || view.Session().CurrentPath() != m_path) {
    // A failure to open is told once, when the window binds.
    RecordingMessenger quiet;
    SetView(view);
    m_path = view.Session().CurrentPath();
    m_sampler.Open(m_path, view.SetBands(), quiet);
    RefreshPins();
  }
  RecordingMessenger outside;  // leaving the image is no mistake
  if (x < 0 || !m_sampler.Sample(x, y, m_live, outside)) {
    m_live.clear();
  }
  // Named as lumora-cli names the pixel, so that the files agree.
  m_liveName = Format("x=%d y=%d", x, y);
  Redraw();
}

bool CSpectrumDlg::AddPin(CKiriView& view, int x, int y) {
  if (!Bind(view)) return false;
  auto& pins = view.Pins();
  if (static_cast<int>(pins.size()) >= kMaxPins) {
    m_app.Ui().Beep();
    m_hint->setText(translate("CSpectrumDlg", "ピンは6つまでです．いらないピンを消してください．"));
    return false;
  }
  std::vector<double> values;
  if (!m_sampler.Sample(x, y, values, m_app.Msg())) return false;
  // The first colour no pin uses.
  int colour = 0;
  while (std::any_of(pins.begin(), pins.end(), [&](const auto& p) { return p.colour == colour; }))
    ++colour;
  pins.push_back(
      {x, y, colour, translate("CSpectrumDlg", "地点%1").arg(static_cast<int>(pins.size()) + 1)});
  RefreshPins();
  view.viewport()->update();
  lessons::Action used;
  used.kind = lessons::Action::kToolUsed;
  used.name = QStringLiteral("spectrum");
  used.area = QRect(x, y, 1, 1);
  m_app.NoteLessonAction(used);
  lessons::Action pinned;
  pinned.kind = lessons::Action::kPinned;
  pinned.count = static_cast<int>(pins.size());
  m_app.NoteLessonAction(pinned);
  return true;
}

void CSpectrumDlg::RemovePin(int index) {
  if (!m_view || index < 0 || index >= static_cast<int>(m_view->Pins().size())) return;
  m_view->Pins().erase(m_view->Pins().begin() + index);
  m_view->viewport()->update();
  RefreshPins();
}

void CSpectrumDlg::RefreshPins() {
  m_pinValues.clear();
  if (m_view) {
    RecordingMessenger quiet;  // a band gone since was told when it was found
    for (const CKiriView::Pin& pin : m_view->Pins()) {
      std::vector<double> values;
      m_sampler.Sample(pin.x, pin.y, values, quiet);
      m_pinValues.push_back(values);
    }
  }
  RebuildPinRows();
  Redraw();
}

void CSpectrumDlg::RebuildPinRows() {
  for (QWidget* row : m_rows) {
    // Out of the layout at once: the new rows take their places now.
    m_pinRows->removeWidget(row);
    row->hide();
    row->deleteLater();
  }
  m_rows.clear();
  if (!m_view) return;
  auto& pins = m_view->Pins();
  for (size_t i = 0; i < pins.size(); ++i) {
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("pin%1").arg(i));
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* swatch = new QLabel(row);
    swatch->setFixedSize(14, 14);
    swatch->setStyleSheet(
        QStringLiteral("background:%1").arg(paint::PinColour(pins[i].colour).name()));
    auto* name = new QLineEdit(pins[i].name, row);
    name->setObjectName(QStringLiteral("pinName"));
    name->setMaxLength(20);
    connect(name, &QLineEdit::textChanged, this, [this, i](const QString& text) {
      if (m_view && i < m_view->Pins().size()) m_view->Pins()[i].name = text;
      Redraw();
    });
    auto* where = new QLabel(QStringLiteral("x=%1 y=%2").arg(pins[i].x).arg(pins[i].y), row);
    auto* remove = new QToolButton(row);
    remove->setObjectName(QStringLiteral("removePin"));
    remove->setText(QStringLiteral("×"));
    remove->setToolTip(translate("CSpectrumDlg", "このピンを消します"));
    connect(remove, &QToolButton::clicked, this, [this, i] {
      QMetaObject::invokeMethod(
          this, [this, i] { RemovePin(static_cast<int>(i)); }, Qt::QueuedConnection);
    });
    h->addWidget(swatch);
    h->addWidget(name, 1);
    h->addWidget(where);
    h->addWidget(remove);
    m_pinRows->addWidget(row);
    m_rows.push_back(row);
  }
}

std::vector<paint::SpectrumSeries> CSpectrumDlg::PinSeries() const {
  std::vector<paint::SpectrumSeries> series;
  if (!m_view) return series;
  const auto& pins = m_view->Pins();
  for (size_t i = 0; i < pins.size() && i < m_pinValues.size(); ++i)
    series.push_back({FromQ(pins[i].name), paint::PinColour(pins[i].colour), m_pinValues[i], {}});
  return series;
}

void CSpectrumDlg::Redraw() {
  std::vector<paint::SpectrumSeries> series = PinSeries();
  if (!m_live.empty()) series.insert(series.begin(), {m_liveName, paint::LiveColour(), m_live, {}});
  m_chart->SetData(&m_sampler.Bands(), std::move(series));
  if (!m_view || !m_sampler.IsOpen())
    m_hint->setText(translate("CSpectrumDlg", "画像の上にマウスを動かしてください．"));
  else if (!AxisFor(m_sampler.Bands()).byWavelength)
    m_hint->setText(translate(
        "CSpectrumDlg", "波長のわからないバンドがあるので，バンドの番号の順に並べています．"));
  else
    m_hint->setText(
        translate("CSpectrumDlg", "水は赤外線でくらく，植物は近赤外線で明るく写ります．"));
}

std::string CSpectrumDlg::Csv() const {
  std::vector<std::string> titles;
  std::vector<std::vector<double>> values;
  for (const paint::SpectrumSeries& s : PinSeries()) {
    titles.push_back(s.name);
    values.push_back(s.values);
  }
  if (titles.empty() && !m_live.empty()) {
    titles.push_back(m_liveName);
    values.push_back(m_live);
  }
  return SpectrumCsv(m_sampler.Bands(), titles, values);
}

void CSpectrumDlg::OnSavePicture() {
  if (!m_view) return;
  const QString path = ChooseOutputFile(m_app, this, *m_view, QStringLiteral("spectrum.png"),
                                        QStringLiteral("PNG (*.png);;JPEG (*.jpg)"));
  if (path.isEmpty()) return;
  const QImage picture = paint::RenderSpectrumPicture(Bands(), m_chart->Series());
  if (ImageFileKindOf(FromQ(path)) == ImageFileKind::kJpeg) {
    if (!OutputSparesImage(FromQ(path), m_view->Session(), m_app.Msg())) return;
    CImageFileWriter writer(m_app.Msg());
    writer.SaveImageFile(FromQ(path), paint::DibOf(picture), 1.0f, kScreenPelsPerMeter,
                         kScreenPelsPerMeter);
    return;
  }
  WriteOutputFile(m_app, *m_view, path, paint::EncodePicture(picture, "PNG"));
}

void CSpectrumDlg::OnSaveCsv() {
  if (m_view) SaveCsv(m_app, this, *m_view, QStringLiteral("spectrum.csv"), Csv());
}

void CSpectrumDlg::OnPrint() {
  if (!m_view) return;
  const auto series = m_chart->Series();
  PrintAnalysisPage(m_app, this, *m_view, "スペクトル",
                    [&](QPainter& p, int width, int height, const std::string& title) {
                      paint::PaintSpectrumPage(p, width, height, title, Bands(), series);
                    });
}

CSpectrumDlg* SpectrumWindow(CKiriApp& app) {
  if (!app.MainFrame()) return nullptr;
  return app.MainFrame()->findChild<CSpectrumDlg*>(QString::fromLatin1(kWindowName),
                                                   Qt::FindDirectChildrenOnly);
}

void ShowSpectrumWindow(CKiriApp& app, CKiriView& view) {
  CSpectrumDlg* window = SpectrumWindow(app);
  if (!window) window = new CSpectrumDlg(app);
  window->show();
  window->raise();
  window->Bind(view);
}

void SaveCsv(CKiriApp& app, QWidget* parent, const CKiriView& view, const QString& initialName,
             const std::string& content) {
  const QString path =
      ChooseOutputFile(app, parent, view, initialName, QStringLiteral("CSV (*.csv)"));
  if (!path.isEmpty()) WriteOutputFile(app, view, path, content);
}

void PrintAnalysisPage(CKiriApp& app, QWidget* parent, const CKiriView& view,
                       const char* windowName,
                       const std::function<void(QPainter&, int, int, const std::string&)>& draw) {
  QPrinter& printer = app.Printer();
  if (!AskA4Printer(app.Ui(), app.Msg(), printer, parent)) return;
  printer.setDocName(QStringLiteral("Lumora Zud's イメージ"));
  WaitCursor wait;
  const std::string title = std::string(ShownText(windowName)) + "\r\n" +
                            std::filesystem::path(view.Session().OpenedPath()).filename().string();
  PrintOnePage(
      printer, [&](QPainter& p, int width, int height) { draw(p, width, height, title); },
      view.Session(), app.Msg());
}

QString ChooseOutputFile(CKiriApp& app, QWidget* parent, const CKiriView& view,
                         const QString& initialName, const QString& filter) {
  const QString chosen =
      app.Ui().GetSaveFileName(parent, view.PictureFolder(), initialName, filter);
  if (chosen.isEmpty()) return {};
  return QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
}

bool WriteOutputFile(CKiriApp& app, const CKiriView& view, const QString& path,
                     const std::string& content) {
  const std::string target = FromQ(path);
  if (!OutputSparesImage(target, view.Session(), app.Msg())) return false;
  if (content.empty() || !WriteFileAtomically(target, content)) {
    app.Msg().ShowMessage(kMsgCreateFailed);
    return false;
  }
  return true;
}

}  // namespace lumora::gui
