#include "gui/analysis/land_cover_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/analysis/class_spectra.h"
#include "core/analysis/classifier.h"
#include "core/analysis/kmeans.h"
#include "core/imagefile/band_catalogue.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/image_session.h"
#include "core/windows/spectrum.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/view/kiri_view.h"
#include "gui/view/step_command.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "gui/windows/accuracy_dlg.h"
#include "paint/legend_page_painter.h"
#include "paint/spectrum_painter.h"

namespace lumora::gui {

namespace {

QColor ColourOf(uint8_t r, uint8_t g, uint8_t b) { return QColor(r, g, b); }

// Rows of the class list: index, colour swatch, area and title; the
// selected row white on dark blue.
class ClassRowDelegate : public QStyledItemDelegate {
 public:
  ClassRowDelegate(const LandCoverList& list, QObject* parent)
      : QStyledItemDelegate(parent), m_list(list) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const int row = index.row();
    if (row < 0 || row >= m_list.Count()) return;
    const ClassItem& c = m_list.Classes()[size_t(row)];
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    p->save();
    p->fillRect(r, selected ? QColor(0, 10, 100) : QColor(Qt::white));
    p->setPen(selected ? Qt::white : Qt::black);
    const int base = r.top() + (r.height() + p->fontMetrics().ascent()) / 2 - 1;
    p->drawText(r.left(), base, QString::asprintf("%2d", row));
    p->fillRect(QRect(QPoint(r.left() + 20, r.top() + 1), QPoint(r.left() + 39, r.bottom() - 1)),
                ColourOf(c.red, c.green, c.blue));
    p->drawText(r.left() + 45, base, ToQ(AreaText(c)));
    p->drawText(r.left() + 280, base, ToQ(c.title));
    if (option.state & QStyle::State_HasFocus) {
      p->setPen(QPen(selected ? Qt::white : Qt::black, 1, Qt::DotLine));
      p->drawRect(r.adjusted(0, 0, -1, -1));
    }
    p->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {420, option.fontMetrics.height() + 4};
  }

 private:
  const LandCoverList& m_list;
};

// Rows of the class legend: index, swatch and title on white; the group
// chosen for naming or merging white on dark blue.
class LegendRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    p->save();
    p->fillRect(r, selected ? QColor(0, 10, 100) : QColor(Qt::white));
    p->setPen(selected ? Qt::white : Qt::black);
    const int base = r.top() + 3 + p->fontMetrics().ascent();
    p->drawText(r.left(), base, QString::asprintf("%2d", index.row()));
    paint::PaintSwatch(
        *p, QRect(QPoint(r.left() + 20, r.top() + 1), QPoint(r.left() + 39, r.bottom() - 1)),
        index.data(Qt::UserRole).value<QColor>(), 1);
    p->drawText(r.left() + 50, base, index.data(Qt::DisplayRole).toString());
    p->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    // Wider rows than the window make the list scroll sideways.
    return {option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 50,
            option.fontMetrics.height() + 6};
  }
};

QString LightText(Light light) {
  switch (light) {
    case Light::kGreen: return translate("CLandCoverDlg", "緑");
    case Light::kYellow: return translate("CLandCoverDlg", "黄");
    case Light::kRed: break;
  }
  return translate("CLandCoverDlg", "赤");
}

QTableWidget* CoachingTable(int id, const QStringList& headers, QWidget* parent) {
  auto* t = new QTableWidget(0, int(headers.size()), parent);
  t->setObjectName(QString::number(id));
  t->setHorizontalHeaderLabels(headers);
  t->verticalHeader()->hide();
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::NoSelection);
  t->setFocusPolicy(Qt::NoFocus);
  t->setWordWrap(true);
  t->horizontalHeader()->setStretchLastSection(true);
  t->setMinimumHeight(110);
  return t;
}

// A cell with the light drawn and said (for screen readers and the colour-blind).
QTableWidgetItem* LightCell(Light light, const QString& text) {
  auto* item = new QTableWidgetItem(LightIcon(light), text);
  item->setData(Qt::UserRole, int(light));
  item->setToolTip(LightText(light));
  return item;
}

// A classification result shows its three colour planes.
void ShowClassPlanes(DisplayState& s) {
  s.m_nBlueBand = 0;
  s.m_nGreenBand = 1;
  s.m_nRedBand = 2;
  s.m_nBlueType = s.m_nGreenType = s.m_nRedType = 1;
  s.m_bSingleBand = false;
}

QPushButton* Button(int id, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::number(id));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

QIcon LightIcon(Light light, int size) {
  static const QColor kColours[] = {QColor(30, 170, 60), QColor(240, 190, 0), QColor(220, 40, 30)};
  QPixmap picture(size * 2, size * 2);
  picture.setDevicePixelRatio(2.0);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(kColours[int(light)]);
  p.drawEllipse(QRectF(1.5, 1.5, size - 3, size - 3));
  return QIcon(picture);
}

