<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>RunEditor</name>
    <message>
        <source>&quot;%1&quot; を開けませんでした。
%2</source>
        <translation>Could not open &quot;%1&quot;.
%2</translation>
    </message>
</context>
<context>
    <name>TFileCommands</name>
    <message>
        <source>ファイル &quot;%1&quot; を開けませんでした。
%2</source>
        <translation>Could not open the file &quot;%1&quot;.
%2</translation>
    </message>
    <message>
        <source>画像 &quot;%1&quot; を読めませんでした。
%2</source>
        <translation>Could not read the picture &quot;%1&quot;.
%2</translation>
    </message>
</context>
<context>
    <name>TMenuControl</name>
    <message>
        <source>グループ化</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>グループ解除</source>
        <translation>Ungroup</translation>
    </message>
    <message>
        <source>90度回転</source>
        <translation>Rotate 90°</translation>
    </message>
    <message>
        <source>反転</source>
        <translation>Mirror</translation>
    </message>
    <message>
        <source>数値入力</source>
        <translation>Numeric input</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>コントロールポイントの追加と削除</source>
        <translation>Add and delete control points</translation>
    </message>
    <message>
        <source>オブジェクトを選択します</source>
        <translation>Selects objects</translation>
    </message>
    <message>
        <source>ポイントを選択します</source>
        <translation>Selects points</translation>
    </message>
    <message>
        <source>部品を選択します</source>
        <translation>Selects parts</translation>
    </message>
    <message>
        <source>ベジェ曲線を生成します</source>
        <translation>Draws Bezier curves</translation>
    </message>
    <message>
        <source>ポリラインを生成します</source>
        <translation>Draws polylines</translation>
    </message>
    <message>
        <source>楕円を生成します</source>
        <translation>Draws ellipses</translation>
    </message>
    <message>
        <source>長方形を生成します</source>
        <translation>Draws rectangles</translation>
    </message>
    <message>
        <source>文字列を生成します</source>
        <translation>Creates texts</translation>
    </message>
    <message>
        <source>パッド</source>
        <translation>Pad</translation>
    </message>
    <message>
        <source>ライブラリ</source>
        <translation>Library</translation>
    </message>
</context>
<context>
    <name>TVemoDialogs</name>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
</context>
<context>
    <name>TVemoEventContext</name>
    <message>
        <source>ファイルの変更を保存しますか?</source>
        <translation>Save the changes to the file?</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を保存できませんでした。
%2</source>
        <translation>Could not save the file &quot;%1&quot;.
%2</translation>
    </message>
