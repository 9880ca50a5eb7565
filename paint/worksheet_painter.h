// A lesson's worksheet on an A4 page: the lesson's title, the pupil's name,
// the date, every question with the answer given, and the pictures the
// steps produced. Drawn for the printer and for the PDF alike.
#pragma once

#include <QImage>
#include <QPainter>
#include <QString>
#include <vector>

namespace lumora::paint {

struct Worksheet {
  QString title;
  QString pupil;
  QString date;
  struct Answer {
    QString question;
    QString answer;
    bool right = false;
  };
  std::vector<Answer> answers;
  std::vector<QImage> pictures;
  // Captions in the interface language: "name", "date", "right", "try again".
  QString nameCaption, dateCaption, rightMark, wrongMark;
};

// Draws onto width x height device pixels (portrait A4 proportions).
void PaintWorksheet(QPainter& p, int width, int height, const Worksheet& sheet);

}  // namespace lumora::paint