// --- colour frame and class item dialog

CColourFrame::CColourFrame(UiSeam& ui, QColor colour, QWidget* parent)
    : QFrame(parent), m_ui(ui), m_colour(colour) {
  setObjectName(QString::number(kIdClassColour));
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setFixedSize(48, 24);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

void CColourFrame::Choose() {
  const QColor chosen = m_ui.GetColor(this, m_colour);
  if (!chosen.isValid()) return;
  m_colour = chosen;
  update();
}

void CColourFrame::paintEvent(QPaintEvent* e) {
  QFrame::paintEvent(e);
  QPainter p(this);
  p.fillRect(contentsRect().adjusted(1, 1, -1, -1), m_colour);
}

void CColourFrame::mousePressEvent(QMouseEvent*) { Choose(); }

void CColourFrame::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return)
    Choose();
  else
    QFrame::keyPressEvent(e);
}

CClassItemDlg::CClassItemDlg(UiSeam& ui, QColor colour, const QString& title, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QString::number(kClassItemTemplate));
  setWindowTitle(translate("CLandCoverDlg", "分類項目"));
  m_frame = new CColourFrame(ui, colour, this);
  m_title = new QLineEdit(title, this);
  m_title->setObjectName(QString::number(kIdClassTitle));
  m_title->setMinimumWidth(200);
  // The name is what a pupil types first; typing replaces the one shown.
  m_title->selectAll();
  m_title->setFocus();
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(translate("CLandCoverDlg", "色"), this), 0, 0);
  grid->addWidget(m_frame, 0, 1, Qt::AlignLeft);
  grid->addWidget(new QLabel(translate("CLandCoverDlg", "表題"), this), 1, 0);
  grid->addWidget(m_title, 1, 1);
  grid->addLayout(OkCancelRow(this, QStringLiteral("OK"), translate("CLandCoverDlg", "キャンセル")),
                  2, 0, 1, 2);
}

QString CClassItemDlg::Title() const { return m_title->text(); }

// --- land-cover dialog