</context>
<context>
    <name>app::TCheckForm</name>
    <message>
        <source>クリアランス</source>
        <translation>Clearance</translation>
    </message>
    <message>
        <source>同じレイヤーで、つながっていない銅箔どうしの最小の間隔 (mm)</source>
        <translation>Smallest gap between copper that does not touch, on one layer (mm)</translation>
    </message>
    <message>
        <source>最小線幅</source>
        <translation>Minimum width</translation>
    </message>
    <message>
        <source>銅箔の線の最小の幅 (mm)</source>
        <translation>Smallest width of a copper line (mm)</translation>
    </message>
    <message>
        <source>最小ランド幅</source>
        <translation>Minimum annular ring</translation>
    </message>
    <message>
        <source>穴のまわりに残る銅箔の輪の最小の幅 (mm)</source>
        <translation>Smallest width of the copper ring left around a hole (mm)</translation>
    </message>
    <message>
        <source>最小穴径</source>
        <translation>Minimum drill</translation>
    </message>
    <message>
        <source>穴の最小の直径 (mm)</source>
        <translation>Smallest hole diameter (mm)</translation>
    </message>
    <message>
        <source>最大穴径</source>
        <translation>Maximum drill</translation>
    </message>
    <message>
        <source>穴の最大の直径 (mm)</source>
        <translation>Largest hole diameter (mm)</translation>
    </message>
    <message>
        <source>基板端からの距離</source>
        <translation>Edge clearance</translation>
    </message>
    <message>
        <source>銅箔と基板の外形との最小の間隔 (mm)</source>
        <translation>Smallest gap between copper and the board outline (mm)</translation>
    </message>
    <message>
        <source>パッド上のシルク</source>
        <translation>Silk over pad</translation>
    </message>
    <message>
        <source>デザインルールチェック</source>
        <translation>Design rule check</translation>
    </message>
    <message>
        <source>プリセット</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>付属のルールから値を取ります</source>
        <translation>Takes the values from the rules shipped with the program</translation>
    </message>
    <message>
        <source>プリセット(&amp;P)</source>
        <translation>&amp;Preset</translation>
    </message>
    <message>
        <source>追加の銅箔レイヤー</source>
        <translation>Extra copper layers</translation>
    </message>
    <message>
        <source>solder と component のほかに銅箔のあるレイヤー (カンマで区切る)</source>
        <translation>Layers that carry copper besides solder and component (separated by commas)</translation>
    </message>
    <message>
        <source>パッド上のシルクを調べる</source>
        <translation>Check silk over pads</translation>
    </message>
    <message>
        <source>シルク印刷がレジストの開口部にかかっていないか調べます</source>
        <translation>Checks that no silk screen lies on an opening of the solder mask</translation>
    </message>
    <message>
        <source>実行(&amp;R)</source>
        <translation>&amp;Run</translation>
    </message>
    <message>
        <source>開いている基板をこのルールでチェックします</source>
        <translation>Checks the open board against these rules</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>実行中のチェックを止めます</source>
        <translation>Stops the check under way</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>進み具合</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>違反の一覧</source>
        <translation>Violations</translation>
    </message>
    <message>
        <source>ルール</source>
        <translation>Rule</translation>
    </message>
    <message>
        <source>レイヤー</source>
        <translation>Layer</translation>
    </message>
    <message>
        <source>実測 (mm)</source>
        <translation>Measured (mm)</translation>
    </message>
    <message>
        <source>規定 (mm)</source>
        <translation>Required (mm)</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>結果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>(手入力)</source>
        <translation>(own values)</translation>
    </message>
    <message>
        <source>%1 は mm 単位の数値で入力してください (&quot;%2&quot; は数値ではありません)</source>
        <translation>%1 must be a number of millimetres (&quot;%2&quot; is not a number)</translation>
    </message>
    <message>
        <source>チェックしています...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>チェックを中止しました。</source>
        <translation>The check was cancelled.</translation>
    </message>
    <message>
        <source>銅箔レイヤー: %1。銅箔のオブジェクト %2、導体 %3、穴 %4。</source>
        <translation>Copper layers: %1. %2 copper objects, %3 conductors, %4 holes.</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>違反はありません。</source>
        <translation>No violations.</translation>
    </message>
    <message>
        <source>違反 %1 件 (%2)。</source>
        <translation>%1 violation(s) (%2).</translation>
    </message>
    <message>
        <source>チェックするものがありません: %1</source>
        <translation>Nothing to check: %1</translation>
    </message>
    <message>
        <source>チェックできませんでした: %1 %2 (%3): %4</source>
        <translation>Not checked: %1 %2 (%3): %4</translation>
    </message>
    <message>
        <source>チェックの間に基板が変更されました。もう一度実行してください。</source>
        <translation>The board was changed during the check. Run it again.</translation>
    </message>
    <message>
        <source>チェックの後で基板が変更されました。もう一度実行してください。</source>
        <translation>The board was changed since the check. Run it again.</translation>
    </message>
    <message>
        <source>この基板にはレイヤー &quot;%1&quot; がありません</source>
        <translation>This board has no layer &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>app::TDesignFrame</name>
    <message>
        <source>グリッド (mm)</source>
        <translation>Grid (mm)</translation>
    </message>
    <message>
        <source>グリッドの一覧</source>
        <translation>Grid list</translation>
    </message>
    <message>
        <source>グリッドを表示</source>
        <translation>Show grid</translation>
    </message>
    <message>
        <source>ライングリッド</source>
        <translation>Line grid</translation>
    </message>
    <message>
        <source>グリッドにスナップ</source>
        <translation>Snap to grid</translation>
    </message>
    <message>
        <source>背景を表示</source>
        <translation>Show background</translation>
    </message>
    <message>
        <source>縦横比を固定</source>
        <translation>Fixed aspect ratio</translation>
    </message>
    <message>
        <source>図面領域 X (mm)</source>
        <translation>Area X (mm)</translation>
    </message>
    <message>
        <source>図面領域 Y (mm)</source>
        <translation>Area Y (mm)</translation>
    </message>
    <message>
        <source>図面領域 W (mm)</source>
        <translation>Area W (mm)</translation>
    </message>
    <message>
        <source>図面領域 H (mm)</source>
        <translation>Area H (mm)</translation>
    </message>
    <message>
        <source>図面領域</source>
        <translation>Drawing area</translation>
    </message>
