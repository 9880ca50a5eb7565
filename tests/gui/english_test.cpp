// The program in English. Every window, dialog, menu and tool bar shows no
// Japanese text and none cut off; every Japanese text of the sources has its
// English (the translation file for the program, the tables of core for core
// and lumora-cli); a missing or damaged translation file leaves it Japanese.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>

#include "core/imagefile/band_catalogue.h"
#include "core/shell/command_rules.h"
#include "core/support/file_handle.h"
#include "gui/analysis/dem_setting_dlg.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/app/help_dlg.h"
#include "gui/app/welcome_dlg.h"
#include "gui/view/dn_value_dlg.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/windows/region_dlg.h"
#include "gui/windows/spectrum_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

QString Translations() { return QCoreApplication::applicationDirPath() + "/translations"; }
QString SourceRoot() { return QStringLiteral(LUMORA_TEST_DATA "/../.."); }

bool HasJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x9fff) || (u >= 0xff00 && u <= 0xffef)) return true;
  }
  return false;
}

// Each language is offered by its own name.
bool LanguageName(const QString& text) { return text == QStringLiteral("日本語"); }

// Every text a menu shows, its submenus' too.
void WalkMenu(const QString& where, QMenu& menu, QStringList& japanese) {
  if (HasJapanese(menu.title())) japanese << where + " menu: " + menu.title();
  for (QAction* a : menu.actions()) {
    for (const QString& t : {a->text(), a->toolTip(), a->statusTip()})
      if (HasJapanese(t) && !LanguageName(t)) japanese << where + " " + a->objectName() + ": " + t;
    if (a->menu()) WalkMenu(where, *a->menu(), japanese);
  }
}

// Every text the window and its children show, with where it was found;
// texts of widgets narrower than they need are listed as cut off.
void Walk(QWidget& window, QStringList& japanese, QStringList& cutOff) {
  auto check = [&](const QString& where, const QString& text) {
    if (HasJapanese(text) && !LanguageName(text)) japanese << where + ": " + text;
  };
  check(window.objectName() + " title", window.windowTitle());
  QList<QWidget*> widgets = window.findChildren<QWidget*>();
  widgets.prepend(&window);
  for (QWidget* w : widgets) {
    const QString name = QString::fromLatin1(w->metaObject()->className()) + " " + w->objectName();
    check(name + " tip", w->toolTip());
    check(name + " status", w->statusTip());
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (auto* browser = qobject_cast<QTextBrowser*>(w)) text = browser->toPlainText();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) text = edit->toPlainText();
    if (auto* group = qobject_cast<QGroupBox*>(w)) text = group->title();
    if (auto* combo = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < combo->count(); ++i) check(name + " item", combo->itemText(i));
    check(name, text);
    if (!text.isEmpty() && !qobject_cast<QTextBrowser*>(w) && !qobject_cast<QPlainTextEdit*>(w) &&
        w->isVisible() && w->width() < w->minimumSizeHint().width())
      cutOff << name + ": " + text;
    if (auto* menu = qobject_cast<QMenu*>(w)) WalkMenu(name, *menu, japanese);
    for (QAction* a : w->actions())
      for (const QString& t : {a->text(), a->toolTip(), a->statusTip()})
        check(name + " action " + a->objectName(), t);
  }
}

class EnglishTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(InstallTranslation(Language::kEnglish, Translations()));
  }
  void TearDown() override {
    InstallTranslation(Language::kJapanese, {});
    GuiTest::TearDown();
  }

  // Walks the window now on screen under name.
  void Look(const QString& name, QWidget& window) {
    window.show();
    QCoreApplication::processEvents();
    Walk(window, japanese[name], cutOff[name]);
    seen << name;
  }
  // A script that looks at a modal dialog and then answers it.
  DialogScript LookThen(const QString& name, DialogScript answer = Answer(QDialog::Rejected)) {
    return [this, name, answer](QDialog& d) {
      Look(name, d);
      return answer(d);
    };
  }

  QMap<QString, QStringList> japanese, cutOff;
  QStringList seen;
};