CLandCoverDlg::CLandCoverDlg(CKiriApp& app, CKiriView& view)
    : QDialog(view.Frame(), Qt::Tool), m_app(app), m_view(view) {
  setObjectName(QString::number(kLandCoverTemplate));
  setWindowTitle(translate("CLandCoverDlg", "土地被覆分類"));
  setAttribute(Qt::WA_DeleteOnClose);
  const ImageSession& s = view.Session();
  m_list.Load(s.CurrentPath(), s.Settings().sensor, app.Msg());

  m_classes = new QListWidget(this);
  m_classes->setObjectName(QString::number(kIdClassList));
  m_classes->setItemDelegate(new ClassRowDelegate(m_list, m_classes));
  m_classes->setSelectionMode(QAbstractItemView::SingleSelection);
  m_classes->setMinimumSize(440, 160);
  m_classes->installEventFilter(this);
  connect(m_classes, &QListWidget::currentRowChanged, this, &CLandCoverDlg::OnRowChanged);
  connect(m_classes, &QListWidget::itemDoubleClicked, this, [this] { OnChange(); });

  // The bands used, as the image lists them; not shown.
  m_bands = new QListWidget(this);
  m_bands->setObjectName(QString::number(kIdLandCoverBands));
  m_bands->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const BandItem& b : ListBands(s.CurrentPath(), true, 1)) {
    auto* item = new QListWidgetItem(ToQ(b.text), m_bands);
    const auto& used = m_list.Bands();
    item->setSelected(std::find(used.begin(), used.end(), b.number) != used.end());
  }
  m_bands->hide();

  auto* add = Button(kIdClassNew, translate("CLandCoverDlg", "新規"), this);
  auto* change = Button(kIdClassChange, translate("CLandCoverDlg", "変更"), this);
  auto* remove = Button(kIdClassDelete, translate("CLandCoverDlg", "削除"), this);
  auto* area = Button(kIdClassArea, translate("CLandCoverDlg", "エリア指定"), this);
  auto* groups = Button(kIdClassGroups, translate("CLandCoverDlg", "グループを見つける..."), this);
  groups->setToolTip(translate(
      "CLandCoverDlg", "トレーニングエリアなしで，コンピュータに似た色の画素を集めてもらいます．"));
  connect(groups, &QPushButton::clicked, this, &CLandCoverDlg::OnGroups);
  auto* named =
      Button(kIdClassNamedGroups, translate("CLandCoverDlg", "名前をつけたグループを使う"), this);
  named->setToolTip(
      translate("CLandCoverDlg",
                "ほかの窓で開いている「グループを見つける」の結果から，"
                "名前をつけたグループを分類項目にします．"
                "トレーニングエリアは，そのグループがいちばん大きくまとまっている正方形です．"));
  connect(named, &QPushButton::clicked, this, &CLandCoverDlg::OnNamedGroups);
  auto* check = Button(kIdClassCheckArea, translate("CLandCoverDlg", "チェックエリア指定"), this);
  check->setToolTip(translate("CLandCoverDlg",
                              "分類のあとで，コンピュータの答えが合っているかを調べる場所です．"
                              "トレーニングエリアとは別の場所を囲んでください．"));
  connect(check, &QPushButton::clicked, this, &CLandCoverDlg::OnCheckArea);
  // Check areas saved with the classes come back with them.
  LoadLandCoverClasses(s.CurrentPath(), m_checks, app.Msg(), ".mck");
  m_checkCount = new QLabel(
      translate("CLandCoverDlg", "チェックエリア：%1か所").arg(int(m_checks.size())), this);
  m_checkCount->setObjectName(QString::number(kIdClassChecks));
  m_checkHalf = new QCheckBox(translate("CLandCoverDlg", "半分の画素でチェック"), this);
  m_checkHalf->setObjectName(QString::number(kIdClassCheckHalf));
  m_checkHalf->setToolTip(translate("CLandCoverDlg",
                                    "トレーニングエリアの画素を1つおきに取っておき，"
                                    "分類のあとで，コンピュータの答えが合っているかを調べます．"
                                    "取っておいた画素は，分類項目を覚えるのには使いません．"));
  auto* other = Button(kIdClassOther, translate("CLandCoverDlg", "その他"), this);
  other->setEnabled(false);
  other->hide();
  connect(add, &QPushButton::clicked, this, &CLandCoverDlg::OnNew);
  connect(change, &QPushButton::clicked, this, &CLandCoverDlg::OnChange);
  connect(remove, &QPushButton::clicked, this, &CLandCoverDlg::OnDelete);
  connect(area, &QPushButton::clicked, this, &CLandCoverDlg::OnArea);

  auto* side = new QVBoxLayout;
  for (QPushButton* b : {add, change, remove, area, check}) side->addWidget(b);
  side->addWidget(m_checkCount);
  side->addWidget(m_checkHalf);
  side->addSpacing(12);
  side->addWidget(groups);
  side->addWidget(named);
  side->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(m_classes, 1);
  top->addLayout(side);
  m_coach = CoachingTable(
      kIdClassCoach,
      {translate("CLandCoverDlg", "分類項目"), translate("CLandCoverDlg", "アドバイス")}, this);
  m_pairTable = CoachingTable(kIdClassPairs,
                              {translate("CLandCoverDlg", "組み合わせ"),
                               translate("CLandCoverDlg", "見分けやすさ（0〜2）")},
                              this);
  m_sentence = new QLabel(this);
  m_sentence->setObjectName(QString::number(kIdClassSentence));
  m_sentence->setWordWrap(true);
  auto* coaching = new QHBoxLayout;
  coaching->addWidget(m_coach, 3);
  coaching->addWidget(m_pairTable, 2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(translate("CLandCoverDlg", "分類項目"), this));
  layout->addLayout(top);
  layout->addWidget(new QLabel(translate("CLandCoverDlg", "トレーニングエリアのアドバイス"), this));
  layout->addLayout(coaching);
  layout->addWidget(m_sentence);
  layout->addWidget(m_bands);
  layout->addLayout(
      OkCancelRow(this, QStringLiteral("OK"), translate("CLandCoverDlg", "キャンセル")));
  Refill();
}

// Deleted with its image window, the dialog must not leave the marker behind.
CLandCoverDlg::~CLandCoverDlg() {
  if (m_app.ToolDialog() == this) {
    m_app.SetDialogAllowsMainWindow(false);
    m_app.SetToolDialog(nullptr);
  }
}

void CLandCoverDlg::Refill() {
  const int selected = m_list.Selected();
  QSignalBlocker block(m_classes);
  m_classes->clear();
  for (int i = 0; i < m_list.Count(); ++i) new QListWidgetItem(m_classes);
  m_classes->setCurrentRow(selected);
  m_classes->viewport()->update();
  m_view.viewport()->update();
  UpdateCoaching();
}

