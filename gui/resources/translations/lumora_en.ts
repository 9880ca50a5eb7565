<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>CAccuracyDlg</name>
    <message>
        <source>分類の正確さ</source>
        <translation>Classification accuracy</translation>
    </message>
    <message>
        <source>分類されなかった</source>
        <translation>Not classified</translation>
    </message>
    <message>
        <source>作成者精度</source>
        <translation>Producer's accuracy</translation>
    </message>
    <message>
        <source>ユーザー精度</source>
        <translation>User's accuracy</translation>
    </message>
    <message>
        <source>全体の正確さ：%1　　カッパ係数：%2</source>
        <translation>Overall accuracy: %1    Kappa: %2</translation>
    </message>
    <message>
        <source>行：チェックエリアの正解　列：コンピュータの答え
作成者精度：その正解の画素のうち当たった割合
ユーザー精度：コンピュータがそう答えた画素のうち当たった割合</source>
        <translation>Rows: the right answer of the check areas. Columns: the computer's answer.
Producer's accuracy: the share of a class's check pixels the computer got right.
User's accuracy: the share of the pixels the computer gave a class that were right.</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>Lumora Zud&apos;sについて</source>
        <translation>About Lumora Zud&apos;s</translation>
    </message>
    <message>
        <source>バージョン %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>衛星画像をみて，しらべるためのプログラム</source>
        <translation>A program for looking at and exploring satellite pictures</translation>
    </message>
</context>
<context>
    <name>CAddInfoDlg</name>
    <message>
        <source>タイトル設定</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>位置の選択</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>印刷領域</source>
        <translation>Printed area</translation>
    </message>
    <message>
        <source>縮尺の位置を選択してください．</source>
        <translation>Please choose where the scale goes.</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>中央</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>北マークの位置を選択してください．</source>
        <translation>Please choose where the north mark goes.</translation>
    </message>
    <message>
        <source>右上</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>右下</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>左下</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>左上</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>凡例の位置を選択してください．</source>
        <translation>Please choose where the legend goes.</translation>
    </message>
    <message>
        <source>付加情報表示設定ダイアログ</source>
        <translation>Map Annotations</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>文章</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>文字</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>緯度・経度</source>
        <translation>Latitude and longitude</translation>
    </message>
    <message>
        <source>縮尺</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>場所</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>北マーク</source>
        <translation>North mark</translation>
    </message>
    <message>
        <source>凡例</source>
        <translation>Legend</translation>
    </message>
    <message>
        <source>緯度・経度，縮尺，北マーク，凡例の表示設定が出来ます．</source>
        <translation>Choose the latitude and longitude lines, scale, north mark and legend shown on the page.</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
</context>
<context>
    <name>CBrightnessDlg</name>
    <message>
        <source>0 から 255 までの整数を入力してください．</source>
        <translation>Please enter a whole number from 0 to 255.</translation>
    </message>
    <message>
        <source>明るさ調整</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>下限</source>
        <translation>Lower</translation>
    </message>
    <message>
        <source>上限</source>
        <translation>Upper</translation>
    </message>
    <message>
        <source>入力の調整</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>出力の調整</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>青色の調整</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>緑色の調整</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>赤色の調整</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>３色同時表示</source>
        <translation>All three</translation>
    </message>
    <message>
        <source>黒を除く</source>
        <translation>Leave out black</translation>
    </message>
    <message>
        <source>自動調整</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDemLegendDlg</name>
    <message>
        <source>海</source>
        <translation>Sea</translation>
    </message>
</context>
<context>
    <name>CDemSettingDlg</name>
    <message>
        <source>DEM設定ダイアログ</source>
        <translation>DEM Settings</translation>
    </message>
    <message>
        <source>方角</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>仰角</source>
        <translation>Elevation</translation>
    </message>
    <message>
        <source>度</source>
        <translation>degrees</translation>
    </message>
    <message>
        <source>高度表示</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>絶対標高</source>
        <translation>Absolute height</translation>
    </message>
    <message>
        <source>相対標高</source>
        <translation>Relative height</translation>
    </message>
    <message>
        <source>陰影表示</source>
        <translation>Shading</translation>
    </message>
    <message>
        <source>白黒</source>
        <translation>Black and white</translation>
    </message>
    <message>
        <source>光源方向</source>
        <translation>Direction of the light</translation>
    </message>
    <message>
        <source>鳥瞰表示</source>
        <translation>Bird&apos;s-eye view</translation>
    </message>
    <message>
        <source>視線方向</source>
        <translation>Direction of view</translation>
    </message>
    <message>
        <source>H/V比</source>
        <translation>H/V ratio</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>0 から %1 までの数値を入力してください．</source>
        <translation>Please enter a number from 0 to %1.</translation>
    </message>
</context>
<context>
    <name>CDnValueDlg</name>
    <message>
        <source>ＤＮ値表示</source>
        <translation>DN Values</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>青(B),緑(G),赤(R)</source>
        <translation>Blue (B), Green (G), Red (R)</translation>
    </message>
    <message>
        <source>現在</source>
        <translation>Now</translation>
    </message>
    <message>
        <source>処理前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>つないだ窓</source>
        <translation>Linked</translation>
    </message>
</context>
<context>
    <name>CFilterDlg</name>
    <message>
        <source>フィルタリング</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>フィルタ</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>概要</source>
        <translation>Summary</translation>
    </message>
</context>
<context>
    <name>CHelpDlg</name>
    <message>
        <source>Lumora Zud&apos;s ヘルプ</source>
        <translation>Lumora Zud&apos;s Help</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>ヘルプのページが見つかりません．</source>
        <translation>The help page cannot be found.</translation>
    </message>
