// Land-cover classes and the classification legend file (.mlk): the class
// list a user builds from training areas, its file form, the bands each
// sensor classifies, and the classification run over a file set.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/view/processing_step.h"

namespace lumora {

// One land-cover class. The training area's right column and bottom row are
// not part of it; (0, 0)-(0, 0) means no area yet.
struct ClassItem {
  uint8_t red = 0, green = 0, blue = 0;
  int32_t top = 0, bottom = 0, right = 0, left = 0;
  std::string title;  // UTF-8

  bool HasArea() const { return top != 0 || bottom != 0 || right != 0 || left != 0; }
};

// Result band numbers of the blue, green and red class colour planes.
inline constexpr int kClassPlaneNumbers[3] = {1, 2, 3};
// Their descriptions (files keep them Japanese).
inline constexpr const char* kClassPlaneTexts[3] = {
    "土地被覆分類データ　青", "土地被覆分類データ　緑", "土地被覆分類データ　赤"};

// Longest title (in CP932 bytes) a class line keeps, so that the whole line
// still fits the 128-byte buffer it is read back with.
inline constexpr size_t kMaxClassTitleBytes = 90;

// "%3d %3d %3d %5d %5d %5d %5d %s" with the title in CP932, no line break.
std::string FormatClassLine(const ClassItem& item);
// Reads a class line back by fixed columns; the title runs from column 36
// to the end, without the line break.
ClassItem ParseClassLine(std::string_view line);

// Area text of a class list row: "(%4d,%4d)-(%4d,%4d)" with 1-based left,
// top, right and bottom, or four zeros for a class without an area.
std::string AreaText(const ClassItem& item);

// The bands a sensor classifies, from the bands an image has (in order):
// ASTER up to band 9, Landsat TM without band 6 and beyond 7, MSS up to 4.
std::vector<int> SelectClassifiedBands(int sensor, const std::vector<int>& bands);
// The same over the 8-bit band files of an image.
std::vector<int> ClassifiedBandsOf(const std::string& settingsPath, int sensor);

// Whole legend file text: plane numbers, the bands used, the classes.
std::string FormatLandCoverFile(const std::vector<int>& bands,
                                const std::vector<ClassItem>& classes);
// Writes it; 61289 when it cannot be created.
bool WriteLandCoverFile(const std::string& path, const std::vector<int>& bands,
                        const std::vector<ClassItem>& classes, Messenger& messenger);

// Walks a legend file's text as the class dialog and the legend window read
// it: three lines, the band count n, n lines, the class count m, then m
// class lines, each handed to onClassLine. False when the text ends early.
// Counts never size anything: a huge count only reads to the end.
bool ForEachClassLine(std::string_view text,
                      const std::function<void(const std::string&)>& onClassLine);

// Class lines of a legend file's text as the class dialog reads them:
// three lines, the band count n, n lines, the class count m, m class lines.
// False when the text ends early; the classes read completely stay in out.
// Counts never size anything: a huge count only reads to the end.
bool ParseLandCoverClasses(std::string_view text, std::vector<ClassItem>& out);
// Reads base + ".mlk" into the class list. A missing file leaves the list
// empty without a message; a short one reports 61417 and keeps the classes
// read completely. extension ".mck": the check areas saved beside them, in
// the same form (each area titled like the class it shows).
void LoadLandCoverClasses(const std::string& settingsPath, std::vector<ClassItem>& out,
                          Messenger& messenger, const char* extension = ".mlk");

// What the classification run needs beyond the step's source.
struct ClassificationParams {
  std::vector<int> bands;  // band numbers used (8-bit band files)
  std::vector<ClassItem> classes;
  // Stop instead of writing an all-black result when no class is usable.
  bool requireUsableClass = false;
  // Every second training sample is held back to check the result
  // (CheckAccuracy) and takes no part in the class statistics.
  bool holdBackHalf = false;
  // Check areas, saved beside the legend file (".mck") when there are any.
  std::vector<ClassItem> checks;
};

// The classification run: deletes targetBase.*, copies the .dem and .lev
// companions, classifies into three colour planes with their descriptions
// and writes targetBase.mlk (and targetBase.mck with the check areas).
// Fills result with the new file state.
bool RunClassification(const StepSource& source, const std::string& targetBase,
                       const ClassificationParams& params, StepResult& result, Messenger& messenger,
                       Progress& progress);

// The class list of the land-cover dialog, without the window: rows,
// selection, and the row that the next dragged training area goes to.
struct OutlinePoint {
  int x = 0, y = 0;
};

class LandCoverList {
 public:
  // Bands of the image that its sensor classifies (8-bit band files) and
  // the classes saved beside the settings file, if any.
  void Load(const std::string& settingsPath, int sensor, Messenger& messenger);

  const std::vector<ClassItem>& Classes() const { return m_classes; }
  const std::vector<int>& Bands() const { return m_bands; }
  int Selected() const { return m_selected; }
  void Select(int row) { m_selected = row >= 0 && row < Count() ? row : -1; }
  int Count() const { return static_cast<int>(m_classes.size()); }

  // A new class without an area at the end of the list.
  void Add(uint8_t red, uint8_t green, uint8_t blue, const std::string& title);
  // A whole class, area and all, at the end of the list.
  void Add(ClassItem item) { m_classes.push_back(std::move(item)); }
  // Colour and title of a row; false for a row that is not there.
  bool Change(int row, uint8_t red, uint8_t green, uint8_t blue, const std::string& title);
  // Removes the selected row (the selection then goes).
  bool RemoveSelected();
  // The area button: the next training area goes to the selected row.
  bool ArmArea();
  // A dragged rectangle (rows top..bottom, columns left..right) for the row
  // armed; false when none is.
  bool AddTrainingArea(int top, int bottom, int right, int left);
  // The selected class's area as a closed outline: (left, top), (left,
  // bottom), (right, bottom), (right, top), (left, top).
  bool SelectedOutline(std::vector<OutlinePoint>& outline) const;

  ClassificationParams Params() const {
    ClassificationParams params;
    params.bands = m_bands;
    params.classes = m_classes;
    return params;
  }

 private:
  std::vector<ClassItem> m_classes;
  std::vector<int> m_bands;
  int m_selected = -1;
  int m_armed = -1;
};

// The run as a processing step.
StepBody MakeClassificationStep(ClassificationParams params);
// What every classification-like step returns: a colour result of the size given.
void SetClassifiedResult(StepResult& result, int width, int height);

// Copies source base + each extension to target base + the same extension
// when the source opens; 61280 when a copy fails.
bool CopyCompanions(const std::string& sourceBase, const std::string& targetBase,
                    const std::vector<std::string>& extensions, Messenger& messenger);

}  // namespace lumora