void CLandCoverDlg::UpdateCoaching() {
  const ImageSession& session = m_view.Session();
  const std::string base = StripExtension(session.CurrentPath());
  const int width = session.Settings().pixels, height = session.Settings().lines;
  std::vector<ClassStatistics> stats;
  std::vector<CachedStatistics> kept;
  for (const ClassItem& c : m_list.Classes()) {
    const auto same = [&](const CachedStatistics& s) {
      return s.top == c.top && s.bottom == c.bottom && s.right == c.right && s.left == c.left;
    };
    auto it = std::find_if(m_statsCache.begin(), m_statsCache.end(), same);
    ClassStatistics s;
    if (it != m_statsCache.end()) {
      s = it->stats;
    } else {
      // A band that cannot be read is said when the run reads it.
      RecordingMessenger quiet;
      ComputeClassStatistics(c, m_list.Bands(), base, width, height, s, quiet);
    }
    if (std::none_of(kept.begin(), kept.end(), same))
      kept.push_back({c.top, c.bottom, c.right, c.left, s});
    stats.push_back(std::move(s));
  }
  m_statsCache = std::move(kept);
  m_stats = stats;
  m_advice = CoachClasses(m_list.Classes(), stats, static_cast<int>(m_list.Bands().size()));
  m_pairs = SeparabilityOf(stats);

  m_coach->setRowCount(m_list.Count());
  for (int i = 0; i < m_list.Count(); ++i) {
    const ClassItem& c = m_list.Classes()[size_t(i)];
    m_coach->setItem(i, 0, LightCell(m_advice[size_t(i)].light, ToQ(c.title)));
    m_coach->setItem(i, 1, new QTableWidgetItem(ToQ(AdviceText(m_advice[size_t(i)]))));
  }
  m_pairTable->setRowCount(int(m_pairs.size()));
  for (size_t i = 0; i < m_pairs.size(); ++i) {
    const PairSeparability& pair = m_pairs[i];
    const QString names = ToQ(m_list.Classes()[size_t(pair.first)].title) + QStringLiteral(" – ") +
                          ToQ(m_list.Classes()[size_t(pair.second)].title);
    m_pairTable->setItem(int(i), 0, LightCell(pair.light, names));
    m_pairTable->setItem(int(i), 1, new QTableWidgetItem(QString::number(pair.jm, 'f', 2)));
  }
  // Pair names on one line; advice wraps in its column.
  m_pairTable->resizeColumnToContents(0);
  m_coach->resizeColumnToContents(0);
  m_coach->resizeRowsToContents();
  m_pairTable->resizeRowsToContents();
  m_sentence->setText(ToQ(SeparabilitySentence(m_list.Classes(), m_pairs)));
}

bool CLandCoverDlg::RedLightsAccepted() {
  const auto red = [](const auto& v) { return v.light == Light::kRed; };
  if (std::none_of(m_advice.begin(), m_advice.end(), red) &&
      std::none_of(m_pairs.begin(), m_pairs.end(), red))
    return true;
  const QString text =
      translate("CLandCoverDlg",
                "赤の信号があります．\n"
                "赤の分類項目は分類に使われないか，ほかの分類項目とまちがえやすく，"
                "赤の組み合わせの分類項目は，たがいにまちがえやすくなります．\n"
                "このまま分類しますか？");
  return m_app.Msg().AskYesNo("土地被覆分類", FromQ(text));
}

void CLandCoverDlg::OnRowChanged(int row) {
  m_list.Select(row);
  m_view.viewport()->update();  // the selected class's area is outlined
}

void CLandCoverDlg::OnNew() {
  CClassItemDlg dialog(m_app.Ui(), Qt::black, QString(), this);
  if (m_app.Ui().RunDialog(dialog) != QDialog::Accepted) return;
  const QColor c = dialog.Colour();
  m_list.Add(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()), FromQ(dialog.Title()));
  m_list.Select(m_list.Count() - 1);
  Refill();
}

void CLandCoverDlg::OnChange() {
  const int row = m_list.Selected();
  if (row < 0) return;
  const ClassItem& c = m_list.Classes()[size_t(row)];
  CClassItemDlg dialog(m_app.Ui(), ColourOf(c.red, c.green, c.blue), ToQ(c.title), this);
  if (m_app.Ui().RunDialog(dialog) != QDialog::Accepted) return;
  const QColor n = dialog.Colour();
  m_list.Change(row, uint8_t(n.red()), uint8_t(n.green()), uint8_t(n.blue()),
                FromQ(dialog.Title()));
  Refill();
}

void CLandCoverDlg::OnDelete() {
  if (!m_list.RemoveSelected()) return;
  Refill();
}

void CLandCoverDlg::OnArea() {
  if (!m_list.ArmArea()) return;
  CKiriView* view = &m_view;
  // The dragged rectangle in source pixels, each side limited to the image.
  m_view.StartSelection(CKiriView::kSelectTraining, [this, view](const CKiriView::Selection& s) {
    const AreaRect& area = view->Session().Area();
    AddTrainingArea(std::min(s.docStart.y, s.docEnd.y) + area.m_nAreaTop,
                    std::max(s.docStart.y, s.docEnd.y) + area.m_nAreaTop,
                    std::max(s.docStart.x, s.docEnd.x) + area.m_nAreaLeft,
                    std::min(s.docStart.x, s.docEnd.x) + area.m_nAreaLeft);
  });
}

void CLandCoverDlg::AddTrainingArea(int top, int bottom, int right, int left) {
  if (!m_list.AddTrainingArea(top, bottom, right, left)) return;
  Refill();
  lessons::Action drawn;
  drawn.kind = lessons::Action::kClassesDrawn;
  for (const ClassItem& c : m_list.Classes()) drawn.count += c.HasArea() ? 1 : 0;
  m_app.NoteLessonAction(drawn);
}

