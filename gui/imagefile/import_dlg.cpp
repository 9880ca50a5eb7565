#include "gui/imagefile/import_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "core/imagefile/settings_file.h"
#include "core/support/progress.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/image_session.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "paint/map_page_painter.h"

namespace lumora::gui {

namespace {

constexpr int kPreviewSide = 192;
constexpr int kDefaultMaxSide = 2000;

const char* KindName(importer::ProductKind kind) {
  switch (kind) {
    case importer::ProductKind::kLandsat:
      return QT_TRANSLATE_NOOP("CImportDlg", "ランドサット 8/9");
    case importer::ProductKind::kSentinel2: return QT_TRANSLATE_NOOP("CImportDlg", "センチネル 2");
    case importer::ProductKind::kGeoTiff: break;
  }
  return "GeoTIFF";
}

// A name for the set from the product: the Landsat product id, the
// Sentinel-2 folder or the first file, without the parts of the name that
// only say what the file is.
QString ProposedName(const std::vector<std::string>& inputs) {
  if (inputs.empty()) return {};
  const QFileInfo first(ToQ(inputs.front()));
  QString name = first.isDir() ? first.fileName() : first.completeBaseName();
  for (const char* tail : {"_MTL", ".SAFE"})
    if (name.endsWith(QString::fromUtf8(tail), Qt::CaseInsensitive))
      name.chop(int(std::char_traits<char>::length(tail)));
  return name.isEmpty() ? QStringLiteral("scene") : name;
}

QSpinBox* SideBox(QWidget* parent, const QString& name, int minimum, int value) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(minimum, importer::kMaxImportSide);
  box->setValue(value);
  box->setSuffix(translate("CImportDlg", " 画素"));
  return box;
}

}  // namespace

