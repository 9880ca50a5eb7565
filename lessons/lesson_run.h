// The step machine of a lesson: the program reports what the pupil does, the
// run ticks the current step when the action is the one its check names,
// questions are answered and checked, and the pupil may go back. Nothing here
// touches the pupil's files.
#pragma once

#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "lessons/lesson.h"

namespace lumora::lessons {

// What the program reports.
struct Action {
  enum Kind { kOpened, kComposed, kZoomed, kToolUsed, kStepKept, kClassesDrawn, kPinned };
  Kind kind = kOpened;
  QString path;                      // kOpened: the settings file
  int red = 0, green = 0, blue = 0;  // kComposed: a grey band has all three equal
  int percent = 0;                   // kZoomed
  QString name;                      // kToolUsed: the tool; kStepKept: the step
  QRect area;                        // kToolUsed: source pixels touched (a click is 1 x 1)
  int count = 0;                     // kClassesDrawn, kPinned
};

// Whether an action does what a check asks (the scene for kOpen is given).
bool Satisfies(const Check& check, const Action& action, const QString& scenePath);

// A number as a pupil types it: "12.5", "12,5", full-width digits, spaces.
std::optional<double> PupilNumber(const QString& text);

class LessonRun {
 public:
  LessonRun(Lesson lesson, const QString& samplesFolder);

  const Lesson& Plan() const { return m_lesson; }
  QString ScenePath() const { return m_scene; }
  int Current() const { return m_current; }
  int StepCount() const { return static_cast<int>(m_lesson.steps.size()); }
  const Step& CurrentStep() const { return m_lesson.steps[static_cast<size_t>(m_current)]; }
  bool Ticked(int step) const { return m_ticked[static_cast<size_t>(step)]; }
  // The current step is done (a step to read always is).
  bool CanGoOn() const;
  bool AtLastStep() const { return m_current + 1 == StepCount(); }

  // Ticks the current step when the action satisfies it; true when it did.
  // Openings, compositions and magnifications are remembered, so that a step
  // the picture already satisfies is ticked as soon as it is reached.
  bool Observe(const Action& action);

  enum class Reply { kRight, kWrong, kNotAQuestion, kNotANumber };
  Reply AnswerChoice(int option);
  Reply AnswerNumber(const QString& typed);

  // Moves on (only when the current step is done) or back; false at the ends.
  bool Next();
  bool Back();

  // The answers given, in step order: the last one of each question.
  struct Given {
    int step = 0;
    QString answer;
    bool right = false;
  };
  std::vector<Given> Answers() const;

 private:
  void TickFromState();

  Lesson m_lesson;
  QString m_scene;
  int m_current = 0;
  std::vector<bool> m_ticked;
  std::vector<std::optional<Given>> m_given;
  std::optional<Action> m_opened, m_composed, m_zoomed;
};

}  // namespace lumora::lessons