bool CLandCoverDlg::eventFilter(QObject* watched, QEvent* e) {
  // The class list works from the keyboard too: Enter changes the class,
  // Delete removes it, Insert adds one.
  if (watched == m_classes && e->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(e)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: OnChange(); return true;
      case Qt::Key_Delete: OnDelete(); return true;
      case Qt::Key_Insert: OnNew(); return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, e);
}

bool CLandCoverDlg::TrainingAreasLargeEnough() {
  const size_t bands = m_list.Bands().size();
  std::string lines;
  for (int i = 0; i < m_list.Count(); ++i) {
    const ClassItem& c = m_list.Classes()[size_t(i)];
    if (!c.HasArea()) continue;
    const int64_t samples =
        int64_t{SamplingOf(c.right - c.left).count} * SamplingOf(c.bottom - c.top).count;
    if (samples <= static_cast<int64_t>(bands)) lines += Format("%2d %s\n", i, c.title.c_str());
  }
  if (lines.empty()) return true;
  const QString why = translate("CLandCoverDlg",
                                "トレーニングエリアが小さすぎます．\n%1バンドで分類するには，"
                                "%1画素より多い画素を含むエリアを指定してください．\n")
                          .arg(bands);
  m_app.Msg().ShowText("土地被覆分類", why.toStdString() + lines);
  return false;
}

void CLandCoverDlg::accept() {
  if (m_running || !TrainingAreasLargeEnough() || !RedLightsAccepted()) return;
  ClassificationParams params = m_list.Params();
  params.holdBackHalf = m_checkHalf->isChecked();
  params.checks = m_checks;
  if (m_checks.empty() && !params.holdBackHalf)
    return RunAndClose(MakeClassificationStep(std::move(params)));
  // Check pixels are judged on the image the classes were drawn on, before the run.
  const ImageSession& s = m_view.Session();
  Accuracy accuracy;
  if (!CheckAccuracy(m_list.Bands(), m_list.Classes(), m_checks, StripExtension(s.CurrentPath()),
                     s.Settings().pixels, s.Settings().lines, accuracy, m_app.Msg(),
                     params.holdBackHalf))
    return;
  RunAndClose(MakeClassificationStep(std::move(params)), &accuracy);
}

void CLandCoverDlg::OnCheckArea() {
  const int row = m_list.Selected();
  if (row < 0) return;
  const std::string title = m_list.Classes()[size_t(row)].title;
  CKiriView* view = &m_view;
  m_view.StartSelection(
      CKiriView::kSelectTraining, [this, view, title](const CKiriView::Selection& s) {
        const AreaRect& area = view->Session().Area();
        ClassItem check;
        check.title = title;
        check.top = std::min(s.docStart.y, s.docEnd.y) + area.m_nAreaTop;
        check.bottom = std::max(s.docStart.y, s.docEnd.y) + area.m_nAreaTop;
        check.right = std::max(s.docStart.x, s.docEnd.x) + area.m_nAreaLeft;
        check.left = std::min(s.docStart.x, s.docEnd.x) + area.m_nAreaLeft;
        if (AreaPixels(check) == 0) return;
        m_checks.push_back(check);
        m_checkCount->setText(
            translate("CLandCoverDlg", "チェックエリア：%1か所").arg(int(m_checks.size())));
      });
}

void CLandCoverDlg::RunAndClose(const StepBody& body, const Accuracy* accuracy) {
  m_running = true;
  m_view.CancelTools();
  // The question is asked over the image window; this dialog waits behind it.
  m_app.SetToolDialog(nullptr);
  bool offered = false;
  const auto outcome =
      RunStepCommand(m_app, m_view, "classify", [&]() -> std::optional<ImageSession::StepChoice> {
        if (offered) return std::nullopt;  // after a No the list stays here
        offered = true;
        return ImageSession::StepChoice{body, ShowClassPlanes};
      });
  m_running = false;
  if (outcome == ImageSession::StepOutcome::kKept) {
    m_view.RebuildLegend();
    if (accuracy) ShowAccuracyWindow(m_app, m_view, *accuracy);
    Finish();
    QDialog::accept();
    return;
  }
  m_app.SetToolDialog(this);
  m_app.SetDialogAllowsMainWindow(true);
}

