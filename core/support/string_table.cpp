#include "core/support/string_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace lumora {

namespace {

struct MessageRow {
  int id;
  const char* japanese;
  const char* english;
};

// The Japanese text is the reference; the English one says the same to a child.
constexpr MessageRow kMessages[] = {
    {kMsgProfileCreateFailed, "Lumora cannot read this statistic file",
     "Lumora cannot read this statistic file"},
    {kMsgNoMemory, "メモリが足りません．", "There is not enough memory."},
    {kMsgOpenFailed, "ファイルを開けませんでした．", "The file could not be opened."},
    {kMsgSizeMismatch,
     "設定された画像サイズと読み込みファイルのサイズが異なります．\n読み込みを続けますか？",
     "The image size in the settings differs from the size of the file being read.\nContinue "
     "reading?"},
    {kMsgA4Only, "用紙への印刷はA4サイズでお願いします．", "Please print on A4 paper."},
    {kMsgWorkingFileInUse, "作業中ファイルへの上書きは出来ません．",
     "A working file cannot be overwritten."},
    {kMsgBadInf, "不正なinfファイルです．", "This is not a valid inf file."},
    {kMsgBitmapFailed, "BMPデータ取得に失敗しました．", "The bitmap data could not be obtained."},
    {kMsgCopyFailed, "ファイルコピーに失敗しました．", "Copying a file failed."},
    {kMsgTempDirFailed, "作業用tempディレクトリの作成に失敗しました．",
     "The temp folder for working files could not be created."},
    {kMsgNorthMarkFailed, "北マーク画像の読み込みに失敗しました．",
     "The north mark picture could not be loaded."},
    {kMsgAlreadyRunning, "Lumora Zud'sは，既に起動しています。",
     "Lumora Zud's is already running."},
    {kMsgConfirmResult, "処理結果が表示されました．\nYES->処理OK　NO->前処理に戻る．",
     "The result is shown.\nYES -> keep it   NO -> go back to before."},
    {kMsgNoDem, "DEMデータが存在しません．", "There is no DEM data."},
    {kMsgBadDem, "不正なDEMファイルです．", "This is not a valid DEM file."},
    {kMsgCreateFailed, "ファイルの作成に失敗しました．", "Creating the file failed."},
    {kMsgDeleteFailed, "ファイルの削除に失敗しました．", "Deleting the file failed."},
    {kMsgResourceFailed, "リソースの読み込みに失敗しました．", "Loading a resource failed."},
    {kMsgBadImageSize, "画像の大きさ（LINE，PIXEL）が正しくありません．",
     "The image size (LINE, PIXEL) is not valid."},
    {kMsgImageTooLarge, "画像が大きすぎて読み込めません．", "The image is too large to be read."},
    {kMsgUnsafeWorkDir, "作業用tempディレクトリが安全ではないため，使用できません．",
     "The temp folder for working files is not safe and cannot be used."},
    {kMsgSampleFolderFailed, "フォルダの作成に失敗しました．", "Creating the folder failed."},
    {kMsgSampleBadOptions, "サンプル画像の設定が正しくありません．",
     "The settings of the sample image are not valid."},
    {kMsgBadNdvFile, "不正なNDVファイルです．", "This is not a valid NDV file."},
    {kMsgBadMlkFile, "不正なMLKファイルです．", "This is not a valid MLK file."},
    {kMsgBandFileShort, "バンドファイルが画像の大きさより短いです．",
     "A band file is shorter than the image size."},
    {kMsgImportCannotOpen, "画像ファイルとして読み込めないファイルです．",
     "This file cannot be read as an image file."},
    {kMsgImportNoProduct, "取り込める衛星データが見つかりません．",
     "No satellite data that can be imported was found."},
    {kMsgImportMissingBands, "衛星データのバンドが足りません．",
     "Some bands of the satellite data are missing."},
    {kMsgImportGridMismatch, "バンドの座標系や範囲が異なり，一つの画像にまとめられません．",
     "The bands differ in coordinate system or area and cannot be put into one image."},
    {kMsgImportGeographic,
     "緯度経度の座標系の画像は取り込めません．\nUTMなどの投影座標系の画像を使ってください．",
     "Images in latitude and longitude cannot be imported.\nPlease use an image in a projected "
     "coordinate system such as UTM."},
    {kMsgImportNoGeoref, "画像に位置の情報（座標系）がありません．",
     "The image has no location information (coordinate system)."},
    {kMsgImportTooLarge, "画像が大きすぎます．範囲を狭めるか，大きさを小さくしてください．",
     "The image is too large. Please choose a smaller area or a smaller size."},
    {kMsgImportAreaOutside, "指定した範囲が画像の外にあります．",
     "The given area lies outside the image."},
    {kMsgImportNotWritable, "出力先のフォルダに書き込めません．",
     "The output folder cannot be written to."},
    {kMsgImportReadFailed, "画像ファイルの読み込みに失敗しました．",
     "Reading the image file failed."},
    {kMsgImportTurned, "画像の向きが北から45度より大きく傾いているため，取り込めません．",
     "The image is turned more than 45 degrees from north and cannot be imported."},
    {kMsgImportDemExists, "この画像には標高データがすでにあります．",
     "This image already has elevation data."},
    {kMsgImportDemOutside, "標高データが画像の範囲と重なりません．",
     "The elevation data does not overlap the image."},
    {kMsgImportSceneNoGeoref, "画像に位置の情報がないため，標高データを重ねられません．",
     "The image has no location information, so the elevation data cannot be laid over it."},
    {kMsgImportReplace, "同じ名前の画像があります．置き換えますか？",
     "There is already an image with this name. Replace it?"},
    {kMsgImportDemNoValues, "標高データの画像と重なる部分に，標高の値がありません．",
     "The elevation data holds no altitudes where it overlaps the image."},
    {kMsgImportNoValues, "取り込む範囲に，画像の値がありません（すべて値なしです）．",
     "The image holds no values over the area to be imported (all of it is no data)."},
    {kMsgImportDemAllSea,
     "標高データの画像と重なる部分は，すべて海（0m以下）です．陸地の標高がありません．",
     "Where the elevation data overlaps the image, all of it is sea (0 m or lower). There are no "
     "land altitudes."},
    {kMsgImportNotNorthUp,
     "画像の画素が北を上にして並んでいない（回転している，または大きさが0か向きが逆）ため，取り込め"
     "ま"
     "せん．",
     "The image's pixels are not laid out with north up (the grid is turned, or a pixel size is "
     "zero or runs the wrong way), so it cannot be imported."},
    {kMsgImportCutToOverlap,
     "入力ファイルの範囲が異なるため，すべてが重なる部分だけを取り込みます．",
     "The input files cover different areas, so only the part they all cover is imported."},
    {kMsgClassesLeftOut, "次の分類項目は分類に使われませんでした．",
     "These classes were not used in the classification."},
    {kMsgClassNoArea, "トレーニングエリアが指定されていません．",
     "No training area has been given."},
    {kMsgClassTooFewSamples, "トレーニングエリアの画素が２つ未満です．",
     "A training area has fewer than 2 pixels."},
    {kMsgClassSingular, "エリア内で値が変わらないバンドがあり，統計を計算できません．",
     "A band does not change within the area, so the statistics cannot be computed."},
    {kMsgClassAreaOutside, "トレーニングエリアが画像の外にはみ出しています．",
     "A training area reaches outside the image."},
    {kMsgClassNoMemory, "メモリが足りず，統計を計算できません．",
     "There is not enough memory to compute the statistics."},
    {kMsgNoGroundScale, "地上距離（LengthPerPixel）が正しくないため，表示できません．",
     "The ground distance (LengthPerPixel) is not valid, so this cannot be shown."},
    {kMsgDemBirdsEyeOnly, "処理済みの画像には，DEMの鳥瞰表示しかできません．",
     "A processed image can only be shown as a DEM bird's-eye view."},
    {kMsgDemOfBirdsEye, "鳥瞰表示の画像には，DEM処理はできません．",
     "A bird's-eye view image cannot be processed with the DEM."},
    {kMsgAreaOutsideImage, "指定された範囲が画像の外にあります．",
     "The given area lies outside the image."},
    {kMsgPresetOtherSensor, "この画像のセンサの組み合わせではありません．",
     "This combination is for another sensor."},
    {kMsgPresetMissingBands, "この画像にはバンド%sがありません．", "This image has no band %s."},
    {kMsgImportAssumedTm,
     "センサが指定されていないので，ランドサット TM のバンドとして取り込みました．",
     "No sensor was given, so the bands were taken as Landsat TM bands."},
    {kMsgImportNoSpace, "出力先のディスクの空きが足りません（必要な大きさ / 空いている大きさ）．",
     "There is not enough free space on the output disk (space needed / space free)."},
    {kMsgReplacementKept,
     "前に途中で止まったファイルの置き換えを，終えることも元に戻すこともできませんでした．"
     "元のファイルは次の隠しフォルダに残してあります．",
     "Files whose replacement was cut off earlier could neither be replaced nor put back. The "
     "old files are kept in this hidden folder:"},
    {kMsgMathUnavailable,
     "このプログラムではバンド計算を使えません（式を読むライブラリなしで作られました）．",
     "Band maths is not available in this program (it was built without the formula library)."},
    {kMsgMathAllUndefined, "計算結果がすべて「値なし」になりました（0で割った，など）．",
     "The result has no value anywhere (a division by zero, for example)."},
    {kMsgMathConstant, "計算結果がどこでも同じ値です．",
     "The result is the same value everywhere."},
    {kMsgNoFullDetail, "この表示は全画素では作れません．表示画像のまま保存してください．",
     "This display cannot be made at full resolution. Save it as displayed."},
    {kMsgCoachGood, "よいトレーニングエリアです．", "A good training area."},
    {kMsgCoachEmpty, "まだエリアがありません．画像の上で，この種類の場所を囲んでください．",
     "No area yet: draw a box around a place of this kind on the picture."},
    {kMsgCoachOutside, "エリアが画像の外にはみ出しています．画像の中に描き直してください．",
     "The area goes outside the picture: draw it again inside the picture."},
    {kMsgCoachTooFew, "エリアが小さすぎます．バンドが%d個なので，%d画素より多く必要です．",
     "The area is too small: with %d bands it needs more than %d pixels."},
    {kMsgCoachFew, "もう少し大きいエリアにすると，もっと確かになります（%d画素以上がおすすめ）．",
     "A bigger area would make it surer (%d pixels or more is best)."},
    {kMsgCoachSingular,
     "エリアの中の色がほとんど同じバンドがあります．もっと大きいエリアか，少し色のちがう所もふく"
     "むエリアを描いてください．",
     "In one band all the pixels are (nearly) the same colour: draw a bigger area, or one with a "
     "bit more variety."},
    {kMsgCoachNearlyFlat,
     "エリアの中の色がほとんど同じバンドがあります．少し色のちがう所もふくめると，もっと確かになり"
     "ます．",
     "In one band the pixels are nearly all the same colour: an area with a bit more variety "
     "would make it surer."},
    {kMsgCoachSameName, "同じ名前の分類項目がほかにもあります．",
     "Another class has the same name."},
    {kMsgCoachSameColour, "同じ色の分類項目がほかにもあります．地図の上で見分けられません．",
     "Another class has the same colour: you could not tell them apart on the map."},
    {kMsgPairEasy, "「%s」と「%s」はかんたんに見分けられます．",
     "%s and %s are easy to tell apart."},
    {kMsgPairAlike, "「%s」と「%s」はよく似ていて，まちがえやすいです．",
     "%s and %s look alike and are easily mixed up."},
    {kMsgKMeansBadK, "グループの数は2から12までにしてください．",
     "The number of groups must be from 2 to 12."},
    {kMsgKMeansConstantBand, "バンド%dはどこでも同じ値なので，グループ分けに使えません．",
     "Band %d has the same value everywhere, so it cannot help to find groups."},
    {kMsgKMeansFewColours, "画像の色が%d種類より少ないので，%d個のグループに分けられません．",
     "The picture has fewer than %d different colours, so it cannot be split into %d groups."},
    {kMsgCheckOutside, "チェックエリア「%s」が画像の外にはみ出しています．",
     "The check area \"%s\" goes outside the picture."},
    {kMsgCheckNoTraining,
     "チェックエリア「%s」の分類項目には，使えるトレーニングエリアがありません．",
     "The check area \"%s\" belongs to no class with a usable training area."},
    {kMsgCheckNone, "チェックエリアがありません．", "There are no check areas."},
    {kMsgAccuracyRight,
     "チェックした%lld画素のうち，コンピュータは%lld画素を正しく分けました（100画素なら%d画素）．",
     "Of %lld check pixels the computer got %lld right (%d of every 100)."},
    {kMsgAccuracyMixedUp, "いちばんまちがえたのは「%s」と「%s」です．",
     "It mixed up %s and %s most."},
    {kMsgAccuracyNoMistake, "まちがいはありませんでした．", "It made no mistakes."},
    {kMsgGroupNotThere, "%d番のグループはありません．", "There is no group number %d."},
    {kMsgGroupColourTaken, "その色は「%s」の色です．ほかの色を選んでください．",
     "That colour belongs to \"%s\". Please choose another colour."},
    {kMsgGroupColourBlack, "黒は分類されなかった画素の色です．ほかの色を選んでください．",
     "Black is the colour of pixels that belong to no class. Please choose another colour."},
    {kMsgGroupMergeSelf, "グループは，ほかのグループとしかまとめられません．",
     "A group can only be merged with another group."},
    {kMsgGroupNoTitle, "グループに名前をつけてください．", "Please give the group a name."},
    {kMsgNoNamedGroups,
     "名前をつけたグループがありません．「グループを見つける」の結果を開き，"
     "凡例でグループに名前をつけてください．",
     "There are no named groups. Open the result of \"Find groups\" and name its groups in "
     "the legend."},
    {kMsgError, "エラーが発生しました．", "An error occurred."},
};

// Fixed texts core shows beside the messages, Japanese first.
struct TextRow {
  const char* japanese;
  const char* english;
};

constexpr TextRow kTexts[] = {
    {"確認", "Confirm"},
    // What changed between two dates.
    {"変化の地図", "Change map"},
    {"変化", "Change"},
    {"2つの日を比べる", "Two dates compared"},
    // A k-means group not yet named by the pupil.
    {"グループ%s", "Group %s"},
    {"窓をつなぐ", "Link windows"},
    {"同じ場所を同じマス目で写した画像の窓が，ほかにありません．"
     "大きさ・位置・画素の大きさが同じ画像だけがつながります．",
     "There is no other window of the same place on the same grid of pixels. Only pictures of "
     "the same size, place and pixel size can be linked."},
    {"同じ場所を同じマス目で写した画像を，もう1つ開いてください．"
     "（あとの日の画像は「開いている画像のマス目に合わせて」取り込めます．）",
     "Open another picture of the same place on the same grid of pixels. (A later picture can be "
     "imported \"on the grid of an open picture\".)"},
    {"バンド%dがありません．", "There is no band %d."},
    {"比べるものが選ばれていません．", "Nothing to compare has been chosen."},
    {"この画像ではこの指数を計算できません．", "This index cannot be worked out for this picture."},
    {"2つの画像は同じ場所の同じ大きさのマス目になっていないので，比べられません．"
     "あとの画像を「開いている画像のマス目に合わせて」取り込んでください．",
     "The two pictures cannot be compared: they do not cover the same place with the same grid "
     "of pixels. Import the later picture \"on the grid of an open picture\"."},
    {"撮影した日がわからない画像があるので，どちらが先か決められません．",
     "One of the pictures has no date, so it cannot be told which came first."},
    {"はじめの画像のほうが新しい（または同じ日）です．古いほうの画像で始めてください．",
     "The first picture is the newer one (or from the same day). Start with the older picture."},
    {"「変わらない」とみなす幅は0以上の数にしてください．",
     "The range that counts as \"no change\" must be a number of 0 or more."},
    {"2つの画像に共通して写っている所がありません．",
     "The two pictures have no part of the ground in common."},
    {"%s画素", "%s pixels"},
    {"%s画素，%.1f ha（%.2f km²）", "%s pixels, %.1f ha (%.2f km²)"},
    {"減った所：", "Less: "},
    {"増えた所：", "More: "},
    {"変わらない所：", "No change: "},
    {"分類したときの画像が開かれていないので，クラスの平均スペクトルは出せません．",
     "The image the classes were drawn on is not open, so their mean spectra cannot be shown."},
    // Lesson files
    {"知らない項目「%1」があります", "unknown key \"%1\""},
    {"「%1」には日本語（ja）と英語（en）の両方が必要です",
     "\"%1\" needs both Japanese (ja) and English (en)"},
    {"絵「%1」がありません", "the picture \"%1\" is missing"},
    {"「%1」の値が正しくありません", "the value of \"%1\" is not right"},
    {"「%1」は %2 のどれかです", "\"%1\" is one of %2"},
    {"「gray」と「red」「green」「blue」は一緒に使えません",
     "\"gray\" and \"red\", \"green\", \"blue\" cannot go together"},
    {"知らないチェック「%1」です", "unknown check \"%1\""},
    {"ファイルが開けません", "the file cannot be opened"},
    {"レッスンのファイルとしては大きすぎます", "too large for a lesson file"},
    {"JSONとして読めません（%1）", "this is not JSON (%1)"},
    {"レッスンのファイルではありません（「format」が「%1」ではありません）",
     "not a lesson file (\"format\" is not \"%1\")"},
    {"手順がひとつもありません", "there are no steps"},
    {"取り込み", "Import"},
    {"ファイルの置き換え", "Replacing files"},
    {"土地被覆分類", "Land Cover Classification"},
    {"処理中", "Processing"},
    {"読み込み中", "Loading"},
    {"反転中", "Reversing the colours"},
    {"保存中", "Saving"},
    {"サンプル画像を作成中", "Making the sample image"},
    {"部分書き出し中", "Writing the part"},
    {"取り込み中", "Importing"},
    {"標高データを取り込み中", "Importing the elevation data"},
    {"DIBデータの読み込みに失敗しました．", "The bitmap data could not be read."},
    {"BMP形式未対応です．", "This bitmap format is not supported."},
    {"圧縮率は0.0-1.0の間で設定してください．", "Please give a compression between 0.0 and 1.0."},
    {"出力ファイルを作成できませんでした．", "The output file could not be created."},
    {"BMPデータがセットさせていません．\nReadBMPFile又はReadDataを先に実行してください．",
     "No bitmap data has been set.\nRun ReadBMPFile or ReadData first."},
    {"JPG又はTIF形式のファイル名を指定してください．",
     "Please give a file name that ends in .jpg or .tif."},
    {"エッジ強調弱", "Edge enhancement, weak"},
    {"エッジ強調強", "Edge enhancement, strong"},
    {"コントラスト", "Contrast"},
    {"ぼかし", "Blur"},
    {"メディアンフィルタ", "Median filter"},
    {"明暗の境界がはっきりした画像が得られます.",
     "Gives a picture in which the borders between light and dark are clear."},
    {"明暗の境界がよりはっきりした画像が得られます．",
     "Gives a picture in which the borders between light and dark are even clearer."},
    {"明るい部分はより明るい，暗い部分はより暗い画像が得られます．",
     "Gives a picture in which light parts are lighter and dark parts darker."},
    {"隣り合う画素同士のコントラストを弱めた画像が得られます．",
     "Gives a picture with less contrast between neighbouring pixels."},
    {"孤立ノイズの影響を受けずに隣り合う画素同士のコントラストを弱めた画像が得られます．",
     "Gives a picture with less contrast between neighbouring pixels, without being thrown off "
     "by single noisy pixels."},
    {"希望のフィルタを選択してください．", "Please choose a filter."},
    {"ディスクがいっぱいです", "the disk is full"},
    {"ファイルが大きすぎます", "the file is too large"},
    {"書き込みが許されていません", "writing is not allowed"},
    {"読み取り専用のディスクです", "the disk is read-only"},
    {"ファイル名が長すぎます", "the file name is too long"},
    {"フォルダがありません", "the folder does not exist"},
    {"同じ名前のフォルダがあります", "a folder of that name is in the way"},
    {"小", "Small"},
    {"中", "Medium"},
    {"大", "Large"},
    {"バンド計算", "Band maths"},
    {"式が空です．", "The formula is empty."},
    {"式が長すぎます（%d文字まで）．", "The formula is too long (at most %d characters)."},
    {"%d文字目：式に使えない文字です．", "Character %d: this sign cannot be used in a formula."},
    {"%d文字目：この画像にバンド%dはありません．",
     "Character %d: there is no band %d in this image."},
    {"%d文字目：「%s」という名前は知りません．", "Character %d: the name \"%s\" is not known."},
    {"%d文字目：かっこが閉じていません．", "Character %d: this bracket is not closed."},
    {"%d文字目：閉じかっこに対応する開きかっこがありません．",
     "Character %d: this closing bracket has no opening bracket."},
    {"%d文字目：式が途中で終わっています．", "Character %d: the formula ends too early."},
    {"%d文字目：関数に渡す値の数が違います．",
     "Character %d: the function is given the wrong number of values."},
    {"%d文字目：ここは式として読めません．", "Character %d: the formula cannot be read here."},
    {"このセンサーには短波長赤外のバンドがありません．",
     "This sensor has no short-wave infrared band."},
    {"8ビットのバンドがありません．", "There is no 8-bit band."},
    {"バンド%dのファイルの大きさが画像の大きさと合いません．",
     "The file of band %d is not the size of the image."},
    {"黒：値なし", "black: no value"},
    {"スペクトル", "Spectrum"},
    {"範囲の統計", "Region statistics"},
    {"バンド%dのファイルを開けませんでした．", "The file of band %d could not be opened."},
    {"画像の外側は調べられません．", "Places outside the image cannot be looked at."},
    {"多角形には3つ以上の角が必要です．", "A polygon needs at least three corners."},
    {"範囲の角が画像の外にあります．", "A corner of the region lies outside the image."},
    {"範囲の中に画素がありません．", "There is no pixel inside the region."},
    {"測れません（地上距離がわかりません）", "not measurable (the ground distance is unknown)"},
    {"バンドの値", "Band value"},
    {"波長（µm）", "Wavelength (µm)"},
    {"波長（µm，対数目盛）", "Wavelength (µm, log scale)"},
    {"バンド番号（波長のわからないバンドがあります）",
     "Band number (some bands have no known wavelength)"},
    {"目に見える光", "Light we can see"},
    {"近赤外線", "Near infrared"},
    {"（植物が明るい）", " (plants are bright)"},
    {"短波長赤外線", "Short-wave infrared"},
    {"（水と土の違い）", " (water and soil differ)"},
    {"熱赤外線", "Thermal infrared"},
    {"（あたたかさ）", " (warmth)"},
    {"バンド", "Band"},
    {"説明", "Description"},
    {"画素の数", "Pixels"},
    {"面積", "Area"},
    {"周囲の長さ", "Perimeter"},
    {"最小", "Min"},
    {"最大", "Max"},
    {"平均", "Mean"},
    {"標準偏差", "Std. deviation"},
    {"ヒストグラム", "Histogram"},
    // Band descriptions the program writes, shown in English; files keep them Japanese.
    {"青", "blue"},
    {"緑", "green"},
    {"赤", "red"},
    {"近赤外", "near infrared"},
    {"中間赤外", "mid infrared"},
    {"短波長赤外", "shortwave infrared"},
    {"熱赤外", "thermal infrared"},
    {"植生指数データ　単バンド", "Vegetation index, one band"},
    {"土地被覆分類データ　青", "Land cover classes, blue"},
    {"土地被覆分類データ　緑", "Land cover classes, green"},
    {"土地被覆分類データ　赤", "Land cover classes, red"},
    {"フィルタ済み画像データ", "Filtered image"},
    {"標高データ　青", "Elevation, blue"},
    {"標高データ　緑", "Elevation, green"},
    {"標高データ　赤", "Elevation, red"},
    {"陰影画像　白黒", "Shaded relief, grey"},
    {"陰影画像　青", "Shaded relief, blue"},
    {"陰影画像　緑", "Shaded relief, green"},
    {"陰影画像　赤", "Shaded relief, red"},
    {"鳥瞰画像　白黒", "Bird's-eye view, grey"},
    {"鳥瞰画像　青", "Bird's-eye view, blue"},
    {"鳥瞰画像　緑", "Bird's-eye view, green"},
    {"鳥瞰画像　赤", "Bird's-eye view, red"},
    {"分類されなかった画素", "not classified"},
    {"黄", "yellow"},
    {"分類の正確さ", "Classification accuracy"},
    {"正解＼答え", "right \\ given"},
    {"分類なし", "none"},
    {"作成者精度", "Producer's accuracy"},
    {"ユーザー精度", "User's accuracy"},
    {"全体の正確さ", "Overall accuracy"},
    {"カッパ係数", "Kappa"},
};

// A locale variable counts when it is set and not empty, as POSIX says.
bool Set(const char* value) { return value && *value; }

Language g_language = Language::kJapanese;

}  // namespace

