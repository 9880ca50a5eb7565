#include "gui/widgets/ui_seam.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "core/support/file_handle.h"
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

QString WithWriteFailure(const QString& text) {
  const WriteFailure f = TakeWriteFailure();
  if (f.path.empty()) return text;
  QString out = text + QStringLiteral("\n\n") + ToQ(f.path);
  if (f.error) out += QLatin1Char('\n') + ToQ(SystemErrorText(f.error));
  return out;
}

namespace {

// File names in a box are shown as they are, never read as markup.
int Box(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preferred) {
  QMessageBox box(icon, title, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(preferred);
  return box.exec();
}

}  // namespace

void GuiMessenger::ShowMessage(int id) {
  const QString text = QString::fromUtf8(MessageText(id));
  Box(Parent(), QMessageBox::Warning, kAppTitle, IsWriteMessage(id) ? WithWriteFailure(text) : text,
      QMessageBox::Ok, QMessageBox::Ok);
}

void GuiMessenger::ShowText(const std::string& title, const std::string& text) {
  Box(Parent(), QMessageBox::Warning, Shown(title), WithWriteFailure(Shown(text)), QMessageBox::Ok,
      QMessageBox::Ok);
}

bool GuiMessenger::AskOkCancel(int id) {
  return Box(Parent(), QMessageBox::Question, kAppTitle, QString::fromUtf8(MessageText(id)),
             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

bool GuiMessenger::AskYesNo(const std::string& title, const std::string& text) {
  return Box(Parent(), QMessageBox::Question, Shown(title), Shown(text),
             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

QColor UiSeam::GetColor(QWidget*, const QColor&) { return {}; }

QColor QtUiSeam::GetColor(QWidget* parent, const QColor& initial) {
  return QColorDialog::getColor(initial, parent);
}

}  // namespace lumora::gui
