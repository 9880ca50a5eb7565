// A picture button that shows one of four pictures by state (up, down,
// hover, disabled) and lights up while the mouse is over it. Its text is the
// base name of its pictures; it cannot be worked from the keyboard.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

#include "core/support/messenger.h"

namespace lumora::gui {

class CMyBitmapButton : public QAbstractButton {
  Q_OBJECT
 public:
  CMyBitmapButton(int controlId, const QString& resourceBase, QWidget* parent);

  // Loads the pictures base + "U", "D", "F", "X"; fails when the up picture
  // is missing (the others are optional).
  bool Attach();
  void SetLatched(bool latched);
  bool Latched() const { return m_latched; }
  bool Hover() const { return m_hover; }
  int ControlId() const { return m_controlId; }
  // Which picture the next paint uses: 'U', 'D', 'F' or 'X'.
  char CurrentPicture() const;
  QSize sizeHint() const override;

 signals:
  // Left button went down inside the picture (the palette acts on the press).
  void pressedInside(int controlId);

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  int m_controlId;
  QPixmap m_up, m_down, m_hoverPic, m_disabled;
  bool m_hover = false;
  bool m_latched = false;
};

// Loads picture resource "name" (an SVG in the program's resources) at its
// own size; a null pixmap when missing.
QPixmap LoadPicture(const QString& name);

// Attaches the buttons, reporting 61292 for each one that fails.
void AttachButtons(std::initializer_list<CMyBitmapButton*> buttons, Messenger& messenger);

}  // namespace lumora::gui
