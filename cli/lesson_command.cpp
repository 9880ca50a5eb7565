// lumora-cli lesson check: whether lesson files will play in the program.
#include <cstdio>

#include "cli/command.h"
#include "core/support/text.h"
#include "lessons/lesson.h"

namespace lumora::cli {
namespace {

int RunLesson(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError("lesson", args.error());
  if (args.positional().size() < 2 || args.positional()[0] != "check" || !args.Unknown({}).empty())
    return UsageError("lesson", "lesson check FILE.json [FILE.json ...] expected");
  bool allGood = true;
  for (size_t i = 1; i < args.positional().size(); ++i) {
    const std::string& path = args.positional()[i];
    QStringList problems;
    const auto lesson = lessons::ReadLesson(QString::fromStdString(path), problems);
    for (const QString& p : problems)
      std::fprintf(stderr, "%s\n", EscapeControlCharacters(p.toStdString()).c_str());
    if (lesson)
      std::printf("%s: %zu\n", EscapeControlCharacters(path).c_str(), lesson->steps.size());
    allGood = allGood && lesson.has_value();
  }
  return allGood ? kExitOk : kExitFailure;
}

Registrar reg("lesson", "lesson check FILE.json [FILE.json ...]",
              "Checks lesson files: their format, every check known, every picture present and "
              "every text in Japanese and English. Prints each good file with its number of "
              "steps; names the line of every problem.",
              RunLesson);

}  // namespace
}  // namespace lumora::cli
