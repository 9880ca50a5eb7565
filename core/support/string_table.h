// Message texts of the program, looked up by their resource ids.
#pragma once

#include <string>

namespace lumora {

// Ids of the messages the program shows.
enum MessageId : int {
  kMsgProfileCreateFailed = 61226,
  kMsgNoMemory = 61233,
  kMsgOpenFailed = 61234,
  kMsgSizeMismatch = 61264,
  kMsgA4Only = 61270,
  kMsgWorkingFileInUse = 61273,
  kMsgBadInf = 61274,
  kMsgBitmapFailed = 61278,
  kMsgCopyFailed = 61280,
  kMsgTempDirFailed = 61281,
  kMsgNorthMarkFailed = 61282,
  kMsgAlreadyRunning = 61283,
  kMsgConfirmResult = 61285,
  kMsgNoDem = 61287,
  kMsgBadDem = 61288,
  kMsgCreateFailed = 61289,
  kMsgDeleteFailed = 61290,
  kMsgError = 61291,
  kMsgResourceFailed = 61292,
  // Messages of our own, for situations the original program did not guard against.
  kMsgBadImageSize = 61400,
  kMsgImageTooLarge = 61401,
  kMsgUnsafeWorkDir = 61402,
  kMsgSampleFolderFailed = 61450,
  kMsgSampleBadOptions = 61452,
  kMsgBadNdvFile = 61416,
  kMsgBadMlkFile = 61417,
  kMsgClassesLeftOut = 61420,
  kMsgClassNoArea = 61421,
  kMsgClassTooFewSamples = 61422,
  kMsgClassSingular = 61423,
  kMsgClassAreaOutside = 61424,
  kMsgClassNoMemory = 61425,
  kMsgNoGroundScale = 61426,
  kMsgDemBirdsEyeOnly = 61427,
  kMsgDemOfBirdsEye = 61428,
  kMsgAreaOutsideImage = 61440,
  kMsgBandFileShort = 61441,
  kMsgPresetOtherSensor = 61442,
  kMsgPresetMissingBands = 61443,  // %s: the band numbers
  // Import of satellite products and elevation models.
  kMsgImportCannotOpen = 61460,
  kMsgImportNoProduct = 61461,
  kMsgImportMissingBands = 61462,
  kMsgImportGridMismatch = 61463,
  kMsgImportGeographic = 61464,
  kMsgImportNoGeoref = 61465,
  kMsgImportTooLarge = 61466,
  kMsgImportAreaOutside = 61467,
  kMsgImportNotWritable = 61468,
  kMsgImportReadFailed = 61469,
  kMsgImportTurned = 61470,
  kMsgImportDemExists = 61471,
  kMsgImportDemOutside = 61472,
  kMsgImportSceneNoGeoref = 61473,
  kMsgImportReplace = 61474,
  kMsgImportDemNoValues = 61475,
  kMsgImportNoValues = 61476,
  kMsgImportDemAllSea = 61477,
  kMsgImportNotNorthUp = 61478,
  kMsgImportCutToOverlap = 61479,
  kMsgImportAssumedTm = 61480,
  kMsgImportNoSpace = 61481,
  // Replacing a file set.
  kMsgReplacementKept = 61490,
  kMsgMathUnavailable = 61510,
  kMsgMathAllUndefined = 61511,
  kMsgMathConstant = 61512,
  // Detail on zoom.
  kMsgNoFullDetail = 61530,
  // Coaching, clusters and accuracy of the land-cover classification.
  kMsgCoachGood = 61570,
  kMsgCoachEmpty = 61571,
  kMsgCoachOutside = 61572,
  kMsgCoachTooFew = 61573,  // %d bands, %d pixels
  kMsgCoachFew = 61574,     // %d pixels
  kMsgCoachSingular = 61575,
  kMsgCoachNearlyFlat = 61576,
  kMsgCoachSameName = 61577,
  kMsgCoachSameColour = 61578,
  kMsgPairEasy = 61580,   // %s, %s: class titles
  kMsgPairAlike = 61581,  // %s, %s: class titles
  kMsgKMeansBadK = 61585,
  kMsgKMeansConstantBand = 61586,  // %d: band number
  kMsgKMeansFewColours = 61587,    // %d, %d: groups
  kMsgCheckOutside = 61590,        // %s: class title
  kMsgCheckNoTraining = 61591,     // %s: class title
  kMsgCheckNone = 61592,
  kMsgAccuracyRight = 61593,    // %lld check pixels, %lld right, %d per 100
  kMsgAccuracyMixedUp = 61594,  // %s, %s: class titles
  kMsgAccuracyNoMistake = 61595,
  kMsgGroupNotThere = 61596,     // %d: group number
  kMsgGroupColourTaken = 61597,  // %s: the group that has it
  kMsgGroupColourBlack = 61598,
  kMsgGroupMergeSelf = 61599,
  kMsgGroupNoTitle = 61600,
  kMsgNoNamedGroups = 61601,
};

// The languages the program speaks; Japanese is the default and the reference.
enum class Language { kJapanese, kEnglish };

// The language of every text shown to the user. The program and lumora-cli
// choose it once at start; files written never depend on it.
void SetLanguage(Language language);
Language CurrentLanguage();

// The text of a message id (UTF-8) in the current or the given language; an
// unknown id gives the generic error text.
const char* MessageText(int id);
const char* MessageText(int id, Language language);

// A fixed text core shows apart from the messages (a title, a progress text,
// a filter's name or summary) in the current language: its English when the
// language is English and the table knows the text, the text itself otherwise.
const char* ShownText(const char* japanese);
std::string ShownText(const std::string& japanese);

// Why the system refused a file (an errno value) in the current language:
// the reasons a user can act on in the program's words, others as the
// system words them.
std::string SystemErrorText(int error);

// Whether a message says that a file could not be written, made or removed:
// its box or line then names the file and the system's reason when a write
// failure is pending.
bool IsWriteMessage(int id);

// The language the locale asks for: the first set of LC_ALL, LC_MESSAGES and
// LANG (pass their values, null when unset); English when it starts with "en",
// Japanese otherwise.
Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);

// Title of the confirmation asked after every processing step.
inline constexpr const char* kConfirmTitle = "確認";

// Title of the messages about replacing a file set.
inline constexpr const char* kReplacementTitle = "ファイルの置き換え";

// Title of the messages of the import.
inline constexpr const char* kImportTitle = "取り込み";

}  // namespace lumora
