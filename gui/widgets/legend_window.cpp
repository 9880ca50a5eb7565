#include "gui/widgets/legend_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "gui/widgets/language.h"

namespace lumora::gui {

CLegendWindow::CLegendWindow(QWidget* owner, int templateId)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint) {
  setObjectName(QString::number(templateId));
  setWindowTitle(translate("CLegendWindow", "凡例"));
  setAttribute(Qt::WA_DeleteOnClose);
  // A legend never takes the keyboard away from the image.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
}

void CLegendWindow::SetShown(bool shown) {
  if (!shown) {
    hide();
    return;
  }
  if (!m_placed) {
    m_placed = true;
    adjustSize();
    QPoint at(0, 0);
    if (QWidget* owner = parentWidget()) at = owner->frameGeometry().topRight() + QPoint(4, 0);
    QRect screen(0, 0, 1280, 1024);
    if (const QScreen* s = QGuiApplication::screenAt(at) ? QGuiApplication::screenAt(at)
                                                         : QGuiApplication::primaryScreen())
      screen = s->availableGeometry();
    // Beside the image when there is room, else inside the screen's right edge.
    at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() - width())));
    at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() - height())));
    move(at);
  }
  show();
  raise();
}

void CLegendWindow::SetInFront(bool inFront) {
  if (m_inFront == inFront) return;
  m_inFront = inFront;
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, inFront);  // hides the window
  if (visible) show();
}

void CLegendWindow::Dispose() {
  hide();
  deleteLater();
}

void CLegendWindow::DrawOnScreen(QPainter&) {}

void CLegendWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DrawOnScreen(p);
}

void CLegendWindow::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  if (e->isAccepted()) emit closedByUser();
}

}  // namespace lumora::gui
