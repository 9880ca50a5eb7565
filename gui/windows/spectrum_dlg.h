// The spectrum window: the values of one pixel in every band of the image
// drawn against wavelength, following the mouse over the active image
// window, with up to six pinned pixels that carry a colour and a name the
// pupil types. The chart is saved as PNG or JPEG, the values as CSV, and
// printed on A4 by the shared painter.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "core/windows/spectrum.h"
#include "gui/output/print_preview.h"
#include "paint/spectrum_painter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

inline constexpr int kMaxPins = 6;

class CSpectrumChart : public QWidget {
  Q_OBJECT
 public:
  explicit CSpectrumChart(QWidget* parent);
  void SetData(const std::vector<SpectrumBand>* bands, std::vector<paint::SpectrumSeries> series);
  const std::vector<paint::SpectrumSeries>& Series() const { return m_series; }
  QSize sizeHint() const override { return {560, 380}; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  const std::vector<SpectrumBand>* m_bands = nullptr;
  std::vector<paint::SpectrumSeries> m_series;
};

class CSpectrumDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CSpectrumDlg(CKiriApp& app);

  // The view whose pixels are shown; the band files are opened again when
  // it or its file set changed. False (with a message) when they cannot be.
  bool Bind(CKiriView& view);
  CKiriView* BoundView() const { return m_view; }
  // The mouse is over source pixel (x, y) of the view, or left the image
  // (x < 0): the live line follows while "follow the mouse" is ticked.
  void Follow(CKiriView& view, int x, int y);
  // Pins source pixel (x, y) of the view; refused beyond six pins.
  bool AddPin(CKiriView& view, int x, int y);
  void RemovePin(int index);
  // The pins of the bound view changed elsewhere (zoom keeps them; a new
  // view or file set reads them again).
  void RefreshPins();

  const std::vector<SpectrumBand>& Bands() const { return m_sampler.Bands(); }
  // The live line (if any) and the pins, as drawn.
  const std::vector<paint::SpectrumSeries>& Series() const { return m_chart->Series(); }
  const std::vector<double>& LiveValues() const { return m_live; }
  // The CSV of the pins (the live line when nothing is pinned).
  std::string Csv() const;

 private:
  void SetView(CKiriView& view);
  void Redraw();
  void RebuildPinRows();
  void OnSavePicture();
  void OnSaveCsv();
  void OnPrint();
  std::vector<paint::SpectrumSeries> PinSeries() const;

  CKiriApp& m_app;
  QPointer<CKiriView> m_view;
  std::string m_path;
  SpectrumSampler m_sampler;
  std::vector<double> m_live;
  std::string m_liveName;
  std::vector<std::vector<double>> m_pinValues;
  CSpectrumChart* m_chart;
  QLabel* m_hint;
  QCheckBox* m_follow;
  QVBoxLayout* m_pinRows;
  std::vector<QWidget*> m_rows;
};

// The spectrum window of the program (made on first use, kept while open);
// nullptr before.
CSpectrumDlg* SpectrumWindow(CKiriApp& app);
// Shows it for the view.
void ShowSpectrumWindow(CKiriApp& app, CKiriView& view);

// Asks for a CSV file named like initialName and writes content into it.
void SaveCsv(CKiriApp& app, QWidget* parent, const CKiriView& view, const QString& initialName,
             const std::string& content);
// A page of an analysis window on A4: the print dialog, then the page
// titled by the window's name and the image's.
void PrintAnalysisPage(CKiriApp& app, QWidget* parent, const CKiriView& view,
                       const char* windowName,
                       const std::function<void(QPainter&, int, int, const std::string&)>& draw);

// A file for the user to name (the dialog starts in the image's folder);
// empty when cancelled.
QString ChooseOutputFile(CKiriApp& app, QWidget* parent, const CKiriView& view,
                         const QString& initialName, const QString& filter);
// Writes content there through a temporary beside it, never over a file of
// the image shown; false after saying why.
bool WriteOutputFile(CKiriApp& app, const CKiriView& view, const QString& path,
                     const std::string& content);

}  // namespace lumora::gui