</context>
<context>
    <name>CImageCreateDlg</name>
    <message>
        <source>画面作成ダイアログ</source>
        <translation>Make the Picture</translation>
    </message>
    <message>
        <source>アスタ－
センサ</source>
        <translation>ASTER
sensor</translation>
    </message>
    <message>
        <source>ランドサット・
エムエスエスセンサ</source>
        <translation>Landsat
MSS sensor</translation>
    </message>
    <message>
        <source>ランドサット・
ティ－エムセンサ</source>
        <translation>Landsat
TM sensor</translation>
    </message>
    <message>
        <source>多バンド画像作成</source>
        <translation>Picture of several bands</translation>
    </message>
    <message>
        <source>単バンド画像作成</source>
        <translation>Picture of one band</translation>
    </message>
    <message>
        <source>青 (Blue)</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>緑 (Green)</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>赤 (Red)</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>レインボ－カラ－表示する</source>
        <translation>Show in rainbow colours</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>白黒 (Gray)</source>
        <translation>Gray</translation>
    </message>
</context>
<context>
    <name>CImageInfoDlg</name>
    <message>
        <source>画像情報</source>
        <translation>Image Information</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CImportDlg</name>
    <message>
        <source>衛星データ (*.tif *.tiff *.TIF *.TIFF *.jp2 *.JP2 *_MTL.txt *_MTL.TXT *_MTL.json *_MTL.xml);;すべてのファイル (*)</source>
        <translation>Satellite data (*.tif *.tiff *.TIF *.TIFF *.jp2 *.JP2 *_MTL.txt *_MTL.TXT *_MTL.json *_MTL.xml);;All files (*)</translation>
    </message>
    <message>
        <source>ランドサット 8/9</source>
        <translation>Landsat 8/9</translation>
    </message>
    <message>
        <source>センチネル 2</source>
        <translation>Sentinel-2</translation>
    </message>
    <message>
        <source> 画素</source>
        <translation> pixels</translation>
    </message>
    <message>
        <source>衛星データの取り込み</source>
        <translation>Import satellite data</translation>
    </message>
    <message>
        <source>ファイルかフォルダを選んでください</source>
        <translation>Choose files or a folder</translation>
    </message>
    <message>
        <source>ファイルを選ぶ...</source>
        <translation>Choose files...</translation>
    </message>
    <message>
        <source>GeoTIFF のファイル（いくつでも）か、ランドサットの MTL ファイル</source>
        <translation>GeoTIFF files (as many as you like) or a Landsat MTL file</translation>
    </message>
    <message>
        <source>フォルダを選ぶ...</source>
        <translation>Choose a folder...</translation>
    </message>
    <message>
        <source>ランドサット 8/9 かセンチネル 2 の製品のフォルダ</source>
        <translation>The folder of a Landsat 8/9 or Sentinel-2 product</translation>
    </message>
    <message>
        <source>バンド</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>元のバンド</source>
        <translation>Source band</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>取り込むデータ</source>
        <translation>Data to import</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>Whole image</translation>
    </message>
    <message>
        <source>一部（画素で指定）</source>
        <translation>Part (in pixels)</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>上</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>範囲</source>
        <translation>Area</translation>
    </message>
    <message>
        <source>小さくして取り込む（最大の大きさ）</source>
        <translation>Make it smaller (largest size)</translation>
    </message>
    <message>
        <source>16ビットのまま取り込む</source>
        <translation>Keep 16 bits</translation>
    </message>
    <message>
        <source>ランドサット TM</source>
        <translation>Landsat TM</translation>
    </message>
    <message>
        <source>ランドサット MSS</source>
        <translation>Landsat MSS</translation>
    </message>
    <message>
        <source>アスター</source>
        <translation>ASTER</translation>
    </message>
    <message>
        <source>センサ（GeoTIFF のとき）</source>
        <translation>Sensor (for GeoTIFF)</translation>
    </message>
    <message>
        <source>大きさ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>保存先</source>
        <translation>Save to</translation>
    </message>
    <message>
        <source>取り込む</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1&#x3000;%2 バンド&#x3000;%3 × %4 画素&#x3000;%5</source>
        <translation>%1   %2 bands   %3 × %4 pixels   %5</translation>
    </message>
    <message>
        <source>選んでください</source>
        <translation>Please choose</translation>
    </message>
    <message>
        <source>開いている画像のマス目に合わせる</source>
        <translation>On the grid of an open picture</translation>
    </message>
    <message>
        <source>いちばん近い画素</source>
        <translation>Nearest pixel</translation>
    </message>
    <message>
        <source>まわりの4画素からなめらかに</source>
        <translation>Smoothly from the 4 pixels around</translation>
    </message>
</context>
<context>
    <name>CKiriApp</name>
    <message>
        <source>画像をみる</source>
        <translation>Look at pictures</translation>
    </message>
    <message>
        <source>画像を処理する</source>
        <translation>Process pictures</translation>
    </message>
    <message>
        <source>Lumora Zud&apos;s 設定ファイル (*.inf)</source>
        <translation>Lumora Zud&apos;s settings files (*.inf)</translation>
    </message>
</context>
<context>
    <name>CKiriView</name>
    <message>
        <source>全画素で表示</source>
        <translation>Every pixel shown</translation>
    </message>
    <message>
        <source>1/%1 に縮小して表示</source>
        <translation>Shown reduced to 1/%1</translation>
    </message>
    <message>
        <source>処理した画像が保存されていません．