void CLandCoverDlg::OnGroups() {
  if (m_running) return;
  QDialog dialog(this);
  dialog.setObjectName(QString::number(kGroupsTemplate));
  dialog.setWindowTitle(translate("CLandCoverDlg", "コンピュータにグループを見つけてもらう"));
  auto* count = new QSpinBox(&dialog);
  count->setObjectName(QString::number(kIdGroupCount));
  count->setRange(kMinGroups, kMaxGroups);
  count->setValue(6);
  auto* seed = new QSpinBox(&dialog);
  seed->setObjectName(QString::number(kIdGroupSeed));
  seed->setRange(0, 999999);
  seed->setValue(int(kDefaultKMeansSeed));
  auto* grid = new QGridLayout(&dialog);
  auto* about =
      new QLabel(translate("CLandCoverDlg",
                           "コンピュータが，色の似ている画素を集めてグループに分けます．\n"
                           "結果の凡例で，グループに名前と色をつけましょう．\n"
                           "同じ「はじめの数」なら，何度やっても同じグループになります．"),
                 &dialog);
  grid->addWidget(about, 0, 0, 1, 2);
  grid->addWidget(new QLabel(translate("CLandCoverDlg", "グループの数（2〜12）"), &dialog), 1, 0);
  grid->addWidget(count, 1, 1);
  grid->addWidget(new QLabel(translate("CLandCoverDlg", "はじめの数"), &dialog), 2, 0);
  grid->addWidget(seed, 2, 1);
  grid->addLayout(
      OkCancelRow(&dialog, QStringLiteral("OK"), translate("CLandCoverDlg", "キャンセル")), 3, 0, 1,
      2);
  if (m_app.Ui().RunDialog(dialog) != QDialog::Accepted) return;
  KMeansParams params;
  params.bands = m_list.Bands();
  params.k = count->value();
  params.seed = uint64_t(seed->value());
  RunAndClose(MakeKMeansStep(std::move(params)));
}

void CLandCoverDlg::OnNamedGroups() {
  if (m_running) return;
  const ImageSettings& here = m_view.Session().Settings();
  // The newest window whose result has group means and this image's size.
  const CKiriView* found = nullptr;
  for (const CKiriView* v : m_app.Views()) {
    if (v == &m_view) continue;
    const ImageSession& s = v->Session();
    if (s.Settings().pixels == here.pixels && s.Settings().lines == here.lines &&
        IsReadableRegularFile(ResolveNoCase(StripExtension(s.CurrentPath()) + ".kmc")))
      found = v;
  }
  if (!found) {
    m_app.Msg().ShowMessage(kMsgNoNamedGroups);
    return;
  }
  std::vector<ClassItem> classes;
  if (!ClassesFromNamedGroups(found->Session().CurrentPath(), here.pixels, here.lines, classes,
                              m_app.Msg()))
    return;
  for (ClassItem& c : classes) m_list.Add(std::move(c));
  m_list.Select(m_list.Count() - 1);
  Refill();
}

void CLandCoverDlg::reject() {
  if (m_running) return;
  Finish();
  QDialog::reject();
}

void CLandCoverDlg::closeEvent(QCloseEvent* e) {
  if (m_running) {
    e->ignore();
    return;
  }
  Finish();
  QDialog::closeEvent(e);
}

void CLandCoverDlg::Finish() {
  if (m_view.LandCoverDialog() == this) m_view.SetLandCoverDialog(nullptr);
  if (m_view.SelectKindArmed() == CKiriView::kSelectTraining) m_view.CancelTools();
  if (m_app.ToolDialog() == this) m_app.SetToolDialog(nullptr);
  m_app.SetDialogAllowsMainWindow(false);
  m_view.viewport()->update();
  m_app.RefreshCommands();
}

void OpenLandCoverDialog(CKiriApp& app, CKiriView& view) {
  if (app.ToolDialog() || view.LandCoverDialog()) return;
  auto* dialog = new CLandCoverDlg(app, view);
  view.SetLandCoverDialog(dialog);
  app.SetToolDialog(dialog);
  app.SetDialogAllowsMainWindow(true);
  dialog->show();
}

// --- class legend