</context>
<context>
    <name>app::TDesignWidget</name>
    <message>
        <source>デザイン</source>
        <translation>Design</translation>
    </message>
</context>
<context>
    <name>app::TExportBmpForm</name>
    <message>
        <source>ビットマップ出力</source>
        <translation>Export Bitmap</translation>
    </message>
    <message>
        <source>カラー出力</source>
        <translation>Colour output</translation>
    </message>
    <message>
        <source>カラー</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>モノクロ</source>
        <translation>Monochrome</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>反転出力</source>
        <translation>Mirrored output</translation>
    </message>
    <message>
        <source>ネガ出力</source>
        <translation>Negative output</translation>
    </message>
    <message>
        <source>アンチエイリアス</source>
        <translation>Anti-alias</translation>
    </message>
    <message>
        <source>解像度 (ppi)</source>
        <translation>Resolution (ppi)</translation>
    </message>
    <message>
        <source>出力するレイヤー</source>
        <translation>Layers to output</translation>
    </message>
    <message>
        <source>解像度には正の数を入れてください: &quot;%1&quot;</source>
        <translation>The resolution must be a positive number: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot; を書き出せませんでした: %2</source>
        <translation>Could not write &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1 を書き出しました (%2 x %3 ピクセル, %4 ppi, %5)</source>
        <translation>Wrote %1 (%2 x %3 pixels, %4 ppi, %5)</translation>
    </message>
</context>
<context>
    <name>app::TExportEmfForm</name>
    <message>
        <source>ExportEmfForm</source>
        <translation>Export EMF</translation>
    </message>
    <message>
        <source>カラー出力</source>
        <translation>Colour output</translation>
    </message>
    <message>
        <source>カラー</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>モノクロ</source>
        <translation>Monochrome</translation>
    </message>
    <message>
        <source>出力対象</source>
        <translation>What to output</translation>
    </message>
    <message>
        <source>すべて</source>
        <translation>All</translation>
    </message>
    <message>
        <source>選択中</source>
        <translation>Selected</translation>
    </message>
    <message>
        <source>不透明色</source>
        <translation>Opaque colours</translation>
    </message>
    <message>
        <source>レイヤーの色を不透明にして出力します (レイヤーの設定は変わりません)</source>
        <translation>Writes the layers in opaque colours (the layers themselves do not change)</translation>
    </message>
    <message>
        <source>アンチエイリアシング</source>
        <translation>Anti-aliasing</translation>
    </message>
    <message>
        <source>滑らかに表示するかどうかは、メタファイルを読むプログラムが決めます</source>
        <translation>Whether edges are smoothed is up to the program that reads the metafile</translation>
    </message>
    <message>
        <source>出力するレイヤー</source>
        <translation>Layers to output</translation>
    </message>
    <message>
        <source>&quot;%1&quot; を書き出せませんでした: %2</source>
        <translation>Could not write &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1 を書き出しました (%2 レコード, %3)</source>
        <translation>Wrote %1 (%2 records, %3)</translation>
    </message>