保存しますか？</source>
        <translation>The processed picture has not been saved.
Save it?</translation>
    </message>
    <message>
        <source>Lumora Zud&apos;s 設定ファイル (*.inf)</source>
        <translation>Lumora Zud&apos;s settings files (*.inf)</translation>
    </message>
    <message>
        <source>範囲をドラッグしてください</source>
        <translation>Drag over the area to open</translation>
    </message>
    <message>
        <source>横か縦に線をドラッグしてください</source>
        <translation>Drag a line across or down the image</translation>
    </message>
    <message>
        <source>トレーニングエリアをドラッグしてください</source>
        <translation>Drag over the training area</translation>
    </message>
    <message>
        <source>測りたいところをドラッグしてください</source>
        <translation>Drag along what you want to measure</translation>
    </message>
    <message>
        <source>四角形はドラッグ，多角形は角をクリックしてください（ダブルクリックで閉じる）</source>
        <translation>Drag for a rectangle, or click the corners of a polygon (double-click closes it)</translation>
    </message>
    <message>
        <source>面積 %1　周囲 %2</source>
        <translation>Area %1   perimeter %2</translation>
    </message>
</context>
<context>
    <name>CLandCoverDlg</name>
    <message>
        <source>分類項目</source>
        <translation>Classes</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>表題</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>土地被覆分類</source>
        <translation>Land Cover Classification</translation>
    </message>
    <message>
        <source>新規</source>
        <translation>New</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>エリア指定</source>
        <translation>Area</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>トレーニングエリアが小さすぎます．
%1バンドで分類するには，%1画素より多い画素を含むエリアを指定してください．
</source>
        <translation>A training area is too small.
To classify with %1 bands, please give areas with more than %1 pixels.
</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>green</translation>
    </message>
    <message>
        <source>黄</source>
        <translation>yellow</translation>
    </message>
    <message>
        <source>赤</source>
        <translation>red</translation>
    </message>
    <message>
        <source>アドバイス</source>
        <translation>Advice</translation>
    </message>
    <message>
        <source>組み合わせ</source>
        <translation>Pair</translation>
    </message>
    <message>
        <source>見分けやすさ（0〜2）</source>
        <translation>Told apart (0 to 2)</translation>
    </message>
    <message>
        <source>コンピュータにグループを見つけてもらう</source>
        <translation>Let the computer find groups</translation>
    </message>
    <message>
        <source>コンピュータが，色の似ている画素を集めてグループに分けます．
結果の凡例で，グループに名前と色をつけましょう．
同じ「はじめの数」なら，何度やっても同じグループになります．</source>
        <translation>The computer puts pixels of similar colours together into groups.
In the legend of the result, give each group a name and a colour.
The same starting number always gives the same groups.</translation>
    </message>
    <message>
        <source>グループの数（2〜12）</source>
        <translation>Number of groups (2 to 12)</translation>
    </message>
    <message>
        <source>はじめの数</source>
        <translation>Starting number</translation>
    </message>
    <message>
        <source>グループを見つける...</source>
        <translation>Find groups...</translation>
    </message>
    <message>
        <source>トレーニングエリアなしで，コンピュータに似た色の画素を集めてもらいます．</source>
        <translation>Without training areas: the computer puts pixels of similar colours together.</translation>
    </message>
    <message>
        <source>チェックエリア指定</source>
        <translation>Check area</translation>
    </message>
    <message>
        <source>分類のあとで，コンピュータの答えが合っているかを調べる場所です．トレーニングエリアとは別の場所を囲んでください．</source>
        <translation>A place to see after the classification whether the computer's answers are right. Draw it apart from the training areas.</translation>
    </message>
    <message>
        <source>チェックエリア：%1か所</source>
        <translation>Check areas: %1</translation>
    </message>
    <message>
        <source>トレーニングエリアのアドバイス</source>
        <translation>Advice on the training areas</translation>
    </message>
    <message>
        <source>赤の信号があります．
赤の分類項目は分類に使われないか，ほかの分類項目とまちがえやすく，赤の組み合わせの分類項目は，たがいにまちがえやすくなります．
このまま分類しますか？</source>
        <translation>Some lights are red.
A red class is left out of the classification or easily taken for another one, and the two classes of a red pair are easily mixed up.
Classify all the same?</translation>
    </message>
    <message>
        <source>名前をつけたグループを使う</source>
        <translation>Use the named groups</translation>
    </message>
    <message>
        <source>ほかの窓で開いている「グループを見つける」の結果から，名前をつけたグループを分類項目にします．トレーニングエリアは，そのグループがいちばん大きくまとまっている正方形です．</source>
        <translation>Makes each group you named in a "Find groups" result open in another window a class. Its training area is the largest square where the group is all in one piece.</translation>
    </message>
    <message>
        <source>半分の画素でチェック</source>
        <translation>Check on half the pixels</translation>
    </message>
    <message>
        <source>トレーニングエリアの画素を1つおきに取っておき，分類のあとで，コンピュータの答えが合っているかを調べます．取っておいた画素は，分類項目を覚えるのには使いません．</source>
        <translation>Keeps every second pixel of the training areas aside to check the computer's answers after the classification. The pixels kept aside are not used to learn the classes.</translation>
    </message>
</context>
<context>
    <name>CLegendWindow</name>
    <message>
        <source>凡例</source>
        <translation>Legend</translation>
    </message>