CClassLegendDlg::CClassLegendDlg(CKiriApp& app, CKiriView& view)
    : CLegendWindow(view.Frame(), kClassLegendTemplate),
      m_app(app),
      m_view(view),
      m_session(view.Session()),
      m_messenger(app.Msg()) {
  m_list = new QListWidget(this);
  m_list->setObjectName(QString::number(kIdClassList));
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setItemDelegate(new LegendRowDelegate(m_list));
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnRename(); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_list);
  auto* rename = Button(kIdGroupRename, translate("CClassLegendDlg", "名前と色..."), this);
  rename->setToolTip(translate("CClassLegendDlg", "選んだグループに名前と色をつけます．"));
  connect(rename, &QPushButton::clicked, this, &CClassLegendDlg::OnRename);
  auto* merge = Button(kIdGroupMerge, translate("CClassLegendDlg", "まとめる..."), this);
  merge->setToolTip(translate("CClassLegendDlg", "2つのグループを1つにします．"));
  connect(merge, &QPushButton::clicked, this, &CClassLegendDlg::OnMerge);
  auto* edits = new QHBoxLayout;
  edits->addWidget(rename);
  edits->addWidget(merge);
  layout->addLayout(edits);
  auto* asClasses =
      Button(kIdGroupsAsClasses, translate("CClassLegendDlg", "このグループで分類する..."), this);
  asClasses->setToolTip(translate("CClassLegendDlg",
                                  "元の画像をもう1つの窓で開き，名前をつけたグループを"
                                  "土地被覆分類のクラスにします．"));
  connect(asClasses, &QPushButton::clicked, this, &CClassLegendDlg::OnGroupsAsClasses);
  layout->addWidget(asClasses);
  auto* spectra = new QPushButton(translate("CClassLegendDlg", "平均スペクトル..."), this);
  spectra->setObjectName(QString::number(kIdClassSpectra));
  spectra->setToolTip(translate("CClassLegendDlg", "クラスごとの平均の値を全部のバンドで見ます．"));
  connect(spectra, &QPushButton::clicked, this, &CClassLegendDlg::ShowSpectra);
  layout->addWidget(spectra);
  auto* areas = new QCheckBox(translate("CClassLegendDlg", "面積を表示"), this);
  areas->setObjectName(QString::number(kIdClassAreasShown));
  areas->setToolTip(
      translate("CClassLegendDlg", "クラスごとの画素の数，面積，画像の中の割合です．"));
  connect(areas, &QCheckBox::toggled, this, &CClassLegendDlg::ShowAreas);
  layout->addWidget(areas);
  resize(200, 220);
  LoadClassLegend(StripExtension(m_session.CurrentPath()) + ".mlk", m_items, m_messenger);
  for (const LegendItem& i : m_items) {
    auto* item = new QListWidgetItem(ToQ(ShownGroupTitle(i.title)), m_list);
    item->setData(Qt::UserRole, ColourOf(i.red, i.green, i.blue));
  }
  rename->setEnabled(!m_items.empty());
  // Only groups the computer found can be handed back as classes.
  asClasses->setEnabled(
      IsReadableRegularFile(ResolveNoCase(StripExtension(m_session.CurrentPath()) + ".kmc")));
  merge->setEnabled(m_items.size() > 1);
}

void CClassLegendDlg::OnRename() {
  const int row = std::max(m_list->currentRow(), 0);
  if (size_t(row) >= m_items.size()) return;
  const LegendItem& item = m_items[size_t(row)];
  const QString shown = ToQ(ShownGroupTitle(item.title));
  CClassItemDlg dialog(m_app.Ui(), ColourOf(item.red, item.green, item.blue), shown, this);
  dialog.setWindowTitle(translate("CClassLegendDlg", "グループの名前と色"));
  // Wide enough for its title beside the window's buttons.
  dialog.setMinimumWidth(dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) * 3 / 2 + 90);
  if (m_app.Ui().RunDialog(dialog) != QDialog::Accepted) return;
  GroupEdit edit;
  edit.group = row;
  const QColor c = dialog.Colour();
  edit.red = uint8_t(c.red()), edit.green = uint8_t(c.green()), edit.blue = uint8_t(c.blue());
  // A name left as shown stays the group's own (still to be named).
  edit.title = dialog.Title() == shown ? item.title : FromQ(dialog.Title());
  RunEdit(edit);
}

void CClassLegendDlg::OnGroupsAsClasses() {
  // Said here, before a window opens, when no group has a name yet.
  std::vector<ClassItem> classes;
  const ImageSettings& here = m_session.Settings();
  if (!ClassesFromNamedGroups(m_session.CurrentPath(), here.pixels, here.lines, classes,
                              m_messenger))
    return;
  ImageSettings opened;
  if (!ReadSettings(m_session.OpenedPath(), opened, m_messenger)) return;
  CKiriApp& app = m_app;
  app.SetReopen(ComposeOnOpen(m_session.OpenedPath(), opened));
  app.OnCommand(kCmdOpen);
  CKiriView* fresh = app.ActiveView();
  if (!fresh || fresh == &m_view) return;
  OpenLandCoverDialog(app, *fresh);
  if (CLandCoverDlg* dialog = fresh->LandCoverDialog()) dialog->OnNamedGroups();
}