CImportDlg::CImportDlg(UiSeam& ui, Messenger& messenger, const QString& startFolder,
                       QWidget* parent)
    : QDialog(parent), m_ui(ui), m_messenger(messenger), m_startFolder(startFolder) {
  setObjectName(QStringLiteral("CImportDlg"));
  setWindowTitle(translate("CImportDlg", "衛星データの取り込み"));

  // What to bring in.
  m_source = new QLineEdit(this);
  m_source->setObjectName(QStringLiteral("source"));
  m_source->setReadOnly(true);
  m_source->setPlaceholderText(translate("CImportDlg", "ファイルかフォルダを選んでください"));
  auto* files = new QPushButton(translate("CImportDlg", "ファイルを選ぶ..."), this);
  files->setObjectName(QStringLiteral("chooseFiles"));
  files->setToolTip(
      translate("CImportDlg", "GeoTIFF のファイル（いくつでも）か、ランドサットの MTL ファイル"));
  auto* folder = new QPushButton(translate("CImportDlg", "フォルダを選ぶ..."), this);
  folder->setObjectName(QStringLiteral("chooseFolder"));
  folder->setToolTip(translate("CImportDlg", "ランドサット 8/9 かセンチネル 2 の製品のフォルダ"));
  connect(files, &QPushButton::clicked, this, &CImportDlg::OnChooseFiles);
  connect(folder, &QPushButton::clicked, this, &CImportDlg::OnChooseFolder);
  m_facts = new QLabel(this);
  m_facts->setObjectName(QStringLiteral("facts"));
  m_bands = new QTreeWidget(this);
  m_bands->setObjectName(QStringLiteral("bands"));
  m_bands->setHeaderLabels({translate("CImportDlg", "バンド"),
                            translate("CImportDlg", "元のバンド"),
                            translate("CImportDlg", "説明")});
  m_bands->setRootIsDecorated(false);
  m_bands->header()->setSectionResizeMode(2, QHeaderView::Stretch);
  m_bands->setMinimumWidth(440);
  m_previewLabel = new QLabel(this);
  m_previewLabel->setObjectName(QStringLiteral("preview"));
  m_previewLabel->setFixedSize(kPreviewSide, kPreviewSide);
  m_previewLabel->setAlignment(Qt::AlignCenter);
  m_previewLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  auto* sourceRow = new QHBoxLayout;
  sourceRow->addWidget(m_source, 1);
  sourceRow->addWidget(files);
  sourceRow->addWidget(folder);
  auto* found = new QHBoxLayout;
  found->addWidget(m_bands, 1);
  found->addWidget(m_previewLabel, 0, Qt::AlignTop);
  auto* sourceBox = new QGroupBox(translate("CImportDlg", "取り込むデータ"), this);
  auto* sourceLayout = new QVBoxLayout(sourceBox);
  sourceLayout->addLayout(sourceRow);
  sourceLayout->addWidget(m_facts);
  sourceLayout->addLayout(found);

  // Which part, how large, which sensor.
  m_whole = new QRadioButton(translate("CImportDlg", "全体"), this);
  m_whole->setObjectName(QStringLiteral("whole"));
  m_part = new QRadioButton(translate("CImportDlg", "一部（画素で指定）"), this);
  m_part->setObjectName(QStringLiteral("part"));
  auto* areaGroup = new QButtonGroup(this);
  areaGroup->addButton(m_whole);
  areaGroup->addButton(m_part);
  m_whole->setChecked(true);
  const char* areaNames[4] = {"areaLeft", "areaTop", "areaWidth", "areaHeight"};
  const char* areaTexts[4] = {
      QT_TRANSLATE_NOOP("CImportDlg", "左"), QT_TRANSLATE_NOOP("CImportDlg", "上"),
      QT_TRANSLATE_NOOP("CImportDlg", "幅"), QT_TRANSLATE_NOOP("CImportDlg", "高さ")};
  auto* areaGrid = new QGridLayout;
  areaGrid->addWidget(m_whole, 0, 0, 1, 4);
  areaGrid->addWidget(m_part, 1, 0, 1, 4);
  for (int i = 0; i < 4; ++i) {
    m_area[i] = SideBox(this, QString::fromUtf8(areaNames[i]), i < 2 ? 0 : 1, i < 2 ? 0 : 1);
    areaGrid->addWidget(new QLabel(translate("CImportDlg", areaTexts[i]), this), 2 + i / 2,
                        (i % 2) * 2);
    areaGrid->addWidget(m_area[i], 2 + i / 2, (i % 2) * 2 + 1);
  }
  // A later date of an open picture's place, pixel for pixel on its grid.
  m_onGrid = new QRadioButton(translate("CImportDlg", "開いている画像のマス目に合わせる"), this);
  m_onGrid->setObjectName(QStringLiteral("onGrid"));
  m_onGrid->setEnabled(false);
  areaGroup->addButton(m_onGrid);
  m_grid = new QComboBox(this);
  m_grid->setObjectName(QStringLiteral("grid"));
  m_resample = new QComboBox(this);
  m_resample->setObjectName(QStringLiteral("resample"));
  m_resample->addItem(translate("CImportDlg", "いちばん近い画素"));
  m_resample->addItem(translate("CImportDlg", "まわりの4画素からなめらかに"));
  areaGrid->addWidget(m_onGrid, 4, 0, 1, 4);
  areaGrid->addWidget(m_grid, 5, 0, 1, 4);
  areaGrid->addWidget(m_resample, 6, 0, 1, 4);
  auto* areaBox = new QGroupBox(translate("CImportDlg", "範囲"), this);
  areaBox->setLayout(areaGrid);
  connect(m_part, &QRadioButton::toggled, this, &CImportDlg::UpdateEnabling);
  connect(m_onGrid, &QRadioButton::toggled, this, &CImportDlg::UpdateEnabling);

  m_shrink = new QCheckBox(translate("CImportDlg", "小さくして取り込む（最大の大きさ）"), this);
  m_shrink->setObjectName(QStringLiteral("shrink"));
  m_shrink->setChecked(true);
  m_maxWidth = SideBox(this, QStringLiteral("maxWidth"), 1, kDefaultMaxSide);
  m_maxHeight = SideBox(this, QStringLiteral("maxHeight"), 1, kDefaultMaxSide);
  connect(m_shrink, &QCheckBox::toggled, this, &CImportDlg::UpdateEnabling);
  m_keep16 = new QCheckBox(translate("CImportDlg", "16ビットのまま取り込む"), this);
  m_keep16->setObjectName(QStringLiteral("keep16bit"));
  m_sensor = new QComboBox(this);
  m_sensor->setObjectName(QStringLiteral("sensor"));
  m_sensor->addItem(translate("CImportDlg", "ランドサット TM"), kSensorTm);
  m_sensor->addItem(translate("CImportDlg", "ランドサット MSS"), kSensorMss);
  m_sensor->addItem(translate("CImportDlg", "アスター"), kSensorAster);
  // Plain GeoTIFF bands carry no sensor: the teacher names it.
  m_sensor->setPlaceholderText(translate("CImportDlg", "選んでください"));
  m_sensor->setCurrentIndex(-1);
  connect(m_sensor, &QComboBox::currentIndexChanged, this, &CImportDlg::UpdateEnabling);
  auto* sizeGrid = new QGridLayout;
  sizeGrid->addWidget(m_shrink, 0, 0, 1, 4);
  sizeGrid->addWidget(new QLabel(translate("CImportDlg", "幅"), this), 1, 0);
  sizeGrid->addWidget(m_maxWidth, 1, 1);
  sizeGrid->addWidget(new QLabel(translate("CImportDlg", "高さ"), this), 1, 2);
  sizeGrid->addWidget(m_maxHeight, 1, 3);
  sizeGrid->addWidget(m_keep16, 2, 0, 1, 4);
  sizeGrid->addWidget(new QLabel(translate("CImportDlg", "センサ（GeoTIFF のとき）"), this), 3, 0,
                      1, 2);
  sizeGrid->addWidget(m_sensor, 3, 2, 1, 2);
  auto* sizeBox = new QGroupBox(translate("CImportDlg", "大きさ"), this);
  sizeBox->setLayout(sizeGrid);
  auto* choices = new QHBoxLayout;
  choices->addWidget(areaBox);
  choices->addWidget(sizeBox);

  // Where the set goes.
  m_folder = new QLineEdit(this);
  m_folder->setObjectName(QStringLiteral("outputFolder"));
  auto* browse = new QPushButton(translate("CImportDlg", "参照..."), this);
  browse->setObjectName(QStringLiteral("chooseOutputFolder"));
  connect(browse, &QPushButton::clicked, this, &CImportDlg::OnChooseOutputFolder);
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("outputName"));
  auto* outGrid = new QGridLayout;
  outGrid->addWidget(new QLabel(translate("CImportDlg", "フォルダ"), this), 0, 0);
  outGrid->addWidget(m_folder, 0, 1);
  outGrid->addWidget(browse, 0, 2);
  outGrid->addWidget(new QLabel(translate("CImportDlg", "名前"), this), 1, 0);
  outGrid->addWidget(m_name, 1, 1);
  outGrid->addWidget(new QLabel(QStringLiteral(".inf"), this), 1, 2);
  auto* outBox = new QGroupBox(translate("CImportDlg", "保存先"), this);
  outBox->setLayout(outGrid);
  connect(m_name, &QLineEdit::textChanged, this, &CImportDlg::UpdateEnabling);
  connect(m_folder, &QLineEdit::textChanged, this, &CImportDlg::UpdateEnabling);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sourceBox, 1);
  layout->addLayout(choices);
  layout->addWidget(outBox);
  layout->addLayout(OkCancelRow(this, translate("CImportDlg", "取り込む"),
                                translate("CImportDlg", "キャンセル")));
  UpdateEnabling();
}