</context>
<context>
    <name>app::TGerberForm</name>
    <message>
        <source>ガーバ出力</source>
        <translation>Gerber Export</translation>
    </message>
    <message>
        <source>出力レイヤー</source>
        <translation>Output Layers</translation>
    </message>
    <message>
        <source>Output: ガーバファイルに出力するレイヤー / Hole: 穴のレイヤー</source>
        <translation>Output: layers written to Gerber files / Hole: the layer of the holes</translation>
    </message>
    <message>
        <source>デフォルト線幅[mm]</source>
        <translation>Default pen width [mm]</translation>
    </message>
    <message>
        <source>テキスト出力時の線幅[mm]</source>
        <translation>Pen width for texts [mm]</translation>
    </message>
    <message>
        <source>RS-274X (標準)</source>
        <translation>RS-274X (classic)</translation>
    </message>
    <message>
        <source>Gerber X2 (基板メーカー向け)</source>
        <translation>Gerber X2 (for board houses)</translation>
    </message>
    <message>
        <source>形式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Gerber X2: ミリ単位、ファイル属性付き、塗りつぶしは領域で出力します</source>
        <translation>Gerber X2: millimetres, file attributes, filled shapes as regions</translation>
    </message>
    <message>
        <source>ドリルファイル (.drl) も出力する</source>
        <translation>Also write the drill file (.drl)</translation>
    </message>
    <message>
        <source>基板メーカー用パッケージ (.zip) も出力する</source>
        <translation>Also write the board-house package (.zip)</translation>
    </message>
    <message>
        <source>Gerber X2 ファイル、ドリルファイル、説明書を一つの zip にまとめます</source>
        <translation>Puts the Gerber X2 files, the drill file and a readme into one zip</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>出力先の選択</source>
        <translation>Choose the Output Folder</translation>
    </message>
    <message>
        <source>✓</source>
        <translation>✓</translation>
    </message>
    <message>
        <source>「%1」には 0 から 100 までの数を入れてください: &quot;%2&quot;</source>
        <translation>&quot;%1&quot; takes a number from 0 to 100: &quot;%2&quot;</translation>
    </message>
    <message>
        <source>出力するレイヤーがありません。「出力レイヤー」の Output 欄でレイヤーを選んでください。</source>
        <translation>No layer is marked for output. Mark layers in the Output column of &quot;Output Layers&quot;.</translation>
    </message>
    <message>
        <source>ガーバファイルを出力できませんでした。何も書き出していません。</source>
        <translation>The Gerber files could not be made. Nothing was written.</translation>
    </message>
    <message>
        <source>ドリルファイル: 穴のレイヤーがありません</source>
        <translation>Drill file: there is no hole layer</translation>
    </message>
    <message>
        <source>ドリルファイル: %1</source>
        <translation>Drill file: %1</translation>
    </message>
    <message>
        <source>パッケージ: %1</source>
        <translation>Package: %1</translation>
    </message>
    <message>
        <source>書き出しました:</source>
        <translation>Written:</translation>
    </message>
    <message>
        <source>書き出せなかったもの:</source>
        <translation>Not written:</translation>
    </message>
    <message>
        <source>注意:</source>
        <translation>Notes:</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; を作れませんでした。</source>
        <translation>Could not make the folder &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>app::TGraphToolForm</name>
    <message>
        <source>GraphToolForm</source>
        <translation>Graph Tool</translation>
    </message>
    <message>
        <source>グラフツール</source>
        <translation>Graph tool</translation>
    </message>
</context>
<context>
    <name>app::TLayerEdit</name>
    <message>
        <source>レイヤーの編集</source>
        <translation>Edit Layer</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>いろ</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>クリックして色を選びます</source>
        <translation>Click to choose the colour</translation>
    </message>
    <message>
        <source>切り抜く</source>
        <translation>Cut out</translation>
    </message>
    <message>
        <source>ワイヤーフレーム</source>
        <translation>Wireframe</translation>
    </message>
    <message>
        <source>不透明</source>
        <translation>Opaque</translation>
    </message>
    <message>
        <source>文字列として出力</source>
        <translation>Output as text</translation>
    </message>
    <message>
        <source>名前:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>いろ:</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>レイヤー名を入力してください。</source>
        <translation>Enter a layer name.</translation>
    </message>
    <message>
        <source>レイヤー</source>
        <translation>Layers</translation>
    </message>
