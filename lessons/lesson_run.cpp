#include "lessons/lesson_run.h"

#include <QFileInfo>
#include <cmath>

namespace lumora::lessons {

namespace {

bool SameFile(const QString& a, const QString& b) {
  const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
  return !ca.isEmpty() && ca == cb;
}

}  // namespace

bool Satisfies(const Check& c, const Action& a, const QString& scenePath) {
  switch (c.kind) {
    case CheckKind::kOpen: return a.kind == Action::kOpened && SameFile(a.path, scenePath);
    case CheckKind::kComposition:
      return a.kind == Action::kComposed && a.red == c.red && a.green == c.green &&
             a.blue == c.blue;
    case CheckKind::kZoom: return a.kind == Action::kZoomed && a.percent >= c.percent;
    case CheckKind::kTool:
      return a.kind == Action::kToolUsed && a.name == c.tool &&
             (!c.area || c.area->intersects(a.area));
    case CheckKind::kKept: return a.kind == Action::kStepKept && a.name == c.step;
    case CheckKind::kClasses: return a.kind == Action::kClassesDrawn && a.count >= c.count;
    case CheckKind::kPins: return a.kind == Action::kPinned && a.count >= c.count;
    case CheckKind::kRead:
    case CheckKind::kChoice:
    case CheckKind::kNumber: return false;
  }
  return false;
}

std::optional<double> PupilNumber(const QString& typed) {
  QString s;
  for (QChar ch : typed.trimmed()) {
    const char16_t u = ch.unicode();
    if (u >= u'０' && u <= u'９')
      ch = QChar(u'0' + (u - u'０'));
    else if (u == u'．' || u == u',' || u == u'，')
      ch = QLatin1Char('.');
    else if (u == u'－' || u == u'−')
      ch = QLatin1Char('-');
    if (!ch.isSpace()) s += ch;
  }
  bool ok = false;
  const double v = s.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

LessonRun::LessonRun(Lesson lesson, const QString& samplesFolder)
    : m_lesson(std::move(lesson)),
      m_scene(m_lesson.ScenePath(samplesFolder)),
      m_ticked(m_lesson.steps.size(), false),
      m_given(m_lesson.steps.size()) {}

bool LessonRun::CanGoOn() const {
  return CurrentStep().check.kind == CheckKind::kRead || Ticked(m_current);
}

bool LessonRun::Observe(const Action& a) {
  if (a.kind == Action::kOpened) {
    m_opened = a;
    // A new picture: what was shown before no longer counts.
    m_composed.reset();
    m_zoomed.reset();
  }
  if (a.kind == Action::kComposed) m_composed = a;
  if (a.kind == Action::kZoomed) m_zoomed = a;
  if (Ticked(m_current) || !Satisfies(CurrentStep().check, a, m_scene)) return false;
  m_ticked[static_cast<size_t>(m_current)] = true;
  return true;
}

void LessonRun::TickFromState() {
  for (const auto* held : {&m_opened, &m_composed, &m_zoomed})
    if (*held && Satisfies(CurrentStep().check, **held, m_scene))
      m_ticked[static_cast<size_t>(m_current)] = true;
}

LessonRun::Reply LessonRun::AnswerChoice(int option) {
  const Check& c = CurrentStep().check;
  if (c.kind != CheckKind::kChoice || option < 0 || option >= static_cast<int>(c.options.size()))
    return Reply::kNotAQuestion;
  const bool right = option == c.answer;
  m_given[static_cast<size_t>(m_current)] =
      Given{m_current, c.options[static_cast<size_t>(option)].Shown(), right};
  if (right) m_ticked[static_cast<size_t>(m_current)] = true;
  return right ? Reply::kRight : Reply::kWrong;
}

LessonRun::Reply LessonRun::AnswerNumber(const QString& typed) {
  const Check& c = CurrentStep().check;
  if (c.kind != CheckKind::kNumber) return Reply::kNotAQuestion;
  const auto v = PupilNumber(typed);
  if (!v) return Reply::kNotANumber;
  const bool right = std::fabs(*v - c.value) <= c.tolerance;
  QString shown = QString::number(*v, 'g', 10);
  if (!c.unit.isEmpty()) shown += QLatin1Char(' ') + c.unit;
  m_given[static_cast<size_t>(m_current)] = Given{m_current, shown, right};
  if (right) m_ticked[static_cast<size_t>(m_current)] = true;
  return right ? Reply::kRight : Reply::kWrong;
}

bool LessonRun::Next() {
  if (!CanGoOn() || AtLastStep()) return false;
  ++m_current;
  TickFromState();
  return true;
}

bool LessonRun::Back() {
  if (m_current == 0) return false;
  --m_current;
  return true;
}

std::vector<LessonRun::Given> LessonRun::Answers() const {
  std::vector<Given> out;
  for (const auto& g : m_given)
    if (g) out.push_back(*g);
  return out;
}

}  // namespace lumora::lessons