void CImportDlg::OnChooseFiles() {
  const QStringList chosen =
      m_ui.GetOpenFileNames(this, m_startFolder,
                            translate("CImportDlg",
                                      "衛星データ (*.tif *.tiff *.TIF *.TIFF *.jp2 *.JP2 *_MTL.txt "
                                      "*_MTL.TXT *_MTL.json *_MTL.xml);;すべてのファイル (*)"));
  if (chosen.isEmpty()) return;
  std::vector<std::string> inputs;
  for (const QString& f : chosen) inputs.push_back(FromQ(f));
  ChooseInputs(inputs);
}

void CImportDlg::OnChooseFolder() {
  const QString chosen = m_ui.GetExistingDirectory(this, m_startFolder);
  if (!chosen.isEmpty()) ChooseInputs({FromQ(chosen)});
}

void CImportDlg::OnChooseOutputFolder() {
  const QString chosen = m_ui.GetExistingDirectory(this, m_folder->text());
  if (!chosen.isEmpty()) m_folder->setText(QDir::toNativeSeparators(chosen));
}

bool CImportDlg::ChooseInputs(const std::vector<std::string>& inputs) {
  importer::ProductSummary summary;
  {
    WaitCursor wait;
    if (!importer::InspectProduct(inputs, summary, m_messenger)) return false;
  }
  m_inputs = inputs;
  m_summary = summary;
  QStringList names;
  for (const std::string& in : inputs) names << ToQ(in);
  m_source->setText(names.join(QStringLiteral("; ")));
  m_facts->setText(translate("CImportDlg", "%1　%2 バンド　%3 × %4 画素　%5")
                       .arg(translate("CImportDlg", KindName(summary.product.kind)))
                       .arg(summary.product.bands.size())
                       .arg(summary.width)
                       .arg(summary.height)
                       .arg(ToQ(summary.system)) +
                   (summary.cutToOverlap
                        ? QStringLiteral("\n") + ToQ(importer::OverlapNote(summary))
                        : QString()));
  m_bands->clear();
  for (const importer::SourceBand& b : summary.product.bands)
    m_bands->addTopLevelItem(
        new QTreeWidgetItem({QString::number(b.number), ToQ(b.label), ToQ(b.description)}));
  m_area[0]->setMaximum(std::max(0, summary.width - 1));
  m_area[1]->setMaximum(std::max(0, summary.height - 1));
  m_area[2]->setMaximum(std::max(1, summary.width));
  m_area[3]->setMaximum(std::max(1, summary.height));
  m_area[2]->setValue(summary.width);
  m_area[3]->setValue(summary.height);
  const QFileInfo first(names.front());
  if (m_folder->text().isEmpty())
    m_folder->setText(QDir::toNativeSeparators(first.isDir() ? first.absolutePath()
                                                             : first.absoluteDir().path()));
  m_name->setText(ProposedName(inputs));
  MakePreview();
  UpdateEnabling();
  return true;
}