</context>
<context>
    <name>app::TLayerWindow</name>
    <message>
        <source>レイヤ</source>
        <translation>Layer</translation>
    </message>
    <message>
        <source>新しいレイヤーを現在のレイヤーの前に作ります</source>
        <translation>Makes a new layer in front of the current one</translation>
    </message>
    <message>
        <source>現在のレイヤーとその上のオブジェクトを削除します</source>
        <translation>Deletes the current layer and the objects on it</translation>
    </message>
    <message>
        <source>レイヤーに関連付けられているオブジェクトも削除されますが、よろしいですか？</source>
        <translation>The objects on the layer will be deleted too. Continue?</translation>
    </message>
</context>
<context>
    <name>app::TLibraryForm</name>
    <message>
        <source>ライブラリ</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>ライブラリの部品</source>
        <translation>Library parts</translation>
    </message>
</context>
<context>
    <name>app::TLibraryPreview</name>
    <message>
        <source>部品の表示</source>
        <translation>Part preview</translation>
    </message>
</context>
<context>
    <name>app::TLineGraphFrame</name>
    <message>
        <source>項目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>値</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>グラフの設定</source>
        <translation>Graph settings</translation>
    </message>
    <message>
        <source>読み込み</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>タブ区切りか CSV の数値データを読み込みます</source>
        <translation>Reads numbers separated by tabs or commas</translation>
    </message>
    <message>
        <source>データファイル</source>
        <translation>Data file</translation>
    </message>
    <message>
        <source>&quot;%1&quot; を読み込めませんでした: %2</source>
        <translation>Could not read &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; には数値の行がありません。</source>
        <translation>&quot;%1&quot; has no line of numbers.</translation>
    </message>
    <message>
        <source>%1 行に数値でない値があり、その行の残りを読み飛ばしました (最初は %2 行目)。</source>
        <translation>%1 rows held a value that is not a number; the rest of each was skipped (first at line %2).</translation>
    </message>
    <message>
        <source>グラフの設定を保存できませんでした: %1</source>
        <translation>Could not save the graph settings: %1</translation>
    </message>
    <message>
        <source>無効な値が含まれています。</source>
        <translation>The input contains an invalid value.</translation>
    </message>
    <message>
        <source>グラフにするデータがありません。「読み込み」でデータファイルを読んでください。</source>
        <translation>There is no data to draw. Read a data file with &quot;Read&quot;.</translation>
    </message>
    <message>
        <source>グラフの設定を %1 に移せませんでした: %2</source>
        <translation>Could not move the graph settings to %1: %2</translation>
    </message>
</context>
<context>
    <name>app::TNumericForm</name>
    <message>
        <source>数値入力</source>
        <translation>Numeric input</translation>
    </message>
    <message>
        <source>基準 X (mm)</source>
        <translation>Anchor X (mm)</translation>
    </message>
    <message>
        <source>基準 Y (mm)</source>
        <translation>Anchor Y (mm)</translation>
    </message>
    <message>
        <source>移動 X (mm)</source>
        <translation>Offset X (mm)</translation>
    </message>
    <message>
        <source>移動 Y (mm)</source>
        <translation>Offset Y (mm)</translation>
    </message>
    <message>
        <source>回転 (deg)</source>
        <translation>Rotation (deg)</translation>
    </message>
    <message>
        <source>基準 (mm)</source>
        <translation>Anchor (mm)</translation>
    </message>
    <message>
        <source>移動 (mm)</source>
        <translation>Offset (mm)</translation>
    </message>
    <message>
        <source>無効な値が含まれています。</source>
        <translation>The input contains an invalid value.</translation>
    </message>
</context>
<context>
    <name>app::TPreviewFrame</name>
    <message>
        <source>パッド</source>
        <translation>Pad</translation>
    </message>
    <message>
        <source>パッドの一覧</source>
        <translation>Pads</translation>
    </message>
    <message>
        <source>パッドの名前</source>
        <translation>Pad name</translation>
    </message>