</context>
<context>
    <name>CCompareDlg</name>
    <message>
        <source>日付なし</source>
        <translation>no date</translation>
    </message>
    <message>
        <source>2つの日を比べる</source>
        <translation>Two dates compared</translation>
    </message>
    <message>
        <source>取っ手を左右に動かす</source>
        <translation>Move the handle left and right</translation>
    </message>
    <message>
        <source>点滅させる</source>
        <translation>Blink</translation>
    </message>
    <message>
        <source>ゆっくり</source>
        <translation>slow</translation>
    </message>
    <message>
        <source>はやく</source>
        <translation>fast</translation>
    </message>
    <message>
        <source>印刷...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CChangeDlg</name>
    <message>
        <source>植物（NDVI）</source>
        <translation>Plants (NDVI)</translation>
    </message>
    <message>
        <source>水（NDWI）</source>
        <translation>Water (NDWI)</translation>
    </message>
    <message>
        <source>市街地（NDBI）</source>
        <translation>Towns (NDBI)</translation>
    </message>
    <message>
        <source>雪（NDSI）</source>
        <translation>Snow (NDSI)</translation>
    </message>
    <message>
        <source>1つのバンド</source>
        <translation>One band</translation>
    </message>
    <message>
        <source>（日付なし）</source>
        <translation> (no date)</translation>
    </message>
    <message>
        <source>何が変わった？（2つの日の比べっこ）</source>
        <translation>What changed? (two dates compared)</translation>
    </message>
    <message>
        <source>ファイルから選ぶ...</source>
        <translation>Choose a file...</translation>
    </message>
    <message>
        <source>画像の設定ファイル (*.inf)</source>
        <translation>Picture settings files (*.inf)</translation>
    </message>
    <message>
        <source>バンド：</source>
        <translation>Band:</translation>
    </message>
    <message>
        <source>前の画像：</source>
        <translation>Earlier picture:</translation>
    </message>
    <message>
        <source>あとの画像：</source>
        <translation>Later picture:</translation>
    </message>
    <message>
        <source>比べるもの：</source>
        <translation>Compare:</translation>
    </message>
    <message>
        <source>「変わらない」とみなす幅：</source>
        <translation>Counts as "no change" up to:</translation>
    </message>
    <message>
        <source>あとの値から前の値を引きます．赤：減った　白：変わらない　緑：増えた</source>
        <translation>The earlier value is taken from the later one. Red: less   white: no change   green: more</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>同じ場所のあとの日の画像を開くか，「ファイルから選ぶ」で選んでください．</source>
        <translation>Open a later picture of the same place, or pick one with "Choose a file".</translation>
    </message>
</context>
<context>
    <name>CRampLegendDlg</name>
    <message>
        <source>赤：減った　白：変わらない　緑：増えた</source>
        <translation>Red: less   white: no change   green: more</translation>
    </message>
