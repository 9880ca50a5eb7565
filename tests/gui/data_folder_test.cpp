// Where the program looks for its sample scenes and help pages: below the
// install prefix when installed, beside itself in the build tree.
#include <gtest/gtest.h>

#include <QString>
#include <QWidget>
#include <filesystem>

#include "gui/app/kiri_app.h"
#include "tests/support/temp_dir.h"

namespace lumora::gui {
namespace {

TEST(DataFolder, InstalledBelowThePrefixElseBesideTheProgram) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "usr/bin");
  std::filesystem::create_directories(dir.path() / "usr/share/lumora/help/ja");
  std::filesystem::create_directories(dir.path() / "build/bin/help");
  // An installed tree without help pages is not taken for the data folder.
  std::filesystem::create_directories(dir.path() / "half/bin");
  std::filesystem::create_directories(dir.path() / "half/share/lumora/samples");
  const QString data = QStringLiteral("../share/lumora");
  struct Case {
    std::string program;
    QString fromProgram;
    std::string expected;
  } cases[] = {
      {"usr/bin", data, "usr/share/lumora"},
      {"build/bin", data, "build/bin"},
      {"half/bin", data, "half/bin"},
      {"usr/bin", QString(), "usr/bin"},
  };
  for (const Case& c : cases) {
    const QString program = QString::fromStdString(dir / c.program);
    EXPECT_EQ(StartupOptions::DataFolder(program, c.fromProgram).toStdString(), dir / c.expected)
        << c.program;
  }
}

}  // namespace
}  // namespace lumora::gui