TEST_F(EnglishTest, EveryWindowSpeaksEnglishWithNothingCutOff) {
  ASSERT_TRUE(Start(289));
  Frame().show();
  Look("main frame", Frame());
  const std::string inf = WriteScene(dir, "e", 40, 30, 4, 1);
  // Bands described as the program describes them, shown in English.
  for (const auto& [band, text] :
       {std::pair{1, "TM バンド1 青 0.45-0.52μm"}, std::pair{2, "TM バンド2 緑 0.52-0.60μm"},
        std::pair{3, "TM バンド3 赤 0.63-0.69μm"}, std::pair{4, "TM バンド4 近赤外 0.76-0.90μm"}})
    ASSERT_TRUE(WriteBandDescription(dir / "e", band, text));
  ASSERT_TRUE(Open(inf, LookThen("composition", [](QDialog& d) { return Click(d, 1); })));
  Look("main frame with an image", Frame());
  for (QAction* a : Frame().menuBar()->actions())
    if (a->menu()) WalkMenu("menu bar", *a->menu(), japanese["menus"]);

  const struct {
    int command;
    const char* name;
  } dialogs[] = {{kCmdFilter, "filter"},         {kCmdVegetation, "vegetation index"},
                 {kCmdBrightness, "brightness"}, {kCmdImageInfo, "image information"},
                 {kCmdScatter, "scatter plot"},  {kCmdAbout, "about"},
                 {kCmdBandMath, "band maths"}};
  for (const auto& d : dialogs) {
    ui.dialogs.push_back(LookThen(d.name));
    app->OnCommand(d.command);
  }
  // The classification, a window of its own, and its dialog of a new class.
  app->OnCommand(kCmdClassify);
  CLandCoverDlg* classes = View()->LandCoverDialog();
  ASSERT_NE(classes, nullptr);
  Look("classification", *classes);
  ui.dialogs.push_back(LookThen("class item"));
  Click(*classes, kIdClassNew);
  classes->close();
  ui.saveNames.push_back(QString::fromStdString(dir / "e.jpg"));
  ui.dialogs.push_back(LookThen("jpeg quality"));
  app->OnCommand(kCmdExport);

  app->OnCommand(kCmdDnValue);
  ASSERT_NE(app->DnWindow(), nullptr);
  Look("dn values", *app->DnWindow());
  app->OnCommand(kCmdSpectrum);
  ASSERT_NE(SpectrumWindow(*app), nullptr);
  Look("spectrum", *SpectrumWindow(*app));
  ASSERT_TRUE(ShowRegionWindow(*app, *View(), RectangleRegion(2, 2, 10, 8)));
  Look("region", *RegionWindow(*app));
  app->OnCommand(kCmdHelpIndex);
  auto* help = Frame().findChild<CHelpDlg*>();
  ASSERT_NE(help, nullptr);
  Look("help", *help);
  EXPECT_TRUE(help->findChild<QTextBrowser*>()->toPlainText().contains("How to use"));

  // The annotations of the map page with their title and place dialogs, and the preview.
  ui.dialogs.push_back(LookThen("annotations", [this](QDialog& d) {
    ui.dialogs.push_back(LookThen("title"));
    Click(d, kIdTitleText);
    Find<QAbstractButton>(d, kIdNorthShown)->setChecked(true);
    ui.dialogs.push_back(LookThen("place"));
    Click(d, kIdNorthPlace);
    return Click(d, 1);
  }));
  app->OnCommand(kCmdAnnotation);
  ui.dialogs.push_back(
      LookThen("print preview", [](QDialog& d) { return Click(d, kIdPreviewClose); }));
  app->OnCommand(kCmdPrintPreview);

  // The elevation model of a sample scene, and its legend.
  View()->CloseFrame();
  ASSERT_TRUE(OpenTmSample(dir / "tm/dem.inf", "48x32", 5));
  ui.dialogs.push_back(LookThen("dem settings", [](QDialog& d) {
    Click(d, kDemRadioRelative);
    return Click(d, 1);
  }));
  app->OnCommand(kCmdDem);
  ASSERT_NE(View()->LegendWindow(), nullptr);
  Look("dem legend", *View()->LegendWindow());

  CWelcomeDlg welcome(messenger);
  Look("welcome", welcome);
  CProgressDlg progress;
  progress.Open("処理中");
  Look("progress", progress);
  progress.Close();

  // The unsaved result asks before its window closes.
  ui.dialogs.push_back(LookThen("save before close", Answer(QMessageBox::No)));
  View()->CloseFrame();

  for (const QString& name : seen) {
    EXPECT_TRUE(japanese[name].isEmpty()) << name.toStdString() << "\n"
                                          << japanese[name].join('\n').toStdString();
    EXPECT_TRUE(cutOff[name].isEmpty()) << name.toStdString() << "\n"
                                        << cutOff[name].join('\n').toStdString();
  }
  EXPECT_TRUE(japanese["menus"].isEmpty()) << japanese["menus"].join('\n').toStdString();
  EXPECT_EQ(seen.size(), 26) << seen.join(", ").toStdString();
}

