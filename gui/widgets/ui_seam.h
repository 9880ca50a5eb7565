// The seams between the program's flows and the user: message boxes (core's
// Messenger), file dialogs and modal dialogs. The program answers through
// Qt's windows; tests answer from a script so that no flow ever blocks.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "core/support/messenger.h"

class QDialog;
class QFileDialog;
class QWidget;

namespace lumora::gui {

class UiSeam {
 public:
  virtual ~UiSeam() = default;
  // Empty when the user cancels.
  virtual QString GetOpenFileName(QWidget* parent, const QString& folder,
                                  const QString& filter) = 0;
  virtual QString GetSaveFileName(QWidget* parent, const QString& folder,
                                  const QString& initialName, const QString& filter) = 0;
  // Several files at once; empty when the user cancels.
  virtual QStringList GetOpenFileNames(QWidget* parent, const QString& folder,
                                       const QString& filter) = 0;
  // A folder; empty when the user cancels.
  virtual QString GetExistingDirectory(QWidget* parent, const QString& folder) = 0;
  // Runs a modal dialog and returns its result code.
  virtual int RunDialog(QDialog& dialog) = 0;
  virtual void Beep() {}
  // The colour chooser; an invalid colour when the user cancels.
  virtual QColor GetColor(QWidget* parent, const QColor& initial);
};

// The real thing: Qt's file dialogs and exec().
// The first suffix a name filter lists ("Tiff Files (*.tif)" gives "tif").
QString SuffixOfFilter(const QString& nameFilter);
// A save dialog whose name gets the suffix of the filter chosen in it.
void PrepareSaveDialog(QFileDialog& dialog);

class QtUiSeam : public UiSeam {
 public:
  QString GetOpenFileName(QWidget* parent, const QString& folder, const QString& filter) override;
  QString GetSaveFileName(QWidget* parent, const QString& folder, const QString& initialName,
                          const QString& filter) override;
  QStringList GetOpenFileNames(QWidget* parent, const QString& folder,
                               const QString& filter) override;
  QString GetExistingDirectory(QWidget* parent, const QString& folder) override;
  int RunDialog(QDialog& dialog) override;
  void Beep() override;
  QColor GetColor(QWidget* parent, const QColor& initial) override;
};

// Message boxes titled with the program's name.
class GuiMessenger : public Messenger {
 public:
  explicit GuiMessenger(QWidget* parent = nullptr) : m_parent(parent) {}
  void SetParent(QWidget* parent) { m_parent = parent; }
  // Asked before every box: the window the message concerns (the box is
  // centred over it); the fixed parent when it answers nullptr.
  void SetParentProvider(std::function<QWidget*()> provider) { m_provider = std::move(provider); }
  void ShowMessage(int id) override;
  void ShowText(const std::string& title, const std::string& text) override;
  bool AskOkCancel(int id) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

 private:
  QWidget* Parent() const;
  QWidget* m_parent;
  std::function<QWidget*()> m_provider;
};

// The text with, when a write failed since the last box, the file and the
// system's reason on lines of their own (the failure is then taken).
QString WithWriteFailure(const QString& text);

QString ToQ(const std::string& utf8);
std::string FromQ(const QString& text);

}  // namespace lumora::gui
