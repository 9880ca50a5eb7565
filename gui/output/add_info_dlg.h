// The annotation settings of an image window: which of title, grid, scale
// bar, north mark and legend the map page shows, their fonts, colours and
// places; the title text dialog and the three position dialogs. (No
// Q_OBJECT: they need no signals of their own, and moc would put core's map
// layout beside the legend layouts in one file.)
#pragma once

#include <QDialog>

#include "core/output/map_layout.h"
#include "gui/widgets/control_ids.h"
#include "paint/map_page_painter.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace lumora::gui {

class UiSeam;

// The settings a view keeps for its map page.
struct PageSettings {
  AnnotationSettings annotations;
  paint::PageStyle style = paint::DefaultPageStyle();
};

// Dialog 266: the title text, several lines.
class CTitleDlg : public QDialog {
 public:
  CTitleDlg(const std::string& text, QWidget* parent);
  // The text with lines separated by "\r\n".
  std::string Text() const;
  QPlainTextEdit* Edit() const { return m_edit; }

 private:
  QPlainTextEdit* m_edit;
};

// A sketch of the print area with one radio button per place; OK keeps the
// chosen code.
class CPositionDlg : public QDialog {
 public:
  int Code() const;
  void SetCode(int code);
  // The radio button of a code (object name "place" + code).
  QPushButton* OkButton() const { return m_ok; }

 protected:
  struct Place {
    int code;
    const char* text;
    int row, column;  // in a 3 x 3 sketch of the page
  };
  CPositionDlg(int id, const QString& prompt, std::initializer_list<Place> places, int code,
               QWidget* parent);

 private:
  QButtonGroup* m_group;
  QPushButton* m_ok = nullptr;
};

class CScalePosDlg : public CPositionDlg {
 public:
  CScalePosDlg(int code, QWidget* parent);
};

class CNorthPosDlg : public CPositionDlg {
 public:
  CNorthPosDlg(int code, QWidget* parent);
};

class CLegendPosDlg : public CPositionDlg {
 public:
  CLegendPosDlg(int code, QWidget* parent);
};

// Dialog 256. hasReference: grid and scale bar can be offered; hasLegend:
// the image has a legend window. dpi: the screen's, for chosen fonts.
class CAddInfoDlg : public QDialog {
 public:
  CAddInfoDlg(UiSeam& ui, const PageSettings& settings, bool hasReference, bool hasLegend, int dpi,
              QWidget* parent);
  // The choices as they stand (after OK: as accepted).
  PageSettings Settings() const;

 private:
  void ChooseFont(QFont& font);
  void ChooseColour(QColor& colour, QPushButton* swatch);
  void PaintSwatch(QPushButton* swatch, const QColor& colour);

  UiSeam& m_ui;
  PageSettings m_settings;
  int m_dpi;
  QCheckBox* m_title;
  QCheckBox* m_grid;
  QComboBox* m_step;
  QCheckBox* m_scale;
  QComboBox* m_length;
  QCheckBox* m_north;
  QComboBox* m_size;
  QCheckBox* m_legend;
};

}  // namespace lumora::gui