void SetLanguage(Language language) { g_language = language; }

Language CurrentLanguage() { return g_language; }

const char* MessageText(int id) { return MessageText(id, g_language); }

const char* MessageText(int id, Language language) {
  const MessageRow* error = nullptr;
  for (const MessageRow& row : kMessages) {
    if (row.id == kMsgError) error = &row;
    if (row.id == id) return language == Language::kEnglish ? row.english : row.japanese;
  }
  return language == Language::kEnglish ? error->english : error->japanese;
}

const char* ShownText(const char* japanese) {
  if (g_language == Language::kEnglish)
    for (const TextRow& row : kTexts)
      if (std::strcmp(row.japanese, japanese) == 0) return row.english;
  return japanese;
}

std::string ShownText(const std::string& japanese) { return ShownText(japanese.c_str()); }

std::string SystemErrorText(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return ShownText("ディスクがいっぱいです");
    case EFBIG: return ShownText("ファイルが大きすぎます");
    case EACCES:
    case EPERM: return ShownText("書き込みが許されていません");
    case EROFS: return ShownText("読み取り専用のディスクです");
    case ENAMETOOLONG: return ShownText("ファイル名が長すぎます");
    case ENOENT:
    case ENOTDIR: return ShownText("フォルダがありません");
    case EISDIR: return ShownText("同じ名前のフォルダがあります");
    default: return std::strerror(error);
  }
}

bool IsWriteMessage(int id) {
  static constexpr int kWriting[] = {
      kMsgProfileCreateFailed, kMsgWorkingFileInUse, kMsgBitmapFailed,      kMsgCopyFailed,
      kMsgCreateFailed,        kMsgDeleteFailed,     kMsgSampleFolderFailed};
  return std::find(std::begin(kWriting), std::end(kWriting), id) != std::end(kWriting);
}

Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  const char* value = Set(lcAll) ? lcAll : Set(lcMessages) ? lcMessages : lang;
  return Set(value) && std::strncmp(value, "en", 2) == 0 ? Language::kEnglish : Language::kJapanese;
}

}  // namespace lumora