</context>
<context>
    <name>CBandMathDlg</name>
    <message>
        <source>バンド計算</source>
        <translation>Band maths</translation>
    </message>
    <message>
        <source>植生（NDVI）</source>
        <translation>Vegetation (NDVI)</translation>
    </message>
    <message>
        <source>水（NDWI）</source>
        <translation>Water (NDWI)</translation>
    </message>
    <message>
        <source>市街地（NDBI）</source>
        <translation>Built-up land (NDBI)</translation>
    </message>
    <message>
        <source>雪（NDSI）</source>
        <translation>Snow (NDSI)</translation>
    </message>
    <message>
        <source>比（近赤外÷赤）</source>
        <translation>Ratio (near infrared ÷ red)</translation>
    </message>
    <message>
        <source>明るさの平均</source>
        <translation>Mean brightness</translation>
    </message>
    <message>
        <source>灰色</source>
        <translation>Grey</translation>
    </message>
    <message>
        <source>レインボーカラー</source>
        <translation>Rainbow colours</translation>
    </message>
    <message>
        <source>青・白・緑（0が白）</source>
        <translation>blue, white, green (0 is white)</translation>
    </message>
    <message>
        <source>色：</source>
        <translation>Colours:</translation>
    </message>
    <message>
        <source>よく使う指数：</source>
        <translation>Common indices:</translation>
    </message>
    <message>
        <source>自分の式（バンド B1～Bn，数，+ − × ÷，かっこ，sqrt abs min max log）：</source>
        <translation>My formula (bands B1…Bn, numbers, + − × ÷, brackets, sqrt abs min max log):</translation>
    </message>
    <message>
        <source>黒：値なし（0で割ったときなど）</source>
        <translation>Black: no value (a division by zero, for example)</translation>
    </message>
    <message>
        <source>範囲： %1 ～ %2</source>
        <translation>Range: %1 to %2</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>開く(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>画像を開きます．
開く</source>
        <translation>Opens a picture.
Open</translation>
    </message>
    <message>
        <source>部分指定で開く(&amp;N)...	Ctrl+N</source>
        <translation>Open &amp;Part...	Ctrl+N</translation>
    </message>
    <message>
        <source>画像の一部を指定して開きます．
部分指定で開く</source>
        <translation>Opens a part of a picture.
Open part</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>画像を閉じます．
閉じる</source>
        <translation>Closes the picture.
Close</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...	Crtl+A</source>
        <translation>Save &amp;As...	Ctrl+A</translation>
    </message>
    <message>
        <source>編集した画像をSBF形式で保存します．
保存</source>
        <translation>Saves the edited picture as a file set.
Save</translation>
    </message>
    <message>
        <source>JPG･TIFF形式で保存...</source>
        <translation>Save as JPG or TIFF...</translation>
    </message>
    <message>
        <source>全画素でJPG･TIFF形式で保存...</source>
        <translation>Save as JPG or TIFF at full resolution...</translation>
    </message>
    <message>
        <source>縮小しない元の画素のまま，JPEG又はTIFF形式で保存します．
全画素で保存</source>
        <translation>Saves every pixel, not reduced, as JPEG or TIFF.
Save at full resolution</translation>
    </message>
    <message>
        <source>JPEG又はTIFF形式で保存します．
JPG・TIFFで保存</source>
        <translation>Saves as JPEG or TIFF.
Save as JPG or TIFF</translation>
    </message>
    <message>
        <source>印刷(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>印刷します．
印刷</source>
        <translation>Prints.
Print</translation>
    </message>
    <message>
        <source>印刷プレビュー(&amp;V)...</source>
        <translation>Print Pre&amp;view...</translation>
    </message>
    <message>
        <source>印刷イメージを表示します．</source>
        <translation>Shows how the print will look.</translation>
    </message>
    <message>
        <source>プリンタの設定(&amp;R)...</source>
        <translation>P&amp;rinter Setup...</translation>
    </message>
    <message>
        <source>プリンタを設定します．
プリンタの設定</source>
        <translation>Sets up the printer.
Printer setup</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Lumora Zud&apos;sを終了します．
終了</source>
        <translation>Quits Lumora Zud&apos;s.
Exit</translation>
    </message>
    <message>
        <source>アンドゥ(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>ひとつ前の状態に戻します．
アンドゥ</source>
        <translation>Goes back one step.
Undo</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Enlarge</translation>
    </message>
    <message>
        <source>画像を拡大します．
拡大</source>
        <translation>Makes the picture bigger.
Enlarge</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Reduce</translation>
    </message>
    <message>
        <source>画像を縮小します．
縮小</source>
        <translation>Makes the picture smaller.
Reduce</translation>
    </message>
    <message>
        <source>明るさの調整</source>
        <translation>Adjust Brightness</translation>
    </message>
    <message>
        <source>画像の明るさを調整します．
明るさ調整</source>
        <translation>Adjusts the brightness of the picture.
Brightness</translation>
    </message>
    <message>
        <source>プロファイル(X-Y)</source>
        <translation>Profile (X-Y)</translation>
    </message>
    <message>
        <source>X又はY方向の画素を取得します．</source>
        <translation>Reads the pixels along X or Y.</translation>
    </message>
    <message>
        <source>散布図表示</source>
        <translation>Scatter Plot</translation>
    </message>
    <message>
        <source>2バンドによる散布図を表示します．
散布図表示</source>
        <translation>Shows the scatter plot of two bands.
Scatter plot</translation>
    </message>
    <message>
        <source>DN値表示</source>
        <translation>DN Values</translation>
    </message>
    <message>
        <source>DN値を表示します．
DN値表示</source>
        <translation>Shows the DN values.
DN values</translation>
    </message>
    <message>
        <source>定規ツール</source>
        <translation>Ruler</translation>
    </message>
    <message>
        <source>距離を測ります．
定規ツール</source>
        <translation>Measures distances.
Ruler</translation>
    </message>
    <message>
        <source>レインボーカラー反転</source>
        <translation>Reverse Rainbow Colours</translation>
    </message>
    <message>
        <source>レインボーカラーを反転します．
レインボーカラー反転</source>
        <translation>Reverses the rainbow colours.
Reverse rainbow colours</translation>
    </message>
    <message>
        <source>付加情報</source>
        <translation>Map Annotations</translation>
    </message>
    <message>
        <source>付加情報を表示します．
付加情報表示</source>
        <translation>Shows the map annotations.
Map annotations</translation>
    </message>
    <message>
        <source>フィルタリング</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>各種フィルターをかけます．
フィルター</source>
        <translation>Applies filters.
Filter</translation>
    </message>
    <message>
        <source>植生指数</source>
        <translation>Vegetation Index</translation>
    </message>
    <message>
        <source>バンド計算</source>
        <translation>Band maths</translation>
    </message>
    <message>
        <source>水・市街地・雪の指数や自分の式を計算します．
バンド計算</source>
        <translation>Computes the water, built-up land or snow index, or your own formula.
Band maths</translation>
    </message>
    <message>
        <source>植生指数を計算します．
植生指数</source>
        <translation>Computes the vegetation index.
Vegetation index</translation>
    </message>
    <message>
        <source>土地被覆分類</source>
        <translation>Land Cover Classification</translation>
    </message>
    <message>
        <source>土地被覆分類を実行します．
土地被覆分類</source>
        <translation>Classifies the land cover.
Land cover classification</translation>
    </message>
    <message>
        <source>DEM</source>
        <translation>DEM</translation>
    </message>
    <message>
        <source>標高データを用いた各種処理をします．
DEM</source>
        <translation>Processes with the elevation data.
DEM</translation>
    </message>
    <message>
        <source>Lumora Zud&apos;sについて(&amp;A)...</source>
        <translation>&amp;About Lumora Zud&apos;s...</translation>
    </message>
    <message>
        <source>バージョン情報を表示します．
バージョン情報</source>
        <translation>Shows the version.
Version</translation>
    </message>
    <message>
        <source>表示イメージ情報</source>
        <translation>Image Information</translation>
    </message>
    <message>
        <source>現画像の設定情報を表示します．</source>
        <translation>Shows the settings of the current picture.</translation>
    </message>
    <message>
        <source>目次(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>ヘルプの目次を表示します．
目次</source>
        <translation>Shows the contents of the help.
Contents</translation>
    </message>
    <message>
        <source>レッスン(&amp;S)...</source>
        <translation>Le&amp;ssons...</translation>
    </message>
    <message>
        <source>一歩ずつ進むレッスンを選びます．
レッスン</source>
        <translation>Chooses a lesson to follow step by step.
Lessons</translation>
    </message>
    <message>
        <source>ヘルプの使い方(&amp;H)</source>
        <translation>&amp;Using Help</translation>
    </message>
    <message>
        <source>ヘルプの使い方を表示します．
ヘルプの使い方</source>
        <translation>Shows how to use the help.
Using help</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ヘルプを表示します．
ヘルプ</source>
        <translation>Shows the help.
Help</translation>
    </message>
    <message>
        <source>次のウィンドウ</source>
        <translation>Next Window</translation>
    </message>
    <message>
        <source>次の画像ウィンドウに切り替えます．
次のウィンドウ</source>
        <translation>Switches to the next picture window.
Next window</translation>
    </message>
    <message>
        <source>前のウィンドウ</source>
        <translation>Previous Window</translation>
    </message>
    <message>
        <source>前の画像ウィンドウに切り替えます．
前のウィンドウ</source>
        <translation>Switches to the previous picture window.
Previous window</translation>
    </message>
    <message>
        <source>平均化</source>
        <translation>Smooth</translation>
    </message>
    <message>
        <source>画素のばらつきを平均化します．
平均化</source>
        <translation>Evens out the pixel values.
Smooth</translation>
    </message>
    <message>
        <source>明るさの自動調整</source>
        <translation>Automatic Brightness</translation>
    </message>
    <message>
        <source>画像の明るさを自動調整します．
明るさの自動調整</source>
        <translation>Adjusts the brightness automatically.
Automatic brightness</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>部分読み込み(&amp;N)...</source>
        <translation>Read &amp;Part...</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>処理(&amp;P)</source>
        <translation>&amp;Processing</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>言語(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>衛星データの取り込み(&amp;I)...</source>
        <translation>&amp;Import satellite data...</translation>
    </message>
    <message>
        <source>ランドサット 8/9・センチネル 2・GeoTIFF の画像を取り込みます．
取り込み</source>
        <translation>Imports Landsat 8/9, Sentinel-2 or GeoTIFF images.
Import</translation>
    </message>
    <message>
        <source>スペクトル</source>
        <translation>Spectrum</translation>
    </message>
    <message>
        <source>画素の値を全部のバンドで波長の順に表示します．
スペクトル</source>
        <translation>Shows a pixel's values in every band, in the order of their wavelengths.
Spectrum</translation>
    </message>
    <message>
        <source>範囲の統計ツール</source>
        <translation>Region statistics tool</translation>
    </message>
    <message>
        <source>囲んだ範囲の統計と面積を表示します．
範囲の統計ツール</source>
        <translation>Shows the statistics and the area of a region you draw round.
Region statistics tool</translation>
    </message>
    <message>
        <source>何が変わった？</source>
        <translation>What changed?</translation>
    </message>
    <message>
        <source>同じ場所の2つの日の画像を比べて，変わった所を色で示します．
何が変わった？</source>
        <translation>Compares pictures of one place from two dates and colours what changed.
What changed?</translation>
    </message>
    <message>
        <source>2つの日を比べる</source>
        <translation>Compare two dates</translation>
    </message>
    <message>
        <source>同じ場所の2つの日の画像を，取っ手を動かしたり点滅させたりして比べます．
2つの日を比べる</source>
        <translation>Compares pictures of one place from two dates with a handle to move or by blinking.
Compare two dates</translation>
    </message>
    <message>
        <source>窓をつなぐ</source>
        <translation>Link windows</translation>
    </message>
    <message>
        <source>同じ場所の画像の窓をつなぎ，いっしょに拡大・スクロールします．
窓をつなぐ</source>
        <translation>Links the windows of pictures of one place, so that they zoom and scroll together.
Link windows</translation>
    </message>
</context>
<context>
    <name>CNdviDlg</name>
    <message>
        <source>バンド３，</source>
        <translation>band 3,</translation>
    </message>
    <message>
        <source>バンド２</source>
        <translation>band 2</translation>
    </message>
    <message>
        <source>バンド４，</source>
        <translation>band 4,</translation>
    </message>
    <message>
        <source>バンド３</source>
        <translation>band 3</translation>
    </message>
    <message>
        <source>植生指数</source>
        <translation>Vegetation Index</translation>
    </message>
    <message>
        <source>レインボーカラー表示する</source>
        <translation>Show in rainbow colours</translation>
    </message>
    <message>
        <source>植生指数&#x3000;=&#x3000;( X - Y ) / ( X + Y )</source>
        <translation>Vegetation index = ( X - Y ) / ( X + Y )</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>COperationDlg</name>
    <message>
        <source>植生指数</source>
        <translation>Vegetation Index</translation>
    </message>
    <message>
        <source>植生指数を計算します．</source>
        <translation>Computes the vegetation index.</translation>
    </message>
    <message>
        <source>土地被覆分類</source>
        <translation>Land Cover Classification</translation>
    </message>
    <message>
        <source>土地被覆分類をします．</source>
        <translation>Classifies the land cover.</translation>
    </message>
    <message>
        <source>DEMを用いて各種処理をします．</source>
        <translation>Processes with the DEM.</translation>
    </message>
    <message>
        <source>バンド計算</source>
        <translation>Band Maths</translation>
    </message>
    <message>
        <source>バンドの値で計算して，水や町や雪を見つけます．</source>
        <translation>Computes with the band values to find water, towns and snow.</translation>
    </message>
    <message>
        <source>凡例表示</source>
        <translation>Show legend</translation>
    </message>
    <message>
        <source>凡例を表示します．</source>
        <translation>Shows the legend.</translation>
    </message>
    <message>
        <source>凡例非表示</source>
        <translation>Hide legend</translation>
    </message>
    <message>
        <source>凡例を非表示にします．</source>
        <translation>Hides the legend.</translation>
    </message>
    <message>
        <source>前面に表示</source>
        <translation>In front</translation>
    </message>
    <message>
        <source>最前面表示</source>
        <translation>Keep in front</translation>
    </message>
    <message>
        <source>最前面に表示します．</source>
        <translation>Keeps the legends in front of other windows.</translation>
    </message>
    <message>
        <source>DEM</source>
        <translation>DEM</translation>
    </message>
</context>
<context>
    <name>CPrintPreview</name>
    <message>
        <source>印刷プレビュー</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>印刷(&amp;P)</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>拡大(&amp;I)</source>
        <translation>Zoom &amp;in</translation>
    </message>
    <message>
        <source>縮小(&amp;O)</source>
        <translation>Zoom &amp;out</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>CProfileDlg</name>
    <message>
        <source>プロファイル</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>テキスト ファイル (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
</context>
<context>
    <name>CProgressDlg</name>
    <message>
        <source>％完了&#x3000;おまちください．</source>
        <translation>% done. Please wait.</translation>
    </message>
</context>
<context>
    <name>CRegionDlg</name>
    <message>
        <source>範囲の統計</source>
        <translation>Region Statistics</translation>
    </message>
    <message>
        <source>バンド</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>標準偏差</source>
        <translation>Std. deviation</translation>
    </message>
    <message>
        <source>ヒストグラム</source>
        <translation>Histogram</translation>
    </message>
    <message>
        <source>CSVで保存...</source>
        <translation>Save as CSV...</translation>
    </message>
    <message>
        <source>印刷...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>画素の数：%1　　面積：%2　　周囲の長さ：%3</source>
        <translation>Pixels: %1    Area: %2    Perimeter: %3</translation>
    </message>
</context>
<context>
    <name>CScatterDlg</name>
    <message>
        <source>散布図表示</source>
        <translation>Scatter Plot</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Ｙ軸</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>Ｘ軸</source>
        <translation>X axis</translation>
    </message>
</context>
<context>
    <name>CSpectrumDlg</name>
    <message>
        <source>スペクトル</source>
        <translation>Spectrum</translation>
    </message>
    <message>
        <source>マウスについていく</source>
        <translation>Follow the mouse</translation>
    </message>
    <message>
        <source>グラフを保存...</source>
        <translation>Save chart...</translation>
    </message>
    <message>
        <source>値をCSVで保存...</source>
        <translation>Save values as CSV...</translation>
    </message>
    <message>
        <source>印刷...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>ピン（画像をクリック，6つまで）</source>
        <translation>Pins (click the image, six at most)</translation>
    </message>
    <message>
        <source>ピンは6つまでです．いらないピンを消してください．</source>
        <translation>Six pins at most. Remove a pin you no longer need.</translation>
    </message>
    <message>
        <source>地点%1</source>
        <translation>Place %1</translation>
    </message>
    <message>
        <source>このピンを消します</source>
        <translation>Removes this pin</translation>
    </message>
    <message>
        <source>画像の上にマウスを動かしてください．</source>
        <translation>Move the mouse over the image.</translation>
    </message>
    <message>
        <source>波長のわからないバンドがあるので，バンドの番号の順に並べています．</source>
        <translation>Some bands have no known wavelength, so the bands are in number order.</translation>
    </message>
    <message>
        <source>水は赤外線でくらく，植物は近赤外線で明るく写ります．</source>
        <translation>Water is dark in the infrared; plants are bright in the near infrared.</translation>
    </message>
</context>
<context>
    <name>CWelcomeDlg</name>
    <message>
        <source>Lumora Zud&apos;sへようこそ！！</source>
        <translation>Welcome to Lumora Zud&apos;s!!</translation>
    </message>
    <message>
        <source>画像をみる</source>
        <translation>Look at pictures</translation>
    </message>
    <message>
        <source>画像を処理する</source>
        <translation>Process pictures</translation>
    </message>
    <message>
        <source>Lumora Zud&apos;s 起動中</source>
        <translation>Lumora Zud&apos;s is starting</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>Jpeg圧縮率指定</source>
        <translation>JPEG Compression</translation>
    </message>
    <message>
        <source>出力ファイル名</source>
        <translation>Output file name</translation>
    </message>
    <message>
        <source>高画質
0%</source>
        <translation>Best quality
0%</translation>
    </message>
    <message>
        <source>低画質
100%</source>
        <translation>Smallest file
100%</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>JPEG ファイル (*.jpg);;TIFF ファイル (*.tif)</source>
        <translation>JPEG files (*.jpg);;TIFF files (*.tif)</translation>
    </message>
</context>
<context>
    <name>Pictures</name>
    <message>
        <source>ようこそ！</source>
        <translation>Welcome!</translation>
    </message>
    <message>
        <source>どちらにするか えらんでね</source>
        <translation>Choose one of the two</translation>
    </message>
    <message>
        <source>うちゅうから ちきゅうを みてみよう</source>
        <translation>Look at the Earth from space</translation>
    </message>
    <message>
        <source>画像をみる</source>
        <translation>Look</translation>
    </message>
    <message>
        <source>しょうがくせい</source>
        <translation>elementary school</translation>
    </message>
    <message>
        <source>画像を処理する</source>
        <translation>Process</translation>
    </message>
    <message>
        <source>ちゅうがくせい</source>
        <translation>junior high school</translation>
    </message>
    <message>
        <source>植生指数</source>
        <translation>Vegetation</translation>
    </message>
    <message>
        <source>土地被覆分類</source>
        <translation>Land cover</translation>
    </message>
    <message>
        <source>バンド計算</source>
        <translation>Band maths</translation>
    </message>
    <message>
        <source>凡例表示</source>
        <translation>Legend</translation>
    </message>
    <message>
        <source>凡例非表示</source>
        <translation>No legend</translation>
    </message>
    <message>
        <source>ナチュラル</source>
        <translation>Natural</translation>
    </message>
    <message>
        <source>トゥルー</source>
        <translation>True</translation>
    </message>
    <message>
        <source>フォルス</source>
        <translation>False</translation>
    </message>
</context>
<context>
    <name>SaveAs</name>
    <message>
        <source>Lumora Zud&apos;s 設定ファイル (*.inf)</source>
        <translation>Lumora Zud&apos;s settings files (*.inf)</translation>
    </message>
</context>
<context>
    <name>CLessonPanel</name>
    <message>
        <source>ワークシートをPDFで保存</source>
        <translation>Save the worksheet as a PDF</translation>
    </message>
    <message>
        <source>ワークシートを印刷</source>
        <translation>Print the worksheet</translation>
    </message>
    <message>
        <source>おつかれさま！ワークシートを保存するか，印刷しましょう．</source>
        <translation>Well done! Save the worksheet or print it.</translation>
    </message>
    <message>
        <source>%1才　%2分</source>
        <translation>age %1, %2 min</translation>
    </message>
    <message>
        <source>← もどる</source>
        <translation>← Back</translation>
    </message>
    <message>
        <source>△ もう一度</source>
        <translation>△ try again</translation>
    </message>
    <message>
        <source>○ せいかい</source>
        <translation>○ right</translation>
    </message>
    <message>
        <source>おわり</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>ここに名前を書いてね</source>
        <translation>Write your name here</translation>
    </message>
    <message>
        <source>せいかい！ </source>
        <translation>Right! </translation>
    </message>
    <message>
        <source>ちがうみたい．もう一度考えてみよう．</source>
        <translation>Not quite. Think again and try once more.</translation>
    </message>
    <message>
        <source>できた！ ✓</source>
        <translation>Done! ✓</translation>
    </message>
    <message>
        <source>なまえ：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ヒント</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>レッスン</source>
        <translation>Lessons</translation>
    </message>
    <message>
        <source>ワークシート (*.pdf)</source>
        <translation>Worksheet (*.pdf)</translation>
    </message>
    <message>
        <source>ワークシートを保存しました．</source>
        <translation>The worksheet is saved.</translation>
    </message>
    <message>
        <source>先生のフォルダ...</source>
        <translation>Teacher's folder...</translation>
    </message>
    <message>
        <source>始める</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>手順 %1 / %2</source>
        <translation>Step %1 of %2</translation>
    </message>
    <message>
        <source>数を書いてね．</source>
        <translation>Please write a number.</translation>
    </message>
    <message>
        <source>日付：</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>次へ →</source>
        <translation>Next →</translation>
    </message>
    <message>
        <source>答える</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>答えをひとつ選んでね．</source>
        <translation>Choose one answer.</translation>
    </message>
    <message>
        <source>読めないレッスンがあります：
</source>
        <translation>Some lessons cannot be read:
</translation>
    </message>
</context>
<context>
    <name>CClassLegendDlg</name>
    <message>
        <source>面積を表示</source>
        <translation>Show areas</translation>
    </message>
    <message>
        <source>クラスごとの画素の数，面積，画像の中の割合です．</source>
        <translation>Each class's pixels, area and share of the image.</translation>
    </message>
    <message>
        <source>平均スペクトル...</source>
        <translation>Mean spectra...</translation>
    </message>
    <message>
        <source>クラスごとの平均の値を全部のバンドで見ます．</source>
        <translation>Shows each class's mean value in every band.</translation>
    </message>
    <message>
        <source>クラスの平均スペクトル（±標準偏差）</source>
        <translation>Mean spectra of the classes (± standard deviation)</translation>
    </message>
    <message>
        <source>名前と色...</source>
        <translation>Name and colour...</translation>
    </message>
    <message>
        <source>選んだグループに名前と色をつけます．</source>
        <translation>Gives the chosen group a name and a colour.</translation>
    </message>
    <message>
        <source>まとめる...</source>
        <translation>Merge...</translation>
    </message>
    <message>
        <source>このグループで分類する...</source>
        <translation>Classify with these groups...</translation>
    </message>
    <message>
        <source>元の画像をもう1つの窓で開き，名前をつけたグループを土地被覆分類のクラスにします．</source>
        <translation>Opens the picture again in another window and makes the named groups the classes of its land-cover classification.</translation>
    </message>
    <message>
        <source>2つのグループを1つにします．</source>
        <translation>Makes two groups into one.</translation>
    </message>
    <message>
        <source>グループの名前と色</source>
        <translation>Name and colour of the group</translation>
    </message>
    <message>
        <source>グループをまとめる</source>
        <translation>Merge groups</translation>
    </message>
    <message>
        <source>このグループを</source>
        <translation>Put this group</translation>
    </message>
    <message>
        <source>このグループに入れる</source>
        <translation>into this group</translation>
    </message>
    <message>
        <source>入れたグループの画素は，入れる先のグループの色と名前になります．</source>
        <translation>The pixels of the group put in get the colour and name of the group they go into.</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