// The preview is a small import of the whole product, shown as the program
// would open it.
void CImportDlg::MakePreview() {
  m_preview = QImage();
  m_previewLabel->clear();
  QTemporaryDir temp;
  if (!temp.isValid()) return;
  importer::ImportOptions o;
  o.maxWidth = o.maxHeight = kPreviewSide;
  const std::string inf = FromQ(temp.filePath(QStringLiteral("preview.inf")));
  RecordingMessenger quiet;  // a preview that cannot be made is simply not shown
  {
    CProgressDlg dialog(this);
    Progress progress(&dialog);
    WaitCursor wait;
    if (!importer::ImportScene(m_inputs, inf, o, quiet, &progress)) return;
  }
  ImageSettings settings;
  if (!ReadSettings(inf, settings, quiet)) return;
  ImageSession session;
  Progress none;
  if (!session.Open(ComposeOnOpen(inf, settings), WorkingFiles{}, quiet, none)) return;
  m_preview = paint::PictureOf(session.Display()).copy();
  // Small products are enlarged to fill the frame, each cell a block.
  m_previewLabel->setPixmap(QPixmap::fromImage(m_preview.scaled(
      kPreviewSide - 4, kPreviewSide - 4, Qt::KeepAspectRatio, Qt::FastTransformation)));
}

