#include "lessons/lesson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "core/support/string_table.h"

namespace lumora::lessons {

namespace {

// A lesson file is a few pages of text; anything longer is not one.
constexpr qint64 kMaxLessonBytes = qint64{1} << 20;

QString Say(const char* japanese) { return QString::fromStdString(ShownText(japanese)); }

// The line of each step's opening brace: QJsonDocument keeps no places, so
// the (already valid) text is scanned once for them.
std::vector<int> StepLines(const QByteArray& text) {
  std::vector<int> lines;
  int depth = 0, line = 1, stepsDepth = -1;
  QByteArray key;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') ++line;
    if (c == '"') {
      QByteArray s;
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\') ++i;
        if (i < text.size()) s += text[i];
      }
      if (depth == 1) key = s;
    } else if (c == '{' || c == '[') {
      if (c == '{' && stepsDepth >= 0 && depth == stepsDepth) lines.push_back(line);
      if (c == '[' && depth == 1 && key == "steps") stepsDepth = depth + 1;
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
      if (depth < stepsDepth) stepsDepth = -1;
    }
  }
  return lines;
}

int LineOfOffset(const QByteArray& text, qsizetype offset) {
  return 1 + static_cast<int>(
                 std::count(text.begin(), text.begin() + std::min(offset, text.size()), '\n'));
}

struct Reader {
  QString file;  // shown in messages
  QString folder;
  QStringList& problems;

  void Problem(int line, const QString& what) {
    problems << QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(what);
  }

  void OnlyKnownKeys(const QJsonObject& o, std::initializer_list<const char*> known, int line) {
    for (const QString& k : o.keys())
      if (std::none_of(known.begin(), known.end(),
                       [&](const char* n) { return k == QLatin1String(n); }))
        Problem(line, Say("知らない項目「%1」があります").arg(k));
  }

