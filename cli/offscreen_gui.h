// Drawing with Qt's painter needs a QGuiApplication; the offscreen platform
// needs no display. Qt's own notes (no runtime folder and the like) stay off
// stderr. Only commands that draw pages create one.
#pragma once

#include <QGuiApplication>
#include <cstdio>

namespace lumora::cli {

class OffscreenGui {
 public:
  OffscreenGui() : m_app(Prepare(m_argc), m_argv) {}

 private:
  static int& Prepare(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
      if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    return argc;
  }
  int m_argc = 1;
  char m_name[11] = "lumora-cli";
  char* m_argv[2] = {m_name, nullptr};
  QGuiApplication m_app;
};

}  // namespace lumora::cli