void CImportDlg::UpdateEnabling() {
  const bool chosen = !m_inputs.empty();
  for (QSpinBox* b : m_area) b->setEnabled(chosen && m_part->isChecked());
  const bool onGrid = m_onGrid->isChecked();
  m_grid->setEnabled(onGrid);
  m_resample->setEnabled(onGrid);
  // The grid fixes the size.
  m_shrink->setEnabled(!onGrid);
  m_maxWidth->setEnabled(!onGrid && m_shrink->isChecked());
  m_maxHeight->setEnabled(!onGrid && m_shrink->isChecked());
  const bool geoTiff = m_summary.product.kind == importer::ProductKind::kGeoTiff;
  m_sensor->setEnabled(!chosen || geoTiff);
  if (auto* ok = findChild<QPushButton*>(QString::number(kIdOk)))
    ok->setEnabled(chosen && !OutputPath().empty() && (!geoTiff || m_sensor->currentIndex() >= 0));
}

void CImportDlg::OfferGrids(const std::vector<std::string>& settingsPaths) {
  m_grid->clear();
  for (const std::string& path : settingsPaths)
    m_grid->addItem(QFileInfo(QString::fromStdString(path)).fileName(),
                    QString::fromStdString(path));
  m_onGrid->setEnabled(m_grid->count() > 0);
  UpdateEnabling();
}

importer::ImportOptions CImportDlg::Options() const {
  importer::ImportOptions o;
  if (m_part->isChecked()) {
    o.hasArea = true;
    o.areaLeft = m_area[0]->value();
    o.areaTop = m_area[1]->value();
    o.areaWidth = m_area[2]->value();
    o.areaHeight = m_area[3]->value();
  }
  if (m_onGrid->isChecked()) {
    o.like = m_grid->currentData().toString().toStdString();
    o.bilinear = m_resample->currentIndex() == 1;
  } else if (m_shrink->isChecked()) {
    o.maxWidth = m_maxWidth->value();
    o.maxHeight = m_maxHeight->value();
  }
  o.keep16bit = m_keep16->isChecked();
  if (m_summary.product.kind == importer::ProductKind::kGeoTiff && m_sensor->currentIndex() >= 0)
    o.sensor = m_sensor->currentData().toInt();
  return o;
}

std::string CImportDlg::OutputPath() const {
  QString name = m_name->text().trimmed();
  if (name.endsWith(QStringLiteral(".inf"), Qt::CaseInsensitive)) name.chop(4);
  const QString folder = m_folder->text().trimmed();
  // A name is one file name: no folder parts, nothing hidden.
  if (name.isEmpty() || folder.isEmpty() || name.contains(QLatin1Char('/')) ||
      name.contains(QLatin1Char('\\')) || name.startsWith(QLatin1Char('.')))
    return {};
  return FromQ(QDir::cleanPath(QDir(folder).absoluteFilePath(name + QStringLiteral(".inf"))));
}

void CImportDlg::accept() {
  const std::string out = OutputPath();
  if (m_inputs.empty() || out.empty()) return;
  if (m_summary.product.kind == importer::ProductKind::kGeoTiff && m_sensor->currentIndex() < 0)
    return;
  std::error_code ec;
  if (std::filesystem::exists(out, ec) && !m_messenger.AskOkCancel(kMsgImportReplace)) return;
  bool ok;
  {
    CProgressDlg dialog(this);
    Progress progress(&dialog);
    WaitCursor wait;
    ok = importer::ImportScene(m_inputs, out, Options(), m_messenger, &progress);
  }
  if (ok) QDialog::accept();
}

}  // namespace lumora::gui
