// The import dialog: a product chosen, its bands listed and previewed, the
// set written exactly as lumora-cli import writes it, and the new scene
// opened with the composition dialog; bad input changes nothing.
#include "gui/imagefile/import_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <filesystem>

#include "core/support/string_table.h"
#include "core/support/text.h"
#include "tests/gui/gui_harness.h"
#include "tests/importer/import_fixtures.h"
#include "tests/support/cli_run.h"

namespace lumora::gui::test {
namespace {

namespace fs = std::filesystem;

template <typename T>
T* Named(QWidget& parent, const char* name) {
  T* w = parent.findChild<T*>(QString::fromUtf8(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

void ClickNamed(QDialog& d, const char* name) {
  if (auto* b = Named<QPushButton>(d, name)) b->click();
}

class ImportDialogTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    fs::create_directories(dir / "download");
    fs::create_directories(dir / "scenes");
    ::lumora::test::TiffSpec tiff;
    tiff.width = 40;
    tiff.height = 30;
    mtl = ::lumora::test::WriteLandsat(dir / "download", tiff, [](int band, int x, int y) {
      return 7000.0 + band * 900 + x * 37 + y * 23;
    });
  }
  std::string mtl;
};

TEST_F(ImportDialogTest, WritesWhatTheCommandLineWritesAndALaterDateGoesOnItsGrid) {
  const std::string out = dir / "scenes/lake.inf";
  ui.dialogs.push_back([&](QDialog& d) {
    ui.openLists.push_back({QString::fromStdString(mtl)});
    ClickNamed(d, "chooseFiles");
    auto& dialog = static_cast<CImportDlg&>(d);
    EXPECT_EQ(Named<QTreeWidget>(d, "bands")->topLevelItemCount(), 7);  // 1-5, 7 and thermal 6
    EXPECT_EQ(dialog.Preview().size(), QSize(40, 30));       // the whole product, not enlarged
    EXPECT_FALSE(Named<QWidget>(d, "sensor")->isEnabled());  // a product names its sensor

    Named<QRadioButton>(d, "part")->setChecked(true);
    Named<QSpinBox>(d, "areaLeft")->setValue(4);
    Named<QSpinBox>(d, "areaTop")->setValue(2);
    Named<QSpinBox>(d, "areaWidth")->setValue(30);
    Named<QSpinBox>(d, "areaHeight")->setValue(20);
    Named<QSpinBox>(d, "maxWidth")->setValue(15);
    Named<QCheckBox>(d, "keep16bit")->setChecked(true);
    Named<QLineEdit>(d, "outputFolder")->setText(QString::fromStdString(dir / "scenes"));
    Named<QLineEdit>(d, "outputName")->setText(QStringLiteral("lake.INF"));
    EXPECT_EQ(dialog.OutputPath(), out);  // the extension typed or not
    Named<QLineEdit>(d, "outputName")->setText(QStringLiteral("lake"));
    EXPECT_EQ(dialog.OutputPath(), out);
    return Click(d, kIdOk);
  });
  ui.dialogs.push_back([](QDialog& d) { return Click(d, kIdOk); });  // the composition dialog
  ASSERT_TRUE(app->IsEnabled(kCmdImport));
  app->OnCommand(kCmdImport);
  ASSERT_EQ(ui.dialogNames, QStringList({QStringLiteral("250"), QStringLiteral("CImportDlg"),
                                         QStringLiteral("261")}));
  ASSERT_NE(View(), nullptr);
  EXPECT_EQ(View()->Session().State().m_nImagePixels, 15);
  EXPECT_TRUE(messenger.entries.empty());

  const std::string cliOut = dir / "cli/lake.inf";
  Cli("import '" + mtl + "' --area 4,2,30,20 --size 15x2000 --keep-16bit -o '" + cliOut + "'");
  const auto ours = SetFiles(dir / "scenes/lake"), theirs = SetFiles(dir / "cli/lake");
  EXPECT_EQ(ours.size(), 15u);  // settings, seven bands and their descriptions
  EXPECT_EQ(ours, theirs);

  // A later date of an open picture's place goes onto its grid: offered in
  // the dialog, it fixes the size, and the set is what lumora-cli import --like
  // writes.
  ui.dialogs.push_back([&](QDialog& d) -> int {
    auto& dialog = static_cast<CImportDlg&>(d);
    EXPECT_TRUE(dialog.ChooseInputs({mtl}));
    auto* onGrid = Named<QRadioButton>(d, "onGrid");
    EXPECT_TRUE(onGrid->isEnabled());
    onGrid->setChecked(true);
    EXPECT_FALSE(Named<QCheckBox>(d, "shrink")->isEnabled());
    Named<QComboBox>(d, "resample")->setCurrentIndex(1);
    EXPECT_EQ(dialog.Options().like, View()->Session().CurrentPath());
    Named<QLineEdit>(d, "outputFolder")->setText(QString::fromStdString(dir / "scenes"));
    Named<QLineEdit>(d, "outputName")->setText(QStringLiteral("later"));
    return Click(d, kIdOk);
  });
  ui.dialogs.push_back([](QDialog& d) { return Click(d, kIdOk); });
  app->OnCommand(kCmdImport);
  EXPECT_EQ(View()->Session().State().m_nImagePixels, 15);
  Cli("import '" + mtl + "' --like '" + out + "' --resample bilinear -o '" +
      (dir / "cli/later.inf") + "'");
  EXPECT_EQ(SetFiles(dir / "scenes/later"), SetFiles(dir / "cli/later"));
}

// Plain GeoTIFF bands carry no sensor: the teacher must name one before the
// import, lumora-cli says which it assumed, and the composition dialog greys
// the presets whose bands a four-band file lacks, saying why.
TEST_F(ImportDialogTest, APlainGeoTiffTakesTheSensorTheTeacherNames) {
  ::lumora::test::TiffSpec tiff;
  tiff.width = 20;
  tiff.height = 16;
  tiff.bands = 4;
  const std::string tif = dir / "download/plain.tif";
  ::lumora::test::WriteGeoTiff(
      tif, tiff, [](int band, int x, int y) { return 3000.0 + band * 500 + x * 40 + y * 30; });
  ui.dialogs.push_back([&](QDialog& d) {
    auto& dialog = static_cast<CImportDlg&>(d);
    auto* ok = Find<QPushButton>(d, kIdOk);
    auto* sensor = Named<QComboBox>(d, "sensor");
    EXPECT_TRUE(dialog.ChooseInputs({tif}));
    Named<QLineEdit>(d, "outputFolder")->setText(QString::fromStdString(dir / "scenes"));
    Named<QLineEdit>(d, "outputName")->setText(QStringLiteral("plain"));
    EXPECT_TRUE(sensor->isEnabled());
    EXPECT_EQ(sensor->currentIndex(), -1);
    EXPECT_FALSE(ok->isEnabled());
    sensor->setCurrentIndex(sensor->findData(kSensorTm));
    EXPECT_TRUE(ok->isEnabled());
    return Click(d, kIdOk);
  });
  ui.dialogs.push_back([](QDialog& d) {
    auto* natural = Find<QWidget>(d, 305);  // TM 5, 4, 2
    EXPECT_FALSE(natural->isEnabled());
    EXPECT_EQ(natural->toolTip().toStdString(), Format(MessageText(kMsgPresetMissingBands), "5"));
    EXPECT_TRUE(Find<QWidget>(d, 306)->isEnabled());  // TM 4, 3, 2
    EXPECT_EQ(Find<QWidget>(d, 302)->toolTip().toStdString(), MessageText(kMsgPresetOtherSensor));
    return Click(d, kIdOk);
  });
  app->OnCommand(kCmdImport);
  ASSERT_NE(View(), nullptr);

  const auto named = ::lumora::test::RunCli(
      dir, "import '" + tif + "' --sensor tm -o '" + (dir / "cli/named.inf") + "'");
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.err, "");
  EXPECT_EQ(SetFiles(dir / "scenes/plain"), SetFiles(dir / "cli/named"));
  const auto assumed =
      ::lumora::test::RunCli(dir, "import '" + tif + "' -o '" + (dir / "cli/assumed.inf") + "'");
  ASSERT_EQ(assumed.status, 0) << assumed.err;
  EXPECT_NE(assumed.err.find(MessageText(kMsgImportAssumedTm)), std::string::npos);
}

TEST_F(ImportDialogTest, BadInputAndRefusedReplacementLeaveEverythingAsItWas) {
  const std::string junk = dir / "download/notes.tif";
  ::lumora::test::WriteFile(junk, "not a picture");
  const std::string kept = WriteScene(dir, "scenes/lake", 4, 3, 3, 1);
  const auto before = SetFiles(dir / "scenes/lake");

  messenger.answers.push_back(false);  // do not replace the existing set
  ui.dialogs.push_back([&](QDialog& d) {
    auto& dialog = static_cast<CImportDlg&>(d);
    auto* ok = Find<QPushButton>(d, kIdOk);
    ui.openLists.push_back({QString::fromStdString(junk)});
    ClickNamed(d, "chooseFiles");
    EXPECT_EQ(messenger.entries.size(), 1u);  // cannot be read, and says which file
    EXPECT_TRUE(Named<QLineEdit>(d, "source")->text().isEmpty());
    EXPECT_FALSE(ok->isEnabled());

    // Files of different extents: the facts say what is cut away, and to what.
    ::lumora::test::TiffSpec small;
    small.width = small.height = 16;
    ::lumora::test::WriteGeoTiff(dir / "large.tif", {}, [](int, int x, int) { return x; });
    ::lumora::test::WriteGeoTiff(dir / "small.tif", small, [](int, int x, int) { return x; });
    const QString cut = QString::fromUtf8(MessageText(kMsgImportCutToOverlap));
    EXPECT_TRUE(dialog.ChooseInputs({dir / "large.tif", dir / "small.tif"}));
    EXPECT_TRUE(Named<QLabel>(d, "facts")->text().contains(cut + QStringLiteral("\n16 x 16")));
    EXPECT_TRUE(dialog.ChooseInputs({mtl}));
    EXPECT_FALSE(Named<QLabel>(d, "facts")->text().contains(cut));
    Named<QLineEdit>(d, "outputFolder")->setText(QString::fromStdString(dir / "scenes"));
    // A name, not a path, and nothing hidden.
    for (const char* bad : {"../lake", "a\\b", ".lake", " "}) {
      Named<QLineEdit>(d, "outputName")->setText(QString::fromUtf8(bad));
      EXPECT_FALSE(ok->isEnabled()) << bad;
    }
    Named<QLineEdit>(d, "outputName")->setText(QStringLiteral("lake"));
    EXPECT_TRUE(ok->isEnabled());
    ok->click();  // asks before replacing; the answer is no
    EXPECT_TRUE(d.isVisible() || d.result() != QDialog::Accepted);

    // An area outside the product is refused by the import itself.
    Named<QRadioButton>(d, "part")->setChecked(true);
    Named<QSpinBox>(d, "areaLeft")->setValue(39);
    Named<QSpinBox>(d, "areaWidth")->setValue(10);
    messenger.answers.push_back(true);
    ok->click();
    return d.result();
  });
  app->OnCommand(kCmdImport);
  EXPECT_EQ(View(), nullptr);
  ASSERT_EQ(messenger.entries.size(), 4u);  // unreadable, replace? no, replace? yes, outside
  EXPECT_EQ(messenger.entries[1].id, kMsgImportReplace);
  EXPECT_EQ(messenger.entries[2].id, kMsgImportReplace);
  EXPECT_NE(messenger.entries[3].text.find("40 x 30"), std::string::npos);
  EXPECT_EQ(SetFiles(dir / "scenes/lake"), before);
  EXPECT_TRUE(fs::exists(kept));
}

}  // namespace
}  // namespace lumora::gui::test
