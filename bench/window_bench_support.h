// What the benchmarks of the program's windows share: a big scene written
// once with the program's band writer, a user interface that answers every
// question with its first choice, and start-up options in a work folder.
#pragma once

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/imagefile/band_io.h"
#include "core/support/messenger.h"
#include "gui/app/kiri_app.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

inline constexpr int kBenchW = 7000, kBenchH = 6000;

// base.inf and three (or bands) 8-bit bands of a smooth field with some
// noise, as land looks, in 30..200 (noise from seed, the field moved by
// shift); settings holds the lines after LINE, PIXEL and SENSOR. Written once
// per machine; the settings path, or "" when it could not be written.
inline std::string BenchScene(const std::string& base, uint32_t seed, int shift,
                              const std::string& settings = {}, int bands = 3) {
  const std::string inf = base + ".inf";
  if (std::filesystem::exists(inf)) return inf;
  std::filesystem::create_directories(std::filesystem::path(base).parent_path());
  RecordingMessenger messenger;
  std::vector<uint8_t> row(kBenchW);
  uint32_t noise = seed;
  for (int band = 1; band <= bands; ++band) {
    BandWriter writer;
    if (!writer.Create(base + ".b0" + std::to_string(band))) return {};
    for (int y = 0; y < kBenchH; ++y) {
      for (int x = 0; x < kBenchW; ++x) {
        noise = noise * 1664525u + 1013904223u;
        row[x] =
            static_cast<uint8_t>(30 + (x / 50 + y / 40 + band * 20 + shift) % 150 + (noise >> 29));
      }
      writer.Write(row.data(), row.size());
    }
    if (!writer.Close(messenger)) return {};
  }
  BandWriter file;
  const std::string text = "LINE = 6000\nPIXEL = 7000\nSENSOR = 1\n" + settings;
  if (!file.Create(inf) || !file.Write(text.data(), text.size()) || !file.Close(messenger))
    return {};
  return inf;
}

// Opens the scene it is given and answers the welcome dialog with welcome,
// every other dialog with its first choice; nothing else is ever asked.
class BenchUi : public UiSeam {
 public:
  explicit BenchUi(int welcome) : m_welcome(welcome) {}
  QString scene;
  QString GetOpenFileName(QWidget*, const QString&, const QString&) override {
    return std::exchange(scene, QString());
  }
  QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  QStringList GetOpenFileNames(QWidget*, const QString&, const QString&) override { return {}; }
  QString GetExistingDirectory(QWidget*, const QString&) override { return {}; }
  int RunDialog(QDialog& dialog) override {
    if (m_dialogs++ == 0) return m_welcome;
    if (auto* ok = dialog.findChild<QAbstractButton*>(QStringLiteral("1"))) ok->click();
    return dialog.result();
  }

 private:
  int m_welcome;
  int m_dialogs = 0;
};

// The program's folders inside dir, no splash and no shown frame.
inline StartupOptions BenchOptions(const std::filesystem::path& dir) {
  StartupOptions o;
  o.lockFolder = QString::fromStdString((dir / "run").string());
  o.workFolder = QString::fromStdString((dir / "work/").string());
  o.homeFolder = QString::fromStdString((dir / "home").string());
  o.samplesFolder = QString::fromStdString(dir.string());
  o.splashMilliseconds = 0;
  o.showFrame = false;
  return o;
}

// The main of a window benchmark: Qt offscreen, the benchmark's options,
// then the program (made once, after the application object) at global
// while the benchmarks run.
template <class Program>
int RunWindowBenchmarks(int argc, char** argv, Program*& global) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Program program;
  global = &program;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  global = nullptr;
  return 0;
}

}  // namespace lumora::gui
