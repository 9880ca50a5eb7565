// Land-cover classification (32807): the modeless class list where each
// class gets a colour, a title and a training area dragged on the image,
// the class item dialog, and the class legend of a classification result.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QPointer>
#include <QStyledItemDelegate>
#include <vector>

#include "core/analysis/accuracy.h"
#include "core/analysis/class_areas.h"
#include "core/analysis/class_coaching.h"
#include "core/analysis/class_legend.h"
#include "core/analysis/group_edit.h"
#include "core/analysis/land_cover.h"
#include "gui/widgets/legend_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace lumora {
class ImageSession;
}

namespace lumora::gui {

class CKiriApp;
class CKiriView;
class UiSeam;

inline constexpr int kLandCoverTemplate = 264;
inline constexpr int kIdClassList = 234;
inline constexpr int kIdLandCoverBands = 195;
inline constexpr int kIdClassNew = 194;
inline constexpr int kIdClassChange = 158;
inline constexpr int kIdClassDelete = 198;
inline constexpr int kIdClassArea = 249;
inline constexpr int kIdClassOther = 330;
inline constexpr int kClassItemTemplate = 159;
inline constexpr int kIdClassColour = 255;
inline constexpr int kIdClassTitle = 256;
inline constexpr int kIdClassSpectra = 931;        // the legend's mean-spectra button
inline constexpr int kIdClassSpectraWindow = 932;  // and its window
inline constexpr int kClassLegendTemplate = 319;
inline constexpr int kIdClassCoach = 933;     // a light and its reason per class
inline constexpr int kIdClassPairs = 934;     // a light per pair of classes
inline constexpr int kIdClassSentence = 935;  // the pairs in one sentence
inline constexpr int kIdClassGroups = 936;    // "let the computer find groups"
inline constexpr int kGroupsTemplate = 937;   // its dialog
inline constexpr int kIdGroupCount = 938;
inline constexpr int kIdGroupSeed = 939;
inline constexpr int kIdClassCheckArea = 940;    // a check area for the selected class
inline constexpr int kIdClassChecks = 941;       // how many check areas there are
inline constexpr int kIdClassAreasShown = 942;   // the legend's class areas
inline constexpr int kIdGroupRename = 943;       // the legend's "name and colour" button
inline constexpr int kIdGroupMerge = 944;        // the legend's "merge" button
inline constexpr int kGroupMergeTemplate = 945;  // and its dialog
inline constexpr int kIdGroupMergeInto = 946;
inline constexpr int kIdGroupMergeOther = 947;
inline constexpr int kIdClassNamedGroups = 948;  // "use the named groups"
inline constexpr int kIdClassCheckHalf = 949;    // hold back every second training pixel
inline constexpr int kIdGroupsAsClasses = 950;   // the legend's "classify with these groups"

// The colour frame of the class item dialog: a click opens the colour chooser.
class CColourFrame : public QFrame {
  Q_OBJECT
 public:
  CColourFrame(UiSeam& ui, QColor colour, QWidget* parent);
  QColor Colour() const { return m_colour; }
  // What a click does (also reached with the space key).
  void Choose();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  UiSeam& m_ui;
  QColor m_colour;
};

class CClassItemDlg : public QDialog {
  Q_OBJECT
 public:
  CClassItemDlg(UiSeam& ui, QColor colour, const QString& title, QWidget* parent);
  QColor Colour() const { return m_frame->Colour(); }
  QString Title() const;

 private:
  CColourFrame* m_frame;
  QLineEdit* m_title;
};

class CLandCoverDlg : public QDialog {
  Q_OBJECT
 public:
  CLandCoverDlg(CKiriApp& app, CKiriView& view);
  ~CLandCoverDlg() override;

  const LandCoverList& List() const { return m_list; }
  QListWidget* ClassList() const { return m_classes; }
  // The coaching as shown: one piece of advice per class, every pair of
  // classes with statistics, and their tables.
  const std::vector<ClassAdvice>& Advice() const { return m_advice; }
  const std::vector<PairSeparability>& Pairs() const { return m_pairs; }
  // Each class's statistics over its area, in list order (none without one).
  const std::vector<ClassStatistics>& Stats() const { return m_stats; }
  QTableWidget* CoachTable() const { return m_coach; }
  QTableWidget* PairTable() const { return m_pairTable; }
  // The view's training-area selection ends here (source pixels).
  void AddTrainingArea(int top, int bottom, int right, int left);
  // The selected class's area as a closed outline in source pixels.
  bool SelectedOutline(std::vector<OutlinePoint>& outline) const {
    return m_list.SelectedOutline(outline);
  }

