// The lesson panel: one step at a time beside the image windows, ticked when
// the program reports the action the step asks for, or when a question is
// answered right. At the end the worksheet is printed or saved as a PDF.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "lessons/lesson_run.h"
#include "paint/worksheet_painter.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace lumora::gui {

class CKiriApp;

// Object names of the panel's parts, for tests.
inline constexpr int kLessonStepText = 901;
inline constexpr int kLessonBack = 902;
inline constexpr int kLessonNext = 903;
inline constexpr int kLessonHint = 904;
inline constexpr int kLessonAnswer = 905;  // the number field
inline constexpr int kLessonCheck = 906;   // "answer" button
inline constexpr int kLessonFeedback = 907;
inline constexpr int kLessonChoiceFirst = 910;  // + option
inline constexpr int kLessonPupil = 920;        // the pupil's name
inline constexpr int kLessonCounter = 921;
inline constexpr int kLessonSaveSheet = 922;   // at the end: the worksheet as a PDF
inline constexpr int kLessonPrintSheet = 923;  // at the end: the worksheet printed

class CLessonPanel : public QWidget {
  Q_OBJECT
 public:
  CLessonPanel(CKiriApp& app, lessons::LessonRun run, QWidget* parent = nullptr);

  const lessons::LessonRun& Run() const { return m_run; }
  // What the program reports; ticks the step and shows it.
  void Observe(const lessons::Action& action);

 private:
  void ShowStep();
  void OnNext();
  void OnBack();
  void OnAnswer();
  void Finish();
  paint::Worksheet Sheet() const;
  void SaveSheet();
  void PrintSheet();
  void Keep(const QString& text);  // feedback line
  QImage Snapshot() const;

  CKiriApp& m_app;
  lessons::LessonRun m_run;
  QLabel* m_title = nullptr;
  QLabel* m_counter = nullptr;
  QLabel* m_text = nullptr;
  QLabel* m_picture = nullptr;
  QLabel* m_feedback = nullptr;
  QLineEdit* m_pupil = nullptr;
  QWidget* m_answerBox = nullptr;
  QVBoxLayout* m_answerLayout = nullptr;
  QButtonGroup* m_choices = nullptr;
  QLineEdit* m_number = nullptr;
  QPushButton* m_hint = nullptr;
  QPushButton* m_back = nullptr;
  QPushButton* m_next = nullptr;
  // The picture of the image window when each step was ticked.
  std::vector<QImage> m_pictures;
};

// The lesson list (Help > Lessons): the lessons that come with the program
// and those of the teacher's folder; returns the chosen one's run or none.
std::unique_ptr<lessons::LessonRun> ChooseLesson(CKiriApp& app);

}  // namespace lumora::gui
