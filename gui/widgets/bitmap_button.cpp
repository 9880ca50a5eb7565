#include "gui/widgets/bitmap_button.h"

#include <QFile>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>

#include "core/support/string_table.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"

// The pictures are compiled into the static GUI library; register them
// before the first use.
static void InitPictures() { Q_INIT_RESOURCE(lumora); }

namespace lumora::gui {

namespace {

// The words drawn in the pictures, for lupdate; in English each <text> of a
// picture is replaced by its translation before the picture is drawn.
[[maybe_unused]] const char* const kPictureTexts[] = {
    QT_TRANSLATE_NOOP("Pictures", "ようこそ！"),
    QT_TRANSLATE_NOOP("Pictures", "どちらにするか えらんでね"),
    QT_TRANSLATE_NOOP("Pictures", "うちゅうから ちきゅうを みてみよう"),
    QT_TRANSLATE_NOOP("Pictures", "画像をみる"),
    QT_TRANSLATE_NOOP("Pictures", "しょうがくせい"),
    QT_TRANSLATE_NOOP("Pictures", "画像を処理する"),
    QT_TRANSLATE_NOOP("Pictures", "ちゅうがくせい"),
    QT_TRANSLATE_NOOP("Pictures", "植生指数"),
    QT_TRANSLATE_NOOP("Pictures", "土地被覆分類"),
    QT_TRANSLATE_NOOP("Pictures", "バンド計算"),
    QT_TRANSLATE_NOOP("Pictures", "凡例表示"),
    QT_TRANSLATE_NOOP("Pictures", "凡例非表示"),
    QT_TRANSLATE_NOOP("Pictures", "ナチュラル"),
    QT_TRANSLATE_NOOP("Pictures", "トゥルー"),
    QT_TRANSLATE_NOOP("Pictures", "フォルス"),
};

QString Attribute(const QString& tag, const QString& name) {
  const QRegularExpression re(QStringLiteral("\\b%1=\"([^\"]*)\"").arg(name));
  return re.match(tag).captured(1);
}

// The opening tag of a text with its font made smaller where the words would
// run into the picture's frame (English words are often wider than the
// Japanese ones the picture was drawn for): they keep 4 units from each side.
QString FittedTag(const QString& tag, const QString& words, double pictureWidth) {
  const double x = Attribute(tag, QStringLiteral("x")).toDouble();
  const double size = Attribute(tag, QStringLiteral("font-size")).toDouble();
  const QString anchor = Attribute(tag, QStringLiteral("text-anchor"));
  const double inset = 4.0;
  const double room = anchor == QStringLiteral("middle") ? 2.0 * std::min(x, pictureWidth - x)
                      : anchor == QStringLiteral("end")  ? x
                                                         : pictureWidth - x;
  if (size <= 0.0 || room <= 2.0 * inset) return tag;
  QFont font;
  QStringList families;
  for (const QString& f : Attribute(tag, QStringLiteral("font-family")).split(','))
    families << f.trimmed();
  font.setFamilies(families);
  font.setPointSizeF(size);  // as the picture renderer sets it
  font.setBold(Attribute(tag, QStringLiteral("font-weight")) == QStringLiteral("bold"));
  const double width = QFontMetricsF(font).horizontalAdvance(words);
  const double available = room - (anchor == QStringLiteral("middle") ? 2.0 : 1.0) * inset;
  if (width <= available) return tag;
  const double fitted = std::floor(size * available / width * 10.0) / 10.0;
  QString out = tag;
  out.replace(QStringLiteral("font-size=\"%1\"").arg(Attribute(tag, QStringLiteral("font-size"))),
              QStringLiteral("font-size=\"%1\"").arg(fitted));
  return out;
}

QByteArray InProgramLanguage(QByteArray svg) {
  if (CurrentLanguage() != Language::kEnglish) return svg;
  QString text = QString::fromUtf8(svg);
  static const QRegularExpression kSvg(QStringLiteral("<svg[^>]*>"));
  const double pictureWidth =
      Attribute(kSvg.match(text).captured(0), QStringLiteral("width")).toDouble();
  static const QRegularExpression kText(QStringLiteral("(<text[^>]*>)([^<]*)(</text>)"));
  QString out;
  qsizetype last = 0;
  for (auto it = kText.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    const QByteArray words = m.captured(2).toUtf8();
    const QString english = translate("Pictures", words.constData());
    if (english == m.captured(2)) continue;  // not a text of the table
    out += QStringView(text).mid(last, m.capturedStart(1) - last);
    out += FittedTag(m.captured(1), english, pictureWidth);
    out += english.toHtmlEscaped();
    last = m.capturedEnd(2);
  }
  out += QStringView(text).mid(last);
  return out.toUtf8();
}

}  // namespace

QPixmap LoadPicture(const QString& name) {
  static const bool registered = (InitPictures(), true);
  (void)registered;
  QFile file(QStringLiteral(":/pictures/%1.svg").arg(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QSvgRenderer svg(InProgramLanguage(file.readAll()));
  if (!svg.isValid()) return {};
  QPixmap pixmap(svg.defaultSize());
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  svg.render(&p);
  return pixmap;
}

void AttachButtons(std::initializer_list<CMyBitmapButton*> buttons, Messenger& messenger) {
  for (CMyBitmapButton* b : buttons)
    if (!b->Attach()) messenger.ShowMessage(kMsgResourceFailed);
}

CMyBitmapButton::CMyBitmapButton(int controlId, const QString& resourceBase, QWidget* parent)
    : QAbstractButton(parent), m_controlId(controlId) {
  setObjectName(QString::number(controlId));
  setText(resourceBase);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
}

bool CMyBitmapButton::Attach() {
  m_up = LoadPicture(text() + 'U');
  if (m_up.isNull()) return false;
  m_down = LoadPicture(text() + 'D');
  m_hoverPic = LoadPicture(text() + 'F');
  m_disabled = LoadPicture(text() + 'X');
  setFixedSize(m_up.size());
  update();
  return true;
}

void CMyBitmapButton::SetLatched(bool latched) {
  m_latched = latched;
  setDown(false);
  update();
}

char CMyBitmapButton::CurrentPicture() const {
  if (!isEnabled() && !m_disabled.isNull()) return 'X';
  if ((isDown() || isChecked() || m_latched) && !m_down.isNull()) return 'D';
  if (m_hover && !m_hoverPic.isNull()) return 'F';
  return 'U';
}

QSize CMyBitmapButton::sizeHint() const { return m_up.isNull() ? QSize(40, 27) : m_up.size(); }

void CMyBitmapButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  switch (CurrentPicture()) {
    case 'X': p.drawPixmap(0, 0, m_disabled); break;
    case 'D': p.drawPixmap(0, 0, m_down); break;
    case 'F': p.drawPixmap(0, 0, m_hoverPic); break;
    default:
      if (!m_up.isNull()) {
        p.drawPixmap(0, 0, m_up);
      } else {  // no pictures: still usable
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.drawText(rect(), Qt::AlignCenter, text());
      }
  }
}

void CMyBitmapButton::enterEvent(QEnterEvent* e) {
  m_hover = true;
  update();
  QAbstractButton::enterEvent(e);
}

void CMyBitmapButton::leaveEvent(QEvent* e) {
  m_hover = false;
  update();
  QAbstractButton::leaveEvent(e);
}

void CMyBitmapButton::mousePressEvent(QMouseEvent* e) {
  m_hover = false;
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
    switch (m_controlId) {
      case kIdHideLegends:
      case kIdShowLegends:
      case kIdPaletteVegetation:
      case kIdPaletteClassify:
      case kIdPaletteDem:
      case kIdPaletteBandMath: emit pressedInside(m_controlId); return;
      default: break;
    }
  }
  QAbstractButton::mousePressEvent(e);
}

void CMyBitmapButton::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space: e->accept(); return;
    default: QAbstractButton::keyPressEvent(e);
  }
}

}  // namespace lumora::gui