// The translation file by context|source: every text of it translated, none
// left Japanese.
QMap<QString, QString> TranslatedTexts(QStringList& faults) {
  QFile file(SourceRoot() + "/gui/resources/translations/lumora_en.ts");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QMap<QString, QString> texts;
  QString context, source;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QStringLiteral("name")) {
      context = xml.readElementText();
    } else if (xml.name() == QStringLiteral("source")) {
      source = xml.readElementText();
    } else if (xml.name() == QStringLiteral("translation")) {
      const bool unfinished = !xml.attributes().value("type").isEmpty();
      const QString english = xml.readElementText();
      if (unfinished || english.isEmpty() || HasJapanese(english))
        faults << context + ": " + source + " -> " + english;
      texts.insert(context + '|' + source, english);
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return texts;
}

// The Japanese string literals of a source file, adjacent pieces joined and
// escapes undone; comments are skipped.
QStringList JapaneseLiterals(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString s = QString::fromUtf8(file.readAll());
  QStringList out;
  QString joined;
  bool open = false;  // joined holds a literal that may go on
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == '/' && i + 1 < s.size() && (s[i + 1] == '/' || s[i + 1] == '*')) {
      const bool line = s[i + 1] == '/';
      const qsizetype end = s.indexOf(line ? QStringLiteral("\n") : QStringLiteral("*/"), i + 2);
      i = end < 0 ? s.size() : end + (line ? 0 : 1);
      continue;
    }
    if (c == '\'') {  // a character literal
      i = s.indexOf('\'', i + (s[i + 1] == '\\' ? 3 : 2));
      continue;
    }
    if (c == '"') {
      if (!open) joined.clear();
      for (++i; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] != '\\') {
          joined += s[i];
          continue;
        }
        const QChar e = s[++i];
        joined += e == 'n' ? QChar('\n') : e == 't' ? QChar('\t') : e == 'r' ? QChar('\r') : e;
      }
      open = true;
      continue;
    }
    if (c.isSpace()) continue;
    if (open && HasJapanese(joined)) out << joined;
    open = false;
  }
  return out;
}

