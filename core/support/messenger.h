// The one seam through which core reports failures and asks the user.
#pragma once

#include <string>
#include <vector>

namespace lumora {

class Messenger {
 public:
  virtual ~Messenger() = default;
  // A message from the string table in a box with an OK button.
  virtual void ShowMessage(int id) = 0;
  // A literal text with a title (the encoders report this way).
  virtual void ShowText(const std::string& title, const std::string& text) = 0;
  // Questions; true for OK / Yes.
  virtual bool AskOkCancel(int id) = 0;
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
};

// Records every message and answers questions from a script; used by the
// command-line tool (answers: always the default) and by tests.
class RecordingMessenger : public Messenger {
 public:
  struct Entry {
    int id = 0;  // 0 for literal texts
    std::string title;
    std::string text;
  };

  void ShowMessage(int id) override;
  void ShowText(const std::string& title, const std::string& text) override;
  bool AskOkCancel(int id) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

  // Answers given to the next questions, in order; when they run out the
  // default answer is used.
  std::vector<bool> answers;
  bool defaultAnswer = true;
  std::vector<Entry> entries;

  bool Has(int id) const;
  int LastId() const { return entries.empty() ? 0 : entries.back().id; }

 private:
  bool NextAnswer();
};

}  // namespace lumora