  // Both languages, or neither when the text is optional.
  Words TwoLanguages(const QJsonObject& o, const char* key, int line, bool needed) {
    Words w;
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() && !needed) return w;
    const QJsonObject t = v.toObject();
    w.ja = t.value(QLatin1String("ja")).toString().trimmed();
    w.en = t.value(QLatin1String("en")).toString().trimmed();
    if (!v.isObject() || w.ja.isEmpty() || w.en.isEmpty() || t.size() != 2)
      Problem(line,
              Say("「%1」には日本語（ja）と英語（en）の両方が必要です").arg(QLatin1String(key)));
    return w;
  }

  QString Picture(const QJsonObject& o, int line) {
    const QJsonValue v = o.value(QLatin1String("picture"));
    if (v.isUndefined()) return {};
    const QString name = v.toString();
    // A plain file name beside the lesson: no folders, so a lesson reads only its own pictures.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.startsWith(QLatin1Char('.')) ||
        !QFileInfo(folder + QLatin1Char('/') + name).isFile()) {
      Problem(line, Say("絵「%1」がありません").arg(name));
      return {};
    }
    return name;
  }

  // A whole number in first .. last.
  int Whole(const QJsonObject& o, const char* key, int first, int last, int line) {
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble(NAN);
    if (!v.isDouble() || d != std::floor(d) || d < first || d > last) {
      Problem(line, Say("「%1」の値が正しくありません").arg(QLatin1String(key)));
      return first;
    }
    return static_cast<int>(d);
  }

  QString OneOf(const QJsonObject& o, const char* key, const QStringList& allowed, int line) {
    const QString s = o.value(QLatin1String(key)).toString();
    if (!allowed.contains(s))
      Problem(line, Say("「%1」は %2 のどれかです")
                        .arg(QLatin1String(key), allowed.join(QStringLiteral(", "))));
    return s;
  }

  Check ReadCheck(const QJsonObject& step, int line) {
    Check c;
    const QJsonValue v = step.value(QLatin1String("check"));
    if (v.isUndefined()) return c;  // a step to read
    const QJsonObject o = v.toObject();
    const QString kind = o.value(QLatin1String("kind")).toString();
    if (kind == QLatin1String("read")) {
      OnlyKnownKeys(o, {"kind"}, line);
    } else if (kind == QLatin1String("open")) {
      c.kind = CheckKind::kOpen;
      OnlyKnownKeys(o, {"kind"}, line);
    } else if (kind == QLatin1String("composition")) {
      c.kind = CheckKind::kComposition;
      OnlyKnownKeys(o, {"kind", "red", "green", "blue", "gray"}, line);
      if (o.contains(QLatin1String("gray"))) {
        c.red = c.green = c.blue = Whole(o, "gray", 1, 255, line);
        if (o.contains(QLatin1String("red")) || o.contains(QLatin1String("green")) ||
            o.contains(QLatin1String("blue")))
          Problem(line, Say("「gray」と「red」「green」「blue」は一緒に使えません"));
      } else {
        c.red = Whole(o, "red", 1, 255, line);
        c.green = Whole(o, "green", 1, 255, line);
        c.blue = Whole(o, "blue", 1, 255, line);
      }
    } else if (kind == QLatin1String("zoom")) {
      c.kind = CheckKind::kZoom;
      OnlyKnownKeys(o, {"kind", "percent"}, line);
      c.percent = Whole(o, "percent", 1, 100000, line);
    } else if (kind == QLatin1String("tool")) {
      c.kind = CheckKind::kTool;
      OnlyKnownKeys(o, {"kind", "tool", "area"}, line);
      c.tool = OneOf(o, "tool",
                     {QStringLiteral("dn"), QStringLiteral("ruler"), QStringLiteral("region"),
                      QStringLiteral("spectrum"), QStringLiteral("compare")},
                     line);
      if (o.contains(QLatin1String("area"))) {
        const QJsonArray a = o.value(QLatin1String("area")).toArray();
        bool ok = a.size() == 4;
        for (const QJsonValue& n : a)
          ok = ok && n.isDouble() && n.toDouble() == std::floor(n.toDouble()) &&
               n.toDouble() >= 0 && n.toDouble() <= 1e6;
        if (ok && a[2].toInt() > 0 && a[3].toInt() > 0)
          c.area = QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
        else
          Problem(line, Say("「%1」の値が正しくありません").arg(QStringLiteral("area")));
      }
    } else if (kind == QLatin1String("kept")) {
      c.kind = CheckKind::kKept;
      OnlyKnownKeys(o, {"kind", "step"}, line);
      c.step = OneOf(o, "step",
                     {QStringLiteral("filter"), QStringLiteral("ndvi"), QStringLiteral("math"),
                      QStringLiteral("classify"), QStringLiteral("dem"),
                      QStringLiteral("brightness"), QStringLiteral("change")},
                     line);
    } else if (kind == QLatin1String("classes") || kind == QLatin1String("pins")) {
      c.kind = kind == QLatin1String("classes") ? CheckKind::kClasses : CheckKind::kPins;
      OnlyKnownKeys(o, {"kind", "count"}, line);
      c.count = Whole(o, "count", 1, c.kind == CheckKind::kPins ? 6 : 32, line);
    } else if (kind == QLatin1String("choice")) {
      c.kind = CheckKind::kChoice;
      OnlyKnownKeys(o, {"kind", "options", "answer", "explain"}, line);
      const QJsonArray options = o.value(QLatin1String("options")).toArray();
      if (options.size() < 2 || options.size() > 6)
        Problem(line, Say("「%1」の値が正しくありません").arg(QStringLiteral("options")));
      for (const QJsonValue& opt : options) {
        QJsonObject holder;
        holder.insert(QStringLiteral("option"), opt);
        c.options.push_back(TwoLanguages(holder, "option", line, true));
      }
      c.answer =
          Whole(o, "answer", 0, std::max<int>(0, static_cast<int>(options.size()) - 1), line);
      c.explain = TwoLanguages(o, "explain", line, true);
    } else if (kind == QLatin1String("number")) {
      c.kind = CheckKind::kNumber;
      OnlyKnownKeys(o, {"kind", "answer", "tolerance", "unit", "explain"}, line);
      const QJsonValue answer = o.value(QLatin1String("answer")),
                       tol = o.value(QLatin1String("tolerance"));
      if (!answer.isDouble() || !std::isfinite(answer.toDouble()))
        Problem(line, Say("「%1」の値が正しくありません").arg(QStringLiteral("answer")));
      if (!tol.isDouble() || !(tol.toDouble() >= 0.0) || !std::isfinite(tol.toDouble()))
        Problem(line, Say("「%1」の値が正しくありません").arg(QStringLiteral("tolerance")));
      c.value = answer.toDouble();
      c.tolerance = tol.toDouble();
      c.unit = o.value(QLatin1String("unit")).toString();
      c.explain = TwoLanguages(o, "explain", line, true);
    } else {
      Problem(line, Say("知らないチェック「%1」です").arg(kind));
    }
    return c;
  }
};

}  // namespace

