#include "core/support/progress.h"

#include <utility>

#include "core/support/messenger.h"

namespace lumora {

void ProgressCounter::Create(int interval, std::string text) {
  m_interval = interval;
  m_text = std::move(text);
  m_count = 0;
  m_fraction = 0.0f;
}

bool ProgressCounter::SetProgress(float fraction) {
  const int before = m_count;
  m_count = before + 1;
  if (before > m_interval) {
    m_count = 0;
    m_fraction = fraction;
    return true;
  }
  return false;
}

void Progress::Create(int interval, const std::string& text) {
  m_counter.Create(interval, text);
  m_open = true;
  if (m_sink) m_sink->Open(text);
}

void Progress::SetProgress(float fraction) {
  m_counter.SetProgress(fraction);
  // The sink hears of every call and repaints what visibly changed.
  if (m_sink && m_open) m_sink->Paint(m_counter.Fraction(), m_counter.Text());
}

void Progress::Close() {
  if (m_open && m_sink) m_sink->Close();
  m_open = false;
}

bool Progress::Fail(Messenger& messenger, int id) {
  Close();
  messenger.ShowMessage(id);
  return false;
}

}  // namespace lumora
