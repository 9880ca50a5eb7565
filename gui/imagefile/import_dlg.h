// The import dialog of the File menu: a satellite product (Landsat 8/9
// Collection 2, Sentinel-2 Level-2A) or GeoTIFF files brought in as a file
// set. The user sees the bands found and a small preview, chooses the area,
// the size and the output, and the import runs with the progress window;
// the dialog closes only when the new set is complete.
#pragma once

#include <QDialog>
#include <QImage>
#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "importer/scene_import.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace lumora::gui {

class UiSeam;

class CImportDlg : public QDialog {
  Q_OBJECT
 public:
  // startFolder: where the file choosers start.
  CImportDlg(UiSeam& ui, Messenger& messenger, const QString& startFolder,
             QWidget* parent = nullptr);

  // Chooses the inputs as the file or folder chooser would: inspects them,
  // lists their bands, shows the preview and proposes an output name.
  // False (message shown, previous choice kept) when they cannot be read.
  bool ChooseInputs(const std::vector<std::string>& inputs);
  // The settings files of the open pictures, offered as grids to put the
  // product on (a later date of the same place).
  void OfferGrids(const std::vector<std::string>& settingsPaths);

  // The options the controls describe.
  importer::ImportOptions Options() const;
  // FOLDER/NAME.inf of the set to write; empty while no name is given.
  std::string OutputPath() const;
  const importer::ProductSummary& Summary() const { return m_summary; }
  const QImage& Preview() const { return m_preview; }

 public slots:
  // Runs the import; closes the dialog only when the set was written.
  void accept() override;

 private:
  void OnChooseFiles();
  void OnChooseFolder();
  void OnChooseOutputFolder();
  void UpdateEnabling();
  void MakePreview();

  UiSeam& m_ui;
  Messenger& m_messenger;
  QString m_startFolder;
  std::vector<std::string> m_inputs;
  importer::ProductSummary m_summary;
  QImage m_preview;

  QLineEdit* m_source;
  QLabel* m_facts;
  QTreeWidget* m_bands;
  QLabel* m_previewLabel;
  QRadioButton* m_whole;
  QRadioButton* m_part;
  QRadioButton* m_onGrid;  // on the grid of an open picture
  QComboBox* m_grid;
  QComboBox* m_resample;
  QSpinBox* m_area[4];  // left, top, width, height
  QCheckBox* m_shrink;
  QSpinBox* m_maxWidth;
  QSpinBox* m_maxHeight;
  QCheckBox* m_keep16;
  QComboBox* m_sensor;
  QLineEdit* m_folder;
  QLineEdit* m_name;
};

}  // namespace lumora::gui
