// The confirm and cancel buttons at the foot of a dialog (ids 1 and 2).
#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "gui/widgets/control_ids.h"

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

}  // namespace lumora::gui
