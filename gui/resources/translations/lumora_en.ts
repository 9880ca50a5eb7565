<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>CHelpDlg</name>
    <message>
        <source>Lumora Zud's ヘルプ</source>
        <translation>Lumora Zud's Help</translation>
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
    <name>CKiriApp</name>
    <message>
        <source>画像をみる</source>
        <translation>Look at pictures</translation>
    </message>
    <message>
        <source>画像を処理する</source>
        <translation>Process pictures</translation>
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
        <source>Lumora Zud'sを終了します．
終了</source>
        <translation>Quits Lumora Zud's.
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
        <source>Lumora Zud'sについて(&amp;A)...</source>
        <translation>&amp;About Lumora Zud's...</translation>
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
        <source>Lumora Zud'sについて</source>
        <translation>About Lumora Zud's</translation>
    </message>
    <message>
        <source>Lumora Zud's
衛星画像をみて，しらべるためのプログラム</source>
        <translation>Lumora Zud's
A program for looking at and exploring satellite pictures</translation>
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
</context>
<context>
    <name>CTitleFrm</name>
    <message>
        <source>Lumora Zud's 起動中</source>
        <translation>Lumora Zud's is starting</translation>
    </message>
</context>
<context>
    <name>CWelcomeDlg</name>
    <message>
        <source>Lumora Zud'sへようこそ！！</source>
        <translation>Welcome to Lumora Zud's!!</translation>
    </message>
    <message>
        <source>画像をみる</source>
        <translation>Look at pictures</translation>
    </message>
    <message>
        <source>画像を処理する</source>
        <translation>Process pictures</translation>
    </message>
</context>
</TS>