QStringList SourceFiles(const QString& folder) {
  QStringList files;
  QDirIterator it(SourceRoot() + "/" + folder, {"*.cpp", "*.h"}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  return files;
}

TEST(Translation, EveryJapaneseTextHasItsEnglish) {
  QStringList faults;
  const QMap<QString, QString> translated = TranslatedTexts(faults);
  EXPECT_GT(translated.size(), 170);
  QSet<QString> program;
  for (const QString& key : translated.keys()) program << key.section('|', 1);
  // The words drawn in the pictures.
  const QRegularExpression svgText(QStringLiteral("<text[^>]*>([^<]*)</text>"));
  QDirIterator pictures(SourceRoot() + "/gui/resources/pictures", {"*.svg"}, QDir::Files);
  while (pictures.hasNext()) {
    QFile svg(pictures.next());
    if (!svg.open(QIODevice::ReadOnly)) continue;
    for (auto it = svgText.globalMatch(QString::fromUtf8(svg.readAll())); it.hasNext();) {
      const QString words = it.next().captured(1);
      if (HasJapanese(words) && !translated.contains("Pictures|" + words))
        faults << svg.fileName().mid(SourceRoot().size()) + ": " + words;
    }
  }
  // Texts that stay as they are in English: font names, each language's own
  // name and the note said in the language chosen, the widest caption the
  // information window measures its tab stop with.
  const QSet<QString> kept = {
      QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("日本語"),
      QStringLiteral("次に起動したときから，日本語で表示します．"),
      QStringLiteral("１ピクセル当たりの長さ　"),
      // the name of a printed document, also in the files lumora-cli writes
      QStringLiteral("Lumora Zud's イメージ"),
      // Qt's own texts, given in Japanese only to the Japanese program
      QStringLiteral("フォルダ"), QStringLiteral("ドライブ"), QStringLiteral("エイリアス"),
      QStringLiteral("ショートカット"), QStringLiteral("不明")};
  SetLanguage(Language::kEnglish);
  auto coreKnows = [](const QString& text) {
    const std::string utf8 = text.toStdString();
    return ShownText(utf8) != utf8;
  };
  // tr() would look its text up under the class's namespaced name, which
  // lupdate does not always see; every text names its context.
  const QRegularExpression bareTr(QStringLiteral(R"((?<![\w:.>])tr\()"));
  for (const QString& file : SourceFiles("gui")) {
    QFile source(file);
    if (source.open(QIODevice::ReadOnly) &&
        bareTr.match(QString::fromUtf8(source.readAll())).hasMatch())
      faults << file.mid(SourceRoot().size()) + ": tr() instead of translate()";
  }
  for (const QString& file : SourceFiles("gui"))
    for (const QString& text : JapaneseLiterals(file))
      if (!program.contains(text) && !kept.contains(text) && !coreKnows(text))
        faults << file.mid(SourceRoot().size()) + ": " + text;

  // Core, the painters and lumora-cli: the message table and the table of
  // shown texts. Texts written into files (band descriptions, the captions
  // of pages and plots, a PDF's title) stay Japanese in both languages; the
  // image information and the classification report have English branches
  // of their own.
  const QStringList written = {"ASTER バンド",
                               "TM バンド",
                               "MSS バンド",
                               "土地被覆分類データ",
                               "標高データ　",
                               "バンド",
                               " バンド%d",
                               "陰影画像",
                               "鳥瞰画像",
                               "植生指数データ",
                               "フィルタ済み画像データ",
                               "散布図\r\n",
                               "N100ﾟ",
                               "%c%3dﾟ",
                               "海",
                               "Lumora Zud's イメージ",
                               "%2d %s：%s",
                               "グループ%d"};
  QSet<QString> messages;
  for (int id = 0; id < 65536; ++id)
    messages << QString::fromUtf8(MessageText(id, Language::kJapanese));
  for (const char* folder : {"core", "cli", "paint", "importer"})
    for (const QString& file : SourceFiles(folder)) {
      if (file.endsWith("string_table.cpp") || file.endsWith("image_info.cpp")) continue;
      for (const QString& text : JapaneseLiterals(file))
        if (!messages.contains(text) && !coreKnows(text) &&
            std::none_of(written.begin(), written.end(), [&](const QString& w) {
              return w.size() > 1 ? text.startsWith(w) : text == w;
            }))
          faults << file.mid(SourceRoot().size()) + ": " + text;
    }
  SetLanguage(Language::kJapanese);
  EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
}

TEST(Translation, MissingOrDamagedFileLeavesTheProgramJapaneseAndWriteFailuresSayWhy) {
  ::lumora::test::TempDir dir;
  EXPECT_FALSE(InstallTranslation(Language::kEnglish, QString::fromStdString(dir / "none")));
  EXPECT_EQ(CurrentLanguage(), Language::kJapanese);
  ::lumora::test::WriteFile(dir / "lumora_en.qm", std::string(64, '\x3c'));
  EXPECT_FALSE(InstallTranslation(Language::kEnglish, QString::fromStdString(dir.path().string())));
  EXPECT_EQ(CurrentLanguage(), Language::kJapanese);
  EXPECT_EQ(translate("CHelpDlg", "閉じる"), QStringLiteral("閉じる"));
  EXPECT_STREQ(MessageText(kMsgOpenFailed), MessageText(kMsgOpenFailed, Language::kJapanese));
  // A good file after a bad one still works, for the program's texts and core's.
  EXPECT_TRUE(InstallTranslation(Language::kEnglish, Translations()));
  EXPECT_EQ(translate("CHelpDlg", "閉じる"), QStringLiteral("Close"));
  EXPECT_STREQ(MessageText(kMsgOpenFailed), "The file could not be opened.");
  EXPECT_STREQ(ShownText("処理中"), "Processing");
  InstallTranslation(Language::kJapanese, {});
  EXPECT_STREQ(ShownText("処理中"), "処理中");

  // A box about a failed write names the user's file (not our staging folder)
  // and the system's reason in the interface language, once.
  NoteWriteFailure("/media/usb/.lumora-stage-7-aBc123/lake.b01", ENOSPC);
  EXPECT_EQ(WithWriteFailure(QStringLiteral("X")),
            QStringLiteral("X\n\n/media/usb/lake.b01\nディスクがいっぱいです"));
  EXPECT_EQ(WithWriteFailure(QStringLiteral("X")), QStringLiteral("X"));
  ASSERT_TRUE(InstallTranslation(Language::kEnglish, Translations()));
  NoteWriteFailure("/mnt/cd/<b>a</b>.inf", EROFS);
  EXPECT_EQ(WithWriteFailure(QStringLiteral("X")),
            QStringLiteral("X\n\n/mnt/cd/<b>a</b>.inf\nthe disk is read-only"));
  InstallTranslation(Language::kJapanese, {});
}

// English words drawn in a picture stay clear of its frame, however much
// longer than the Japanese: the four columns at each side are as in the
// Japanese picture.
TEST(Translation, PictureWordsStayInsideTheirFrames) {
  LoadPicture(QStringLiteral("IDB_NDIVU"));  // the pictures are registered on first use
  QStringList clipped;
  for (QDirIterator it(QStringLiteral(":/pictures"), {"*.svg"}); it.hasNext();) {
    const QString name = QFileInfo(it.next()).completeBaseName();
    const QImage japanese = LoadPicture(name).toImage();
    ASSERT_TRUE(InstallTranslation(Language::kEnglish, Translations()));
    const QImage english = LoadPicture(name).toImage();
    InstallTranslation(Language::kJapanese, {});
    ASSERT_EQ(english.size(), japanese.size()) << name.toStdString();
    for (int y = 0; y < english.height(); ++y)
      for (int x : {0, 1, 2, 3, english.width() - 4, english.width() - 3, english.width() - 2,
                    english.width() - 1})
        if (english.pixel(x, y) != japanese.pixel(x, y)) {
          clipped << name;
          y = english.height();
          break;
        }
  }
  EXPECT_TRUE(clipped.isEmpty()) << clipped.join(' ').toStdString();
}

}  // namespace
}  // namespace lumora::gui::test
