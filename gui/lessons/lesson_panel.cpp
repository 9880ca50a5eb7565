#include "gui/lessons/lesson_panel.h"

#include <QButtonGroup>
#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

#include "core/support/string_table.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/output/print_preview.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"
#include "paint/pdf_file.h"
#include "paint/worksheet_painter.h"

namespace lumora::gui {

namespace {

constexpr int kPanelWidth = 340;

void Name(QWidget* w, int id) { w->setObjectName(QString::number(id)); }

QSettings LessonSettings() {
  return QSettings(QStringLiteral("Lumora Zud's"), QStringLiteral("lessons"));
}

paint::Worksheet SheetOf(const lessons::LessonRun& run, const QString& pupil,
                         const std::vector<QImage>& pictures) {
  paint::Worksheet s;
  s.title = run.Plan().title.Shown();
  s.pupil = pupil;
  s.date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  for (const auto& g : run.Answers())
    s.answers.push_back(
        {run.Plan().steps[static_cast<size_t>(g.step)].text.Shown(), g.answer, g.right});
  s.pictures = pictures;
  s.nameCaption = translate("CLessonPanel", "なまえ：");
  s.dateCaption = translate("CLessonPanel", "日付：");
  s.rightMark = translate("CLessonPanel", "○ せいかい");
  s.wrongMark = translate("CLessonPanel", "△ もう一度");
  return s;
}

}  // namespace

CLessonPanel::CLessonPanel(CKiriApp& app, lessons::LessonRun run, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_app(app), m_run(std::move(run)) {
  setObjectName(QStringLiteral("lesson"));
  setWindowTitle(translate("CLessonPanel", "レッスン"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  m_title = new QLabel(m_run.Plan().title.Shown(), this);
  QFont big = m_title->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  m_title->setFont(big);
  m_title->setWordWrap(true);
  layout->addWidget(m_title);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel(translate("CLessonPanel", "なまえ："), this));
  m_pupil = new QLineEdit(this);
  Name(m_pupil, kLessonPupil);
  m_pupil->setPlaceholderText(translate("CLessonPanel", "ここに名前を書いてね"));
  nameRow->addWidget(m_pupil, 1);
  layout->addLayout(nameRow);
  m_counter = new QLabel(this);
  Name(m_counter, kLessonCounter);
  layout->addWidget(m_counter);
  m_text = new QLabel(this);
  Name(m_text, kLessonStepText);
  m_text->setWordWrap(true);
  m_text->setTextFormat(Qt::PlainText);
  m_text->setMinimumHeight(80);
  m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(m_text);
  m_picture = new QLabel(this);
  m_picture->setAlignment(Qt::AlignCenter);
  layout->addWidget(m_picture);
  m_answerBox = new QWidget(this);
  m_answerLayout = new QVBoxLayout(m_answerBox);
  m_answerLayout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_answerBox);
  m_feedback = new QLabel(this);
  Name(m_feedback, kLessonFeedback);
  m_feedback->setWordWrap(true);
  m_feedback->setTextFormat(Qt::PlainText);
  layout->addWidget(m_feedback);
  layout->addStretch(1);
  auto* buttons = new QHBoxLayout;
  m_hint = new QPushButton(translate("CLessonPanel", "ヒント"), this);
  Name(m_hint, kLessonHint);
  m_back = new QPushButton(translate("CLessonPanel", "← もどる"), this);
  Name(m_back, kLessonBack);
  m_next = new QPushButton(this);
  Name(m_next, kLessonNext);
  buttons->addWidget(m_hint);
  buttons->addStretch(1);
  buttons->addWidget(m_back);
  buttons->addWidget(m_next);
  layout->addLayout(buttons);
  connect(m_hint, &QPushButton::clicked, this, [this] { Keep(m_run.CurrentStep().hint.Shown()); });
  connect(m_back, &QPushButton::clicked, this, &CLessonPanel::OnBack);
  connect(m_next, &QPushButton::clicked, this, &CLessonPanel::OnNext);
  setFixedWidth(kPanelWidth);
  setMinimumHeight(420);
  // Beside the image windows: at the right edge of the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.right() - kPanelWidth - 16, area.top() + 40);
  }
  ShowStep();
  m_pupil->setFocus();
}

void CLessonPanel::Keep(const QString& text) { m_feedback->setText(text); }

QImage CLessonPanel::Snapshot() const {
  const CKiriView* view = m_app.ActiveView();
  if (!view || view->Picture().isNull()) return {};
  return view->Picture().scaled(600, 600, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void CLessonPanel::ShowStep() {
  const lessons::Step& step = m_run.CurrentStep();
  m_counter->setText(
      translate("CLessonPanel", "手順 %1 / %2").arg(m_run.Current() + 1).arg(m_run.StepCount()));
  m_text->setText(step.text.Shown());
  const QPixmap picture(m_run.Plan().Beside(step.picture));
  m_picture->setPixmap(picture.isNull()
                           ? QPixmap()
                           : picture.scaledToWidth(kPanelWidth - 40, Qt::SmoothTransformation));
  m_picture->setVisible(!picture.isNull());
  m_hint->setEnabled(!step.hint.Empty());

  // The answer controls of a question; none for an action.
  while (QLayoutItem* item = m_answerLayout->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  m_choices = nullptr;
  m_number = nullptr;
  const lessons::Check& c = step.check;
  if (c.kind == lessons::CheckKind::kChoice) {
    m_choices = new QButtonGroup(m_answerBox);
    for (size_t i = 0; i < c.options.size(); ++i) {
      auto* b = new QRadioButton(c.options[i].Shown(), m_answerBox);
      Name(b, kLessonChoiceFirst + static_cast<int>(i));
      m_choices->addButton(b, static_cast<int>(i));
      m_answerLayout->addWidget(b);
    }
  } else if (c.kind == lessons::CheckKind::kNumber) {
    auto* row = new QWidget(m_answerBox);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    m_number = new QLineEdit(row);
    Name(m_number, kLessonAnswer);
    rowLayout->addWidget(m_number, 1);
    rowLayout->addWidget(new QLabel(c.unit, row));
    m_answerLayout->addWidget(row);
    connect(m_number, &QLineEdit::returnPressed, this, &CLessonPanel::OnAnswer);
    // The answer is typed here, never over the pupil's name.
    m_number->setFocus();
  }
  if (m_choices || m_number) {
    auto* check = new QPushButton(translate("CLessonPanel", "答える"), m_answerBox);
    Name(check, kLessonCheck);
    connect(check, &QPushButton::clicked, this, &CLessonPanel::OnAnswer);
    m_answerLayout->addWidget(check);
  }
  const bool done = m_run.Ticked(m_run.Current());
  if (done && !m_choices && !m_number)
    Keep(translate("CLessonPanel", "できた！ ✓"));
  else if (!done)
    Keep({});
  m_back->setEnabled(m_run.Current() > 0);
  m_next->setText(m_run.AtLastStep() ? translate("CLessonPanel", "おわり")
                                     : translate("CLessonPanel", "次へ →"));
  m_next->setEnabled(m_run.CanGoOn());
}

void CLessonPanel::Observe(const lessons::Action& action) {
  if (!m_run.Observe(action)) return;
  // What the pupil made goes on the worksheet: a new picture once.
  const QImage shot = Snapshot();
  if (!shot.isNull() && (m_pictures.empty() || m_pictures.back() != shot))
    m_pictures.push_back(shot);
  ShowStep();
}

void CLessonPanel::OnAnswer() {
  using Reply = lessons::LessonRun::Reply;
  Reply reply = Reply::kNotAQuestion;
  if (m_choices) {
    if (m_choices->checkedId() < 0) {
      Keep(translate("CLessonPanel", "答えをひとつ選んでね．"));
      return;
    }
    reply = m_run.AnswerChoice(m_choices->checkedId());
  } else if (m_number) {
    reply = m_run.AnswerNumber(m_number->text());
  }
  const lessons::Check& c = m_run.CurrentStep().check;
  switch (reply) {
    case Reply::kRight: Keep(translate("CLessonPanel", "せいかい！ ") + c.explain.Shown()); break;
    case Reply::kWrong:
      Keep(translate("CLessonPanel", "ちがうみたい．もう一度考えてみよう．"));
      break;
    case Reply::kNotANumber: Keep(translate("CLessonPanel", "数を書いてね．")); break;
    case Reply::kNotAQuestion: break;
  }
  m_next->setEnabled(m_run.CanGoOn());
}

void CLessonPanel::OnNext() {
  if (m_run.AtLastStep()) {
    if (m_run.CanGoOn()) Finish();
    return;
  }
  if (m_run.Next()) ShowStep();
}

void CLessonPanel::OnBack() {
  if (m_run.Back()) ShowStep();
}

void CLessonPanel::Finish() {
  // The worksheet: saved as a PDF the teacher can collect, or printed.
  while (QLayoutItem* item = m_answerLayout->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  m_choices = nullptr;
  m_number = nullptr;
  auto* save = new QPushButton(translate("CLessonPanel", "ワークシートをPDFで保存"), m_answerBox);
  Name(save, kLessonSaveSheet);
  auto* print = new QPushButton(translate("CLessonPanel", "ワークシートを印刷"), m_answerBox);
  Name(print, kLessonPrintSheet);
  m_answerLayout->addWidget(save);
  m_answerLayout->addWidget(print);
  connect(save, &QPushButton::clicked, this, &CLessonPanel::SaveSheet);
  connect(print, &QPushButton::clicked, this, &CLessonPanel::PrintSheet);
  Keep(translate("CLessonPanel", "おつかれさま！ワークシートを保存するか，印刷しましょう．"));
}

paint::Worksheet CLessonPanel::Sheet() const {
  std::vector<QImage> pictures;
  for (const QImage& i : m_pictures)
    if (!i.isNull() && pictures.size() < 4) pictures.push_back(i);
  return SheetOf(m_run, m_pupil->text().trimmed(), pictures);
}

void CLessonPanel::SaveSheet() {
  const paint::Worksheet sheet = Sheet();
  const QString folder = LessonSettings().value(QStringLiteral("worksheetFolder")).toString();
  const QString name = m_run.Plan().id +
                       (sheet.pupil.isEmpty() ? QString() : QLatin1Char('-') + sheet.pupil) +
                       QStringLiteral(".pdf");
  const QString path =
      m_app.Ui().GetSaveFileName(this, folder.isEmpty() ? m_app.Options().homeFolder : folder, name,
                                 translate("CLessonPanel", "ワークシート (*.pdf)"));
  if (path.isEmpty()) return;
  const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
  const auto draw = [&sheet](QPainter& p, int w, int h) { paint::PaintWorksheet(p, w, h, sheet); };
  if (!paint::WritePdfFile(FromQ(path), a4, 300, sheet.title, draw, m_app.Msg())) return;
  LessonSettings().setValue(QStringLiteral("worksheetFolder"), QFileInfo(path).absolutePath());
  Keep(translate("CLessonPanel", "ワークシートを保存しました．"));
}

void CLessonPanel::PrintSheet() {
  QPrinter& printer = m_app.Printer();
  if (!AskA4Printer(m_app.Ui(), m_app.Msg(), printer, this)) return;
  const paint::Worksheet sheet = Sheet();
  const auto draw = [&sheet](QPainter& p, int w, int h) { paint::PaintWorksheet(p, w, h, sheet); };
  // Printing to a file goes in place whole, as every PDF the program writes.
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    if (paint::WritePdfFile(FromQ(printer.outputFileName()), printer.pageLayout(),
                            printer.resolution(), sheet.title, draw, m_app.Msg()))
      Keep(translate("CLessonPanel", "ワークシートを保存しました．"));
    return;
  }
  QPainter p;
  if (!p.begin(&printer)) {
    m_app.Msg().ShowMessage(kMsgCreateFailed);
    return;
  }
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  draw(p, area.width(), area.height());
  if (!p.end()) m_app.Msg().ShowMessage(kMsgCreateFailed);
}

std::unique_ptr<lessons::LessonRun> ChooseLesson(CKiriApp& app) {
  QDialog dialog(app.MainFrame());
  dialog.setObjectName(QStringLiteral("lessons"));
  dialog.setWindowTitle(translate("CLessonPanel", "レッスン"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("list"));
  list->setIconSize(QSize(96, 64));
  layout->addWidget(list);
  auto* problems = new QLabel(&dialog);
  problems->setObjectName(QStringLiteral("problems"));
  problems->setWordWrap(true);
  problems->setTextFormat(Qt::PlainText);
  layout->addWidget(problems);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  box->button(QDialogButtonBox::Ok)->setText(translate("CLessonPanel", "始める"));
  box->button(QDialogButtonBox::Cancel)->setText(translate("CLessonPanel", "キャンセル"));
  auto* teacher =
      box->addButton(translate("CLessonPanel", "先生のフォルダ..."), QDialogButtonBox::ActionRole);
  teacher->setObjectName(QStringLiteral("teacher"));
  layout->addWidget(box);
  QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);

  std::vector<lessons::Lesson> found;
  const auto fill = [&] {
    found.clear();
    list->clear();
    QStringList trouble;
    // A teacher's broken lesson is named, never in the way of the others.
    found = lessons::LessonsIn(app.Options().lessonsFolder, trouble);
    const QString own = LessonSettings().value(QStringLiteral("teacherFolder")).toString();
    if (!own.isEmpty()) {
      auto more = lessons::LessonsIn(own, trouble);
      for (auto& l : more) found.push_back(std::move(l));
    }
    for (const lessons::Lesson& l : found) {
      auto* item =
          new QListWidgetItem(QIcon(l.Beside(l.picture)),
                              l.title.Shown() + QLatin1Char('\n') +
                                  translate("CLessonPanel", "%1才　%2分").arg(l.age).arg(l.minutes),
                              list);
      item->setSizeHint(QSize(360, 72));
    }
    if (!found.empty()) list->setCurrentRow(0);
    // Every lesson in sight without scrolling, up to seven.
    list->setMinimumHeight(std::clamp(list->count(), 3, 7) * 72 + 2 * list->frameWidth());
    problems->setText(trouble.isEmpty()
                          ? QString()
                          : translate("CLessonPanel", "読めないレッスンがあります：\n") +
                                trouble.join(QLatin1Char('\n')));
    problems->setVisible(!trouble.isEmpty());
  };
  QObject::connect(teacher, &QPushButton::clicked, &dialog, [&] {
    const QString folder = app.Ui().GetExistingDirectory(&dialog, app.Options().homeFolder);
    if (folder.isEmpty()) return;
    LessonSettings().setValue(QStringLiteral("teacherFolder"), folder);
    fill();
  });
  fill();
  dialog.resize(420, dialog.sizeHint().height());
  if (app.Ui().RunDialog(dialog) != QDialog::Accepted || list->currentRow() < 0 ||
      list->currentRow() >= static_cast<int>(found.size()))
    return nullptr;
  return std::make_unique<lessons::LessonRun>(
      std::move(found[static_cast<size_t>(list->currentRow())]), app.Options().samplesFolder);
}

}  // namespace lumora::gui