</context>
<context>
    <name>app::TPrintForm</name>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>印刷するレイヤー</source>
        <translation>Layers to print</translation>
    </message>
    <message>
        <source>カラー印刷</source>
        <translation>Colour printing</translation>
    </message>
    <message>
        <source>カラー</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>モノクロ</source>
        <translation>Monochrome</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>反転印刷</source>
        <translation>Mirror print</translation>
    </message>
    <message>
        <source>左右を反転します (部品面のフィルムを印刷面を下にして使うとき)</source>
        <translation>Flips left and right (for a component-side film laid printed side down)</translation>
    </message>
    <message>
        <source>ネガ印刷</source>
        <translation>Negative print</translation>
    </message>
    <message>
        <source>モノクロ: 黒い紙に白で印刷します</source>
        <translation>Monochrome: prints white on a black page</translation>
    </message>
    <message>
        <source>アンチエイリアス</source>
        <translation>Anti-alias</translation>
    </message>
    <message>
        <source>プリンタ</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>PDF に出力...</source>
        <translation>Print to PDF...</translation>
    </message>
    <message>
        <source>実寸の PDF ファイルに印刷します</source>
        <translation>Prints into a PDF file at true scale</translation>
    </message>
    <message>
        <source>印刷設定</source>
        <translation>Printer Settings</translation>
    </message>
    <message>
        <source>レイヤー</source>
        <translation>Layers</translation>
    </message>
    <message>
        <source>PDF に出力</source>
        <translation>Print to PDF</translation>
    </message>
    <message>
        <source>プリンタ: %1 (印刷範囲 %2 × %3 mm)</source>
        <translation>Printer: %1 (printable area %2 × %3 mm)</translation>
    </message>
    <message>
        <source>プリンタがありません。PDF ファイルに実寸で印刷できます (%1 × %2 mm)。</source>
        <translation>There is no printer. You can print true to scale into a PDF file (%1 × %2 mm).</translation>
    </message>
    <message>
        <source>プリンタがありません</source>
        <translation>There is no printer</translation>
    </message>
    <message>
        <source>印刷できませんでした: %1</source>
        <translation>Could not print: %1</translation>
    </message>
    <message>
        <source>プリンタがありません。「PDF に出力...」で PDF ファイルに印刷できます。</source>
        <translation>There is no printer. &quot;Print to PDF...&quot; prints into a PDF file.</translation>
    </message>
    <message>
        <source>%1 を書き出しました (%2 x %3 mm のページ, %4)</source>
        <translation>Wrote %1 (a %2 x %3 mm page, %4)</translation>
    </message>
</context>
<context>
    <name>app::TStyleForm</name>
    <message>
        <source>スタイル</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>図面</source>
        <translation>Drawing</translation>
    </message>
    <message>
        <source>パッド</source>
        <translation>Pad</translation>
    </message>
</context>
<context>
    <name>app::TSurfaceFrame</name>
    <message>
        <source>線幅 (mm)</source>
        <translation>Line width (mm)</translation>
    </message>
    <message>
        <source>線幅の一覧</source>
        <translation>Line width list</translation>
    </message>
    <message>
        <source>角を落とす</source>
        <translation>Bevel</translation>
    </message>
    <message>
        <source>丸める</source>
        <translation>Round</translation>
    </message>
    <message>
        <source>線種</source>
        <translation>Line style</translation>
    </message>
    <message>
        <source>実線</source>
        <translation>Solid</translation>
    </message>
    <message>
        <source>破線</source>
        <translation>Dashed</translation>
    </message>
    <message>
        <source>点線</source>
        <translation>Dotted</translation>
    </message>
    <message>
        <source>一点鎖線</source>
        <translation>Dash-dot</translation>
    </message>
    <message>
        <source>二点鎖線</source>
        <translation>Dash-dot-dot</translation>
    </message>
    <message>
        <source>切りぬく</source>
        <translation>Cut out</translation>
    </message>
    <message>
        <source>ぬりつぶす</source>
        <translation>Fill</translation>
    </message>
</context>
<context>
    <name>app::TSwapLayerForm</name>
    <message>
        <source>レイヤーの置換</source>
        <translation>Replace Layers</translation>
    </message>
    <message>
        <source>レイヤーの置換表</source>
        <translation>Layer replacement table</translation>
    </message>
    <message>
        <source>%1 の置換先</source>
        <translation>Replacement for %1</translation>
    </message>
