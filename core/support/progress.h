// Progress reporting for long operations. Core counts and decides when the
// shown fraction changes; a window (or a terminal bar) only paints it.
#pragma once

#include <string>

namespace lumora {

class Messenger;

// Paints a progress state. Implemented by the progress window and the
// command-line tool's bar; the null sink paints nothing.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void Open(const std::string& text) = 0;
  // Called on every SetProgress, with the fraction now shown.
  virtual void Paint(float fraction, const std::string& text) = 0;
  virtual void Close() = 0;
};

// The update rule of the progress dialog: with interval n the shown value
// changes only when more than n calls have passed since the last change.
class ProgressCounter {
 public:
  void Create(int interval, std::string text);
  // Returns true when the shown fraction took the new value.
  bool SetProgress(float fraction);
  float Fraction() const { return m_fraction; }
  int Percent() const { return static_cast<int>(m_fraction * 100); }
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
  float m_fraction = 0.0f;
  int m_interval = 0;
  int m_count = 0;
};

// A progress counter bound to a sink; the object long operations call.
class Progress {
 public:
  explicit Progress(ProgressSink* sink = nullptr) : m_sink(sink) {}
  ~Progress() { Close(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Create(int interval, const std::string& text);
  void SetProgress(float fraction);
  void Close();
  // Closes the window, then shows message id; false, for returning.
  bool Fail(Messenger& messenger, int id);
  const ProgressCounter& Counter() const { return m_counter; }

 private:
  ProgressSink* m_sink;
  ProgressCounter m_counter;
  bool m_open = false;
};

// Opens a progress window for a scope and closes it on every way out.
class ProgressScope {
 public:
  ProgressScope(Progress& progress, int interval, const std::string& text) : m_progress(progress) {
    progress.Create(interval, text);
  }
  ~ProgressScope() { m_progress.Close(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  Progress& m_progress;
};

}  // namespace lumora
