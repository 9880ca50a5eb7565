#include "core/support/string_table.h"

namespace lumora {

const char* MessageText(int id) {
  switch (id) {
    case kMsgProfileCreateFailed: return "Lumora cannot read this statistic file";
    case kMsgNoMemory: return "メモリが足りません．";
    case kMsgOpenFailed: return "ファイルを開けませんでした．";
    case kMsgSizeMismatch:
      return "設定された画像サイズと読み込みファイルのサイズが異なります．\n読み込みを続けますか？";
    case kMsgA4Only: return "用紙への印刷はA4サイズでお願いします．";
    case kMsgWorkingFileInUse: return "作業中ファイルへの上書きは出来ません．";
    case kMsgBadInf: return "不正なinfファイルです．";
    case kMsgBitmapFailed: return "BMPデータ取得に失敗しました．";
    case kMsgCopyFailed: return "ファイルコピーに失敗しました．";
    case kMsgTempDirFailed: return "作業用tempディレクトリの作成に失敗しました．";
    case kMsgNorthMarkFailed: return "北マーク画像の読み込みに失敗しました．";
    case kMsgAlreadyRunning: return "Lumora Zud'sは，既に起動しています。";
    case kMsgConfirmResult: return "処理結果が表示されました．\nYES->処理OK　NO->前処理に戻る．";
    case kMsgNoDem: return "DEMデータが存在しません．";
    case kMsgBadDem: return "不正なDEMファイルです．";
    case kMsgCreateFailed: return "ファイルの作成に失敗しました．";
    case kMsgDeleteFailed: return "ファイルの削除に失敗しました．";
    case kMsgResourceFailed: return "リソースの読み込みに失敗しました．";
    case kMsgBadImageSize: return "画像の大きさ（LINE，PIXEL）が正しくありません．";
    case kMsgImageTooLarge: return "画像が大きすぎて読み込めません．";
    case kMsgUnsafeWorkDir: return "作業用tempディレクトリが安全ではないため，使用できません．";
    case kMsgSampleFolderFailed: return "フォルダの作成に失敗しました．";
    case kMsgSampleBadOptions: return "サンプル画像の設定が正しくありません．";
    case kMsgBadNdvFile: return "不正なNDVファイルです．";
    case kMsgBadMlkFile: return "不正なMLKファイルです．";
    case kMsgBandFileShort: return "バンドファイルが画像の大きさより短いです．";
    case kMsgImportCannotOpen: return "画像ファイルとして読み込めないファイルです．";
    case kMsgImportNoProduct: return "取り込める衛星データが見つかりません．";
    case kMsgImportMissingBands: return "衛星データのバンドが足りません．";
    case kMsgImportGridMismatch:
      return "バンドの座標系や範囲が異なり，一つの画像にまとめられません．";
    case kMsgImportGeographic:
      return "緯度経度の座標系の画像は取り込めません．\nUTMなどの投影座標系の画像を使ってください"
             "．";
    case kMsgImportNoGeoref: return "画像に位置の情報（座標系）がありません．";
    case kMsgImportTooLarge:
      return "画像が大きすぎます．範囲を狭めるか，大きさを小さくしてください．";
    case kMsgImportAreaOutside: return "指定した範囲が画像の外にあります．";
    case kMsgImportNotWritable: return "出力先のフォルダに書き込めません．";
    case kMsgImportReadFailed: return "画像ファイルの読み込みに失敗しました．";
    case kMsgImportTurned:
      return "画像の向きが北から45度より大きく傾いているため，取り込めません．";
    case kMsgImportDemExists: return "この画像には標高データがすでにあります．";
    case kMsgImportDemOutside: return "標高データが画像の範囲と重なりません．";
    case kMsgImportSceneNoGeoref: return "画像に位置の情報がないため，標高データを重ねられません．";
    case kMsgClassesLeftOut: return "次の分類項目は分類に使われませんでした．";
    case kMsgClassNoArea: return "トレーニングエリアが指定されていません．";
    case kMsgClassTooFewSamples: return "トレーニングエリアの画素が２つ未満です．";
    case kMsgClassSingular: return "エリア内で値が変わらないバンドがあり，統計を計算できません．";
    case kMsgClassAreaOutside: return "トレーニングエリアが画像の外にはみ出しています．";
    case kMsgClassNoMemory: return "メモリが足りず，統計を計算できません．";
    case kMsgNoGroundScale: return "地上距離（LengthPerPixel）が正しくないため，表示できません．";
    case kMsgDemBirdsEyeOnly: return "処理済みの画像には，DEMの鳥瞰表示しかできません．";
    case kMsgDemOfBirdsEye: return "鳥瞰表示の画像には，DEM処理はできません．";
    case kMsgAreaOutsideImage: return "指定された範囲が画像の外にあります．";
    case kMsgError:
    default: return "エラーが発生しました．";
  }
}

}  // namespace lumora