  void OnNew();
  void OnChange();
  void OnDelete();
  void OnArea();
  // Groups the computer finds (k-means) as a processing step, instead of classes.
  void OnGroups();
  // Each named group of a k-means result open in another window becomes a
  // class, with the largest square of its pixels as its training area.
  void OnNamedGroups();
  // The next dragged rectangle is a check area of the selected class: kept
  // apart from the training areas, it measures the result's accuracy.
  void OnCheckArea();
  const std::vector<ClassItem>& CheckAreas() const { return m_checks; }

 protected:
  void accept() override;
  void reject() override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Refill();
  // The lights again, from the statistics of each class's area (an area
  // keeps its statistics until it changes).
  void UpdateCoaching();
  // With a red light, whether the pupil wants the run all the same.
  bool RedLightsAccepted();
  void OnRowChanged(int row);
  // Areas with no more pixels than bands cannot give class statistics.
  bool TrainingAreasLargeEnough();
  // Runs the step; kept, the legend shows the result and the dialog closes.
  // With check areas, their accuracy opens in its window when the result is kept.
  void RunAndClose(const StepBody& body, const Accuracy* accuracy = nullptr);
  void Finish();

  CKiriApp& m_app;
  CKiriView& m_view;
  LandCoverList m_list;
  QListWidget* m_classes;
  QListWidget* m_bands;
  QTableWidget* m_coach;
  QTableWidget* m_pairTable;
  QLabel* m_sentence;
  std::vector<ClassAdvice> m_advice;
  std::vector<PairSeparability> m_pairs;
  std::vector<ClassStatistics> m_stats;
  struct CachedStatistics {
    int top, bottom, right, left;
    ClassStatistics stats;
  };
  std::vector<CachedStatistics> m_statsCache;
  std::vector<ClassItem> m_checks;  // titled like their class
  QLabel* m_checkCount;
  QCheckBox* m_checkHalf;
  bool m_running = false;
};

// A round light of the coaching tables, size pixels across.
QIcon LightIcon(Light light, int size = 14);

// Opens the dialog on the view unless a tool dialog is open or the view has one.
void OpenLandCoverDialog(CKiriApp& app, CKiriView& view);

// The legend of a classification result: number, colour and title of each
// class. The pupil names and colours a group and merges two groups here
// ("what is this? water"); each edit is a processing step on the result.
class CClassLegendDlg : public CLegendWindow {
  Q_OBJECT
 public:
  CClassLegendDlg(CKiriApp& app, CKiriView& view);
  const std::vector<LegendItem>& Items() const { return m_items; }
  QListWidget* List() const { return m_list; }
  bool DrawOnPage(QPainter& painter, const LegendPagePlacement& place,
                  Messenger& messenger) const override;

  // The window of the classes' mean spectra (± one standard deviation) over
  // the image they were drawn on; nullptr before the button was pressed or
  // when they could not be had (the reason was shown).
  QWidget* SpectraWindow() const { return m_spectra; }
  void ShowSpectra();
  // Each row with its class's pixels, area and share of the image (read
  // from the result once, when first shown), or the titles alone; the map
  // page's legend follows.
  void ShowAreas(bool shown);
  // The selected group's name and colour through the class item dialog.
  void OnRename();
  // Two groups become one through the merge dialog.
  void OnMerge();
  // The picture the groups were found in, opened again in a window of its
  // own with the land-cover dialog and the named groups as its classes.
  void OnGroupsAsClasses();

 private:
  void RunEdit(const GroupEdit& edit);

  CKiriApp& m_app;
  CKiriView& m_view;
  const ImageSession& m_session;
  Messenger& m_messenger;
  std::vector<LegendItem> m_items;
  std::vector<ClassArea> m_areas;
  bool m_areasShown = false;  // on the page too
  QListWidget* m_list;
  QPointer<QWidget> m_spectra;
};

}  // namespace lumora::gui
