// Two dates of one place on a printed page: the earlier picture above the
// later one, each as large as half the page allows, with its date beneath.
#pragma once

#include <QImage>
#include <QRectF>
#include <string>

class QPainter;

namespace lumora::paint {

// Where a picture of width x height is drawn on the page's upper (0) or
// lower (1) half, in device pixels (the page scale k of PageScale).
QRectF ComparePictureRect(double k, int which, int width, int height);

void PaintComparePage(QPainter& p, int width, int height, const std::string& title,
                      const QImage& earlier, const std::string& earlierDate, const QImage& later,
                      const std::string& laterDate);

}  // namespace lumora::paint
