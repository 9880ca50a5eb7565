#include "gui/widgets/ui_seam.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "core/support/string_table.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

namespace {
const QString kAppTitle = QStringLiteral("Lumora Zud's");
}

QString ToQ(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}
std::string FromQ(const QString& text) { return text.toUtf8().toStdString(); }

QString QtUiSeam::GetOpenFileName(QWidget* parent, const QString& folder, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, QString(), folder, filter, nullptr,
                                      QFileDialog::ReadOnly);
}

QStringList QtUiSeam::GetOpenFileNames(QWidget* parent, const QString& folder,
                                       const QString& filter) {
  return QFileDialog::getOpenFileNames(parent, QString(), folder, filter, nullptr,
                                       QFileDialog::ReadOnly);
}

QString QtUiSeam::GetExistingDirectory(QWidget* parent, const QString& folder) {
  return QFileDialog::getExistingDirectory(parent, QString(), folder);
}

QString SuffixOfFilter(const QString& nameFilter) {
  static const QRegularExpression kFirstSuffix(QStringLiteral("\\*\\.(\\w+)"));
  return kFirstSuffix.match(nameFilter).captured(1);
}

void PrepareSaveDialog(QFileDialog& dialog) {
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(SuffixOfFilter(dialog.selectedNameFilter()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& f) { dialog.setDefaultSuffix(SuffixOfFilter(f)); });
}

QString QtUiSeam::GetSaveFileName(QWidget* parent, const QString& folder,
                                  const QString& initialName, const QString& filter) {
  QFileDialog dialog(parent, QString(), folder, filter);
  PrepareSaveDialog(dialog);
  if (!initialName.isEmpty()) dialog.selectFile(initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

int QtUiSeam::RunDialog(QDialog& dialog) { return dialog.exec(); }

void QtUiSeam::Beep() { QApplication::beep(); }

QWidget* GuiMessenger::Parent() const {
  QWidget* w = m_provider ? m_provider() : nullptr;
  return w ? w : m_parent;
}

void GuiMessenger::ShowMessage(int id) {
  QMessageBox::warning(Parent(), kAppTitle, QString::fromUtf8(MessageText(id)));
}

void GuiMessenger::ShowText(const std::string& title, const std::string& text) {
  QMessageBox::warning(Parent(), Shown(title), Shown(text));
}

bool GuiMessenger::AskOkCancel(int id) {
  return QMessageBox::question(Parent(), kAppTitle, QString::fromUtf8(MessageText(id)),
                               QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Ok) == QMessageBox::Ok;
}

bool GuiMessenger::AskYesNo(const std::string& title, const std::string& text) {
  return QMessageBox::question(Parent(), Shown(title), Shown(text),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

QColor UiSeam::GetColor(QWidget*, const QColor&) { return {}; }

QColor QtUiSeam::GetColor(QWidget* parent, const QColor& initial) {
  return QColorDialog::getColor(initial, parent);
}

}  // namespace lumora::gui
