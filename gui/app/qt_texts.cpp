#include "gui/app/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lumora::gui {

namespace {

// Qt's Japanese translation with the texts it lacks for the file dialogs
// (the kind of a folder in the file list).
class JapaneseQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    struct Row {
      const char* context;
      const char* source;
      const char* japanese;
    };
    static constexpr Row kMissing[] = {
        {"QAbstractFileIconProvider", "Folder", "フォルダ"},
        {"QAbstractFileIconProvider", "Drive", "ドライブ"},
        {"QAbstractFileIconProvider", "Alias", "エイリアス"},
        {"QAbstractFileIconProvider", "Shortcut", "ショートカット"},
        {"QAbstractFileIconProvider", "Unknown", "不明"},
    };
    for (const Row& r : kMissing)
      if (qstrcmp(context, r.context) == 0 && qstrcmp(source, r.source) == 0)
        return QString::fromUtf8(r.japanese);
    return QTranslator::translate(context, source, disambiguation, n);
  }
  bool isEmpty() const override { return false; }
};

}  // namespace

QTranslator* InstallJapaneseQtTexts() {
  auto* translator = new JapaneseQtTexts(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace lumora::gui
