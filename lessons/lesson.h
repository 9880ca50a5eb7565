// A lesson: steps a pupil follows in the program, each ticked by a check
// from a fixed vocabulary (an action the program reports, or a question with
// its answer), read from a JSON file with Japanese and English texts side by
// side. A lesson describes; it never runs code. The format is described in
// docs/lessons.md.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace lumora::lessons {

inline constexpr const char* kLessonFormat = "lumora-lesson 1";

// A text in both languages; Shown() gives the one of the interface.
struct Words {
  QString ja;
  QString en;
  QString Shown() const;
  bool Empty() const { return ja.isEmpty() && en.isEmpty(); }
};

enum class CheckKind {
  kRead,         // nothing to do: the pupil goes on
  kOpen,         // opened the lesson's scene
  kComposition,  // the scene shown with these bands (red, green, blue; or one band)
  kZoom,         // magnified to at least this many percent
  kTool,         // used a tool (dn, ruler, region, spectrum) inside an area of the image
  kKept,         // kept a processing step (filter, ndvi, math, classify, dem, brightness)
  kClasses,      // drew training areas for at least this many classes
  kPins,         // pinned at least this many spectra
  kChoice,       // answered a question by choosing
  kNumber,       // answered a question with a number within a tolerance
};

struct Check {
  CheckKind kind = CheckKind::kRead;
  int red = 0, green = 0, blue = 0;  // kComposition: 0 = any; a grey band has all three equal
  int percent = 0;                   // kZoom
  QString tool;                      // kTool: dn, ruler, region, spectrum
  std::optional<QRect> area;         // kTool: 0-based source pixels; none = anywhere
  QString step;                      // kKept: filter, ndvi, math, classify, dem, brightness
  int count = 0;                     // kClasses, kPins
  std::vector<Words> options;        // kChoice
  int answer = -1;                   // kChoice: the right option, 0-based
  double value = 0.0;                // kNumber
  double tolerance = 0.0;            // kNumber: |answer - value| <= tolerance is right
  QString unit;                      // kNumber: shown after the field ("km")
  Words explain;                     // questions: said after the answer
};

struct Step {
  Words text;
  Words hint;
  QString picture;  // a file beside the lesson file, or empty
  Check check;
  int line = 0;  // where the step starts in the file, for messages
};

struct Lesson {
  QString path;  // the lesson file
  QString id;    // its name without ".json"
  Words title;
  QString age;  // "10-12"
  int minutes = 0;
  QString picture;
  QString scene;  // relative to the samples folder, or "./..." beside the lesson
  std::vector<Step> steps;

  // The picture's or scene's full path: beside the lesson file, or for the
  // scene in the samples folder.
  QString Beside(const QString& name) const;
  QString ScenePath(const QString& samplesFolder) const;
};

// Reads and checks a lesson file. On failure returns nullopt and the
// problems, each naming the line ("lesson.json:12: ..."), in the interface
// language. Every check must be known, every picture present, and every text
// there in both languages.
std::optional<Lesson> ReadLesson(const QString& path, QStringList& problems);

// The lessons of a folder (*.json, sorted by name); files that do not read
// are left out and their problems added.
std::vector<Lesson> LessonsIn(const QString& folder, QStringList& problems);

}  // namespace lumora::lessons