void CClassLegendDlg::OnMerge() {
  if (m_items.size() < 2) return;
  QDialog dialog(this);
  dialog.setObjectName(QString::number(kGroupMergeTemplate));
  dialog.setWindowTitle(translate("CClassLegendDlg", "グループをまとめる"));
  const auto groupBox = [&](int id, int row) {
    auto* box = new QComboBox(&dialog);
    box->setObjectName(QString::number(id));
    for (size_t i = 0; i < m_items.size(); ++i) {
      QPixmap swatch(12, 12);
      swatch.fill(QColor(64, 64, 64));
      QPainter(&swatch).fillRect(1, 1, 10, 10,
                                 ColourOf(m_items[i].red, m_items[i].green, m_items[i].blue));
      box->addItem(QIcon(swatch),
                   QString::asprintf("%2d  ", int(i)) + ToQ(ShownGroupTitle(m_items[i].title)));
    }
    box->setCurrentIndex(row);
    return box;
  };
  const int row = std::clamp(m_list->currentRow(), 0, int(m_items.size()) - 1);
  auto* other = groupBox(kIdGroupMergeOther, row);
  auto* into = groupBox(kIdGroupMergeInto, row == 0 ? 1 : 0);
  auto* grid = new QGridLayout(&dialog);
  grid->addWidget(new QLabel(translate("CClassLegendDlg", "このグループを"), &dialog), 0, 0);
  grid->addWidget(other, 0, 1);
  grid->addWidget(new QLabel(translate("CClassLegendDlg", "このグループに入れる"), &dialog), 1, 0);
  grid->addWidget(into, 1, 1);
  grid->addWidget(
      new QLabel(translate("CClassLegendDlg",
                           "入れたグループの画素は，入れる先のグループの色と名前になります．"),
                 &dialog),
      2, 0, 1, 2);
  grid->addLayout(
      OkCancelRow(&dialog, QStringLiteral("OK"), translate("CClassLegendDlg", "キャンセル")), 3, 0,
      1, 2);
  if (m_app.Ui().RunDialog(dialog) != QDialog::Accepted) return;
  GroupEdit edit;
  edit.kind = GroupEdit::kMerge;
  edit.group = into->currentIndex();
  edit.other = other->currentIndex();
  RunEdit(edit);
}

void CClassLegendDlg::RunEdit(const GroupEdit& edit) {
  bool offered = false;
  const auto outcome =
      RunStepCommand(m_app, m_view, "classify", [&]() -> std::optional<ImageSession::StepChoice> {
        if (offered) return std::nullopt;  // after a No the legend stays as it was
        offered = true;
        return ImageSession::StepChoice{MakeGroupEditStep(edit), ShowClassPlanes};
      });
  // The kept result gets a legend of its own; this one goes.
  if (outcome == ImageSession::StepOutcome::kKept) m_view.RebuildLegend();
}

void CClassLegendDlg::ShowAreas(bool shown) {
  m_areasShown = shown;
  if (shown && m_areas.empty()) {
    WaitCursor wait;
    if (!ComputeClassAreas(m_session.CurrentPath(), m_areas, m_messenger)) m_areas.clear();
  }
  for (int i = 0; i < m_list->count() && size_t(i) < m_items.size(); ++i) {
    QString text = ToQ(ShownGroupTitle(m_items[size_t(i)].title));
    if (shown && size_t(i) < m_areas.size())
      text += QStringLiteral("   ") + ToQ(ClassAreaText(m_areas[size_t(i)]));
    m_list->item(i)->setText(text);
  }
}

void CClassLegendDlg::ShowSpectra() {
  std::vector<int> bands;
  std::vector<ClassSpectrum> classes;
  if (!ClassSpectra(m_session.CurrentPath(), m_session.OpenedPath(), bands, classes, m_messenger))
    return;
  std::vector<SpectrumBand> chartBands;
  const std::vector<SpectrumBand> all = ListSpectrumBands(m_session.OpenedPath());
  for (const int b : bands) {
    const auto it =
        std::find_if(all.begin(), all.end(), [b](const SpectrumBand& s) { return s.number == b; });
    SpectrumBand band;
    band.number = b;
    if (it != all.end()) band = *it;
    chartBands.push_back(band);
  }
  std::vector<paint::SpectrumSeries> series;
  for (const ClassSpectrum& c : classes)
    series.push_back({c.title, QColor(c.red, c.green, c.blue), c.mean, c.deviation});
  if (!m_spectra) {
    auto* window = new QDialog(this, Qt::Tool);
    window->setObjectName(QString::number(kIdClassSpectraWindow));
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* picture = new QLabel(window);
    picture->setObjectName(QStringLiteral("chart"));
    auto* box = new QVBoxLayout(window);
    box->addWidget(picture);
    m_spectra = window;
  }
  m_spectra->setWindowTitle(translate("CClassLegendDlg", "クラスの平均スペクトル（±標準偏差）"));
  const QImage chart = paint::RenderSpectrumPicture(chartBands, series);
  m_spectra->findChild<QLabel*>(QStringLiteral("chart"))
      ->setPixmap(QPixmap::fromImage(chart.scaledToWidth(600, Qt::SmoothTransformation)));
  m_spectra->show();
  m_spectra->raise();
}

bool CClassLegendDlg::DrawOnPage(QPainter& p, const LegendPagePlacement& place,
                                 Messenger& messenger) const {
  return paint::PaintLegend(p, LegendKind::kClass, m_session.State(), place.anchorX, place.anchorY,
                            place.corner, place.scale, messenger, m_areasShown);
}

}  // namespace lumora::gui