</context>
<context>
    <name>app::TTextForm</name>
    <message>
        <source>テキスト</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>フォント</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>文字の大きさ (mm)</source>
        <translation>Text size (mm)</translation>
    </message>
    <message>
        <source>大きさ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>文字列</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>app::TVemoForm</name>
    <message>
        <source>ツール</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>ポインタの位置</source>
        <translation>Pointer position</translation>
    </message>
    <message>
        <source>原点からの距離</source>
        <translation>Distance from the origin</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; は、開いた後 (または保存した後) に他のプログラムかウィンドウで書き換えられています。
上書きすると、その変更は失われます。</source>
        <translation>The file &quot;%1&quot; was changed by another program or window after it was opened (or saved) here.
Overwriting it loses those changes.</translation>
    </message>
    <message>
        <source>上書き</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>名前を付けて保存...</source>
        <translation>Save As...</translation>
    </message>
    <message>
        <source>ポインタの位置 (mm)</source>
        <translation>Pointer position (mm)</translation>
    </message>
    <message>
        <source>原点からの距離 (mm)。原点は、ツールで最後にクリックした点です。</source>
        <translation>Offset from the origin (mm): the point of the last press of a tool</translation>
    </message>
</context>
<context>
    <name>app::TVemoImportForm</name>
    <message>
        <source>VEMOファイルのインポート</source>
        <translation>Import VEMO File</translation>
    </message>
    <message>
        <source>ファイルの各レイヤー (Target) を受け取るレイヤー (Dest) を選んでください。新しい名前を入力するとレイヤーを作ります。空欄のレイヤーは読み込みません。</source>
        <translation>Choose the layer (Dest) that receives each layer of the file (Target). A new name makes a new layer; a layer left empty is not read.</translation>
    </message>
    <message>
        <source>レイヤーの対応</source>
        <translation>Layer mapping</translation>
    </message>
    <message>
        <source>&quot;%1&quot; を開けませんでした。</source>
        <translation>Could not open &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Dest </source>
        <translation>Dest </translation>
    </message>
    <message>
        <source>レイヤー名 &quot;%1&quot; には保存できない文字が含まれています。</source>
        <translation>The layer name &quot;%1&quot; holds characters a board file cannot store.</translation>
    </message>
</context>
<context>
    <name>app::TVemoLayerFace</name>
    <message>
        <source>%1 — 左: 表示 / 鍵: ロック / 名前: 現在のレイヤー (ドラッグで順番を変更、ダブルクリックで編集)</source>
        <translation>%1 — left: visible / key: locked / name: current layer (drag to reorder, double-click to edit)</translation>
    </message>
</context>
<context>
    <name>app::TVemoMenus</name>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>新規作成</source>
        <translation>New</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>上書き保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>インポート</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>VEMOファイル</source>
        <translation>VEMO file</translation>
    </message>
    <message>
        <source>背景画像</source>
        <translation>Background image</translation>
    </message>
    <message>
        <source>エクスポート</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>ガーバファイル</source>
        <translation>Gerber files</translation>
    </message>
    <message>
        <source>ビットマップ</source>
        <translation>Bitmap</translation>
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
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>取り消し</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>オブジェクト</source>
        <translation>Object</translation>
    </message>
    <message>
        <source>レイヤー置換</source>
        <translation>Replace layers...</translation>
    </message>
    <message>
        <source>コントロールポイントの逆転</source>
        <translation>Reverse control points</translation>
    </message>
    <message>
        <source>グラフツール</source>
        <translation>Graph tool</translation>
    </message>
    <message>
        <source>ウインドウ</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>スタイル</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>レイヤー</source>
        <translation>Layers</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About zelko</translation>
    </message>
    <message>
        <source>この版のエディタにはまだありません。コマンド行の %1 を使ってください。</source>
        <translation>This version of the editor does not have it yet. Use %1 on the command line.</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>View</translation>
    </message>
    <message>
        <source>全体を表示</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>デザインルールチェック</source>
        <translation>Design rule check</translation>
    </message>
</context>
<context>
    <name>app::TVersionForm</name>
    <message>
        <source>バージョン情報</source>
        <translation>About zelko</translation>
    </message>
</context>
</TS>
