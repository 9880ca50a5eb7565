#include "core/support/messenger.h"

#include "core/support/string_table.h"

namespace lumora {

void RecordingMessenger::ShowMessage(int id) { entries.push_back({id, "", MessageText(id)}); }

void RecordingMessenger::ShowText(const std::string& title, const std::string& text) {
  entries.push_back({0, title, text});
}

bool RecordingMessenger::AskOkCancel(int id) {
  entries.push_back({id, "", MessageText(id)});
  return NextAnswer();
}

bool RecordingMessenger::AskYesNo(const std::string& title, const std::string& text) {
  entries.push_back({0, title, text});
  return NextAnswer();
}

bool RecordingMessenger::Has(int id) const {
  for (const auto& e : entries)
    if (e.id == id) return true;
  return false;
}

bool RecordingMessenger::NextAnswer() {
  if (answers.empty()) return defaultAnswer;
  bool a = answers.front();
  answers.erase(answers.begin());
  return a;
}

}  // namespace lumora