QString Words::Shown() const {
  return CurrentLanguage() == Language::kEnglish && !en.isEmpty() ? en : ja;
}

QString Lesson::Beside(const QString& name) const {
  return name.isEmpty() ? QString() : QFileInfo(path).absolutePath() + QLatin1Char('/') + name;
}

QString Lesson::ScenePath(const QString& samplesFolder) const {
  if (scene.startsWith(QStringLiteral("./"))) return Beside(scene.mid(2));
  return QDir::cleanPath(samplesFolder + QLatin1Char('/') + scene);
}

std::optional<Lesson> ReadLesson(const QString& path, QStringList& problems) {
  const int before = static_cast<int>(problems.size());
  Reader r{QFileInfo(path).fileName(), QFileInfo(path).absolutePath(), problems};
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    r.Problem(0, Say("ファイルが開けません"));
    return std::nullopt;
  }
  if (file.size() > kMaxLessonBytes) {
    r.Problem(0, Say("レッスンのファイルとしては大きすぎます"));
    return std::nullopt;
  }
  const QByteArray text = file.readAll();
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError) {
    r.Problem(LineOfOffset(text, error.offset),
              Say("JSONとして読めません（%1）").arg(error.errorString()));
    return std::nullopt;
  }
  const QJsonObject root = doc.object();
  if (!doc.isObject() ||
      root.value(QLatin1String("format")).toString() != QLatin1String(kLessonFormat)) {
    r.Problem(1, Say("レッスンのファイルではありません（「format」が「%1」ではありません）")
                     .arg(QLatin1String(kLessonFormat)));
    return std::nullopt;
  }
  Lesson lesson;
  lesson.path = QFileInfo(path).absoluteFilePath();
  lesson.id = QFileInfo(path).completeBaseName();
  r.OnlyKnownKeys(root, {"format", "title", "age", "minutes", "picture", "scene", "steps"}, 1);
  lesson.title = r.TwoLanguages(root, "title", 1, true);
  lesson.age = root.value(QLatin1String("age")).toString();
  lesson.minutes = r.Whole(root, "minutes", 1, 600, 1);
  lesson.picture = r.Picture(root, 1);
  lesson.scene = root.value(QLatin1String("scene")).toString();
  // A scene among the samples or beside the lesson, never above either.
  if (lesson.scene.isEmpty() || lesson.scene.contains(QStringLiteral("..")) ||
      lesson.scene.startsWith(QLatin1Char('/')) || lesson.scene.contains(QLatin1Char('\\')) ||
      !lesson.scene.endsWith(QStringLiteral(".inf"), Qt::CaseInsensitive))
    r.Problem(1, Say("「%1」の値が正しくありません").arg(QStringLiteral("scene")));
  const QJsonArray steps = root.value(QLatin1String("steps")).toArray();
  if (steps.isEmpty()) r.Problem(1, Say("手順がひとつもありません"));
  const std::vector<int> lines = StepLines(text);
  for (qsizetype i = 0; i < steps.size(); ++i) {
    const int line = i < static_cast<qsizetype>(lines.size()) ? lines[static_cast<size_t>(i)] : 1;
    if (!steps[i].isObject()) {
      r.Problem(line, Say("「%1」の値が正しくありません").arg(QStringLiteral("steps")));
      continue;
    }
    const QJsonObject o = steps[i].toObject();
    r.OnlyKnownKeys(o, {"text", "hint", "picture", "check"}, line);
    Step s;
    s.line = line;
    s.text = r.TwoLanguages(o, "text", line, true);
    s.hint = r.TwoLanguages(o, "hint", line, false);
    s.picture = r.Picture(o, line);
    s.check = r.ReadCheck(o, line);
    lesson.steps.push_back(std::move(s));
  }
  if (problems.size() > before) return std::nullopt;
  return lesson;
}

std::vector<Lesson> LessonsIn(const QString& folder, QStringList& problems) {
  std::vector<Lesson> out;
  const QStringList names =
      QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
  for (const QString& name : names)
    if (auto lesson = ReadLesson(folder + QLatin1Char('/') + name, problems))
      out.push_back(std::move(*lesson));
  return out;
}

}  // namespace lumora::lessons
