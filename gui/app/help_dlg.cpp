#include "gui/app/help_dlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace lumora::gui {

namespace {

const char kContents[] = R"(
<h2>Lumora Zud'sのつかいかた</h2>
<p>人工衛星がとった写真を見たり，しらべたりするプログラムです。
下の順番でためしてみましょう。</p>

<h3><a name="open">1. 画像をひらく</a></h3>
<p>「ファイル」メニューの「開く」をえらぶか，道具ばこの一番左のボタンをおします。
「samples」フォルダーの中にある「.inf」ファイルをえらびましょう。</p>

<h3><a name="colour">2. 色をえらぶ</a></h3>
<p>はじめてひらく画像では，赤・緑・青にどのバンド（衛星が見た光の色）を使うかをえらぶ画面が出ます。
上にならんだ絵のボタンをおすと，人の目で見たような色や，植物が赤く目立つ色の組み合わせが
すぐにえらべます。えらんだら「OK」をおします。</p>

<h3><a name="zoom">3. 大きくする・小さくする</a></h3>
<p>虫めがねのボタン（拡大・縮小）をおすか，「表示」のらんで倍率をえらびます。
画像の上でマウスを動かすと，下の右はしに今いる場所（x= と y=）が出ます。</p>

<h3><a name="filter">4. フィルターをかける</a></h3>
<p>はじめに「画像を処理する」をえらんだときは，
「処理」メニューの「フィルタリング」で，画像をなめらかにしたり，
ものの輪かくをくっきりさせたりできます。
結果を見てから，そのまま使うか元にもどすかをえらべます。</p>

<h3><a name="undo">5. 元にもどす</a></h3>
<p>まちがえたときは「編集」メニューの「アンドゥ」（Ctrl キーをおしながら Z）で，
ひとつ前の画像にもどせます。</p>

<h3><a name="save">6. 保存する</a></h3>
<p>「JPG･TIFF形式で保存」をえらぶと，見ている画像を写真のファイルとして保存できます。
レポートや発表に使ってみましょう。</p>
)";

const char kUsingHelp[] = R"(
<h2>ヘルプの使い方</h2>
<p>こまったときは，キーボードの <b>F1</b> キーをおすと，このヘルプがひらきます。</p>
<p>「ヘルプ」メニューの「目次」からもひらけます。</p>
<p>ヘルプをひらいたまま画像をさわることもできます。読みおわったら「閉じる」をおしてください。</p>
<p>画像のまどがいくつもあるときは，<b>F6</b> キーで次のまどへ，
<b>Shift</b> キーをおしながら <b>F6</b> キーで前のまどへうつれます。</p>
)";

}  // namespace

CHelpDlg::CHelpDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("help"));
  setWindowTitle(QStringLiteral("Lumora Zud's ヘルプ"));
  setModal(false);
  m_text = new QTextBrowser(this);
  m_text->setOpenLinks(false);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_text);
  layout->addWidget(buttons);
  resize(480, 600);
  ShowPage(Page::kContents);
}

void CHelpDlg::ShowPage(Page page) {
  m_page = page;
  m_text->setHtml(QString::fromUtf8(page == Page::kContents ? kContents : kUsingHelp));
}

QString CHelpDlg::Text() const { return m_text->toPlainText(); }

}  // namespace lumora::gui
