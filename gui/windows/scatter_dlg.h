// Scatter plot (32790): two bands of the image plotted against each other
// as a 256 x 256 density picture, which can be saved as JPEG or TIFF and
// printed on A4 with its title and axis captions.
#pragma once

#include <QDialog>
#include <QImage>
#include <QWidget>

#include "core/windows/scatter.h"
#include "paint/scatter_page_painter.h"

class QComboBox;
class QPushButton;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

enum ScatterControl {
  kIdScatterDlg = 143,
  kIdScatterPlot = 107,
  kIdScatterX = 109,
  kIdScatterY = 226,
  kIdScatterShow = 227,
  kIdScatterSave = 353,
  kIdScatterPrint = 354,
};

// Frame 107: the plot drawn 1:1 from its picture.
class CScatterPlot : public QWidget {
  Q_OBJECT
 public:
  // 256 pixels between the frame's edges.
  static constexpr int kSize = 258;
  explicit CScatterPlot(QWidget* parent);
  void SetPicture(QImage picture);
  const QImage& Picture() const { return m_picture; }
  // What the other windows point at: the cells of the region window's
  // pixels (lit up) and the pinned pixels (a cross in the pin's colour).
  struct Cross {
    int x = 0, y = 0;
    QColor colour;
  };
  void SetMarks(std::vector<bool> regionCells, std::vector<Cross> crosses);
  // A training class as an ellipse: its mean ± 2 standard deviations in the
  // two bands shown, in the class colour, so that overlaps are seen.
  struct Ellipse {
    double x = 0, y = 0;    // the mean, in band values
    double rx = 0, ry = 0;  // two standard deviations
    QColor colour;
  };
  void SetEllipses(std::vector<Ellipse> ellipses);
  const std::vector<Ellipse>& Ellipses() const { return m_ellipses; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QImage m_picture;
  std::vector<bool> m_regionCells;
  std::vector<Cross> m_crosses;
  std::vector<Ellipse> m_ellipses;
};

class CScatterDlg : public QDialog {
  Q_OBJECT
 public:
  CScatterDlg(CKiriApp& app, CKiriView& view);
  const ScatterCounts& Counts() const { return m_counts; }
  CScatterPlot* Plot() const { return m_plot; }
  // What the saved and printed page carries.
  paint::ScatterTexts PageTexts() const;

 private:
  void OnShow();
  void MarkLinkedPixels();
  // The classes of the land-cover dialog open on the view, as ellipses.
  void DrawClassEllipses();
  void OnSave();
  void OnPrint();

  CKiriApp& m_app;
  CKiriView& m_view;
  QComboBox* m_xCombo;
  QComboBox* m_yCombo;
  CScatterPlot* m_plot;
  QPushButton* m_save;
  QPushButton* m_print;
  int m_xBand = -1, m_yBand = -1;
  std::string m_xCaption, m_yCaption;  // the combos' texts at the last computation
  ScatterCounts m_counts;
};

// Runs the window modally in the analysis-window slot; nothing happens
// while another window holds the slot.
void ShowScatterPlot(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
