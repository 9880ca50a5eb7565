// The buttons at the foot of a dialog: confirm and cancel (ids 1 and 2), or
// an analysis window's save, print and close.
#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

inline QHBoxLayout* OkCancelRow(QDialog* dialog, const QString& okText, const QString& cancelText) {
  auto* ok = new QPushButton(okText, dialog);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  auto* cancel = new QPushButton(cancelText, dialog);
  SetControlId(cancel, kIdCancel);
  // accept() and reject() are virtual: a dialog's own checks run.
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

// A button of a window that stays open beside the image: named for tests,
// and never the default, so that Return in the window presses nothing.
inline QPushButton* WindowButton(QWidget* parent, const char* name, const QString& text) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

// "CSVで保存...", "印刷..." and "閉じる" on the right of a row; the caller
// connects the first two.
inline QHBoxLayout* CsvPrintCloseRow(QDialog* dialog, QPushButton*& csv, QPushButton*& print) {
  csv = WindowButton(dialog, "saveCsv", translate("CRegionDlg", "CSVで保存..."));
  print = WindowButton(dialog, "print", translate("CRegionDlg", "印刷..."));
  QPushButton* close = WindowButton(dialog, "close", translate("CRegionDlg", "閉じる"));
  QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* b : {csv, print, close}) row->addWidget(b);
  return row;
}

}  // namespace lumora::gui
