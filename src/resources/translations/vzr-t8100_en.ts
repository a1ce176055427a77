<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>バージョン情報 VZR-T8100用 リモートコントロールソフトウェア</source>
        <translation>About VZR-T8100 Remote Control Software</translation>
    </message>
    <message>
        <source>VZR-T8100用 リモートコントロールソフトウェア</source>
        <translation>VZR-T8100 Remote Control Software</translation>
    </message>
</context>
<context>
    <name>CCommandLine</name>
    <message>
        <source>オプション %1 には値が必要です。</source>
        <translation>The option %1 needs a value.</translation>
    </message>
    <message>
        <source>不明なオプションです: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>--lang には ja か en を指定します: %1</source>
        <translation>--lang takes ja or en: %1</translation>
    </message>
    <message>
        <source>--results は --report と一緒に指定してください。</source>
        <translation>--results goes only with --report.</translation>
    </message>
    <message>
        <source>余分な引数があります: %1</source>
        <translation>Extra arguments: %1</translation>
    </message>
    <message>
        <source>--send-sequence にはデータファイルを一つだけ指定します。</source>
        <translation>--send-sequence takes exactly one data file.</translation>
    </message>
    <message>
        <source>--identify、--dump、--report、--send-sequence、--runs、--run は同時に指定できません。</source>
        <translation>--identify, --dump, --report, --send-sequence, --runs and --run cannot be given together.</translation>
    </message>
    <message>
        <source>--out は --report または --run と一緒に指定してください。</source>
        <translation>--out needs --report or --run.</translation>
    </message>
    <message>
        <source>--pdf は --report または --run と一緒に指定してください。</source>
        <translation>--pdf needs --report or --run.</translation>
    </message>
    <message>
        <source>--results-csv は --run と一緒に指定してください。</source>
        <translation>--results-csv needs --run.</translation>
    </message>
    <message>
        <source>--quiet は --run と一緒に指定してください。</source>
        <translation>--quiet needs --run.</translation>
    </message>
    <message>
        <source>--run にはデータファイルを一つだけ指定します。</source>
        <translation>--run takes exactly one data file.</translation>
    </message>
    <message>
        <source>使い方: vzr-t8100 [オプション] [データファイル.vzt]

VZR-T8100用リモートコントロールソフト

オプション:
  --port PATH    PATH のシリアルポートを先に探します (複数指定可)
  --simulate     内蔵の模擬器を起動し、その端末を最初に探します
  --identify     VZR-T8100を探し、見つかったポートと応答を表示して終了します
  --dump FILE    データファイルの内容を表示して終了します
  --report FILE  データファイルの試験レポート (.xlsx) を作成し、そのパスを
                 表示して終了します (判定なし、試験日時なし)
  --results RECORD
                 --report に試験記録 RECORD の判定とコメント、試験環境と
                 試験日時を入れます (データファイルの試験計画と同じ記録のみ。
                 記録が途中までしか読めないときは終了コード 3)
  --out PATH     --report と --run のレポートの保存先 (ファイルまたは
                 フォルダ)。--report で省略時は文書フォルダの VZR-T8100
  --pdf PATH     --report と --run で印刷用の試験報告書 (.pdf) を PATH
                 (ファイルまたはフォルダ) に作成します。--report で --out が
                 なければ .xlsx は作成しません
  --send-sequence FILE
                 データファイルの試験条件をVZR-T8100内部のSEQUENCEデータに
                 書き込んで終了します (成功は終了コード 0)
  --runs FILE    データファイルの試験記録 (開始、終了、判定数、試験器エラー)
                 を一覧表示して終了します
  --run FILE     ウィンドウなしでデータファイルの試験を最初のステップから最後まで
                 実行します (自動A判定。完了したステップを一行ずつ、最後に判定
                 の件数を表示。Ctrl+C で STOP と同じく停止します)。終了コード:
                 0 全ステップ完了、1 試験器なし・エラー、130/143 SIGINT/SIGTERM
  --results-csv FILE
                 --run の試験記録の写しを FILE に書き込みます
  --quiet        --run で判定の件数の行だけを表示します
  --version      バージョンを表示します
  --lang ja|en   表示の言語 (省略時はロケールの LC_ALL、LC_MESSAGES、LANG
                 から決めます: ja_* と C は日本語、ほかの言語は英語)
  --help         この説明を表示します
</source>
        <translation>Usage: vzr-t8100 [options] [datafile.vzt]

Remote control software for the VZR-T8100

Options:
  --port PATH    Search the serial port PATH first (may be given more than once)
  --simulate     Start the built-in simulator and search its terminal first
  --identify     Search for the VZR-T8100, print the port found and its answer, and exit
  --dump FILE    Print the contents of a data file and exit
  --report FILE  Create the test report (.xlsx) of a data file, print its path and
                 exit (no judgements, no test date)
  --results RECORD
                 Put the judgements and comments, the test environment and the test
                 date of the run record RECORD into --report (only a record of the
                 data file&apos;s test plan; exit status 3 when the record can be read
                 only in part)
  --out PATH     Where --report and --run save the report (a file or a folder).
                 For --report, by default the VZR-T8100 folder of the documents folder
  --pdf PATH     With --report and --run, create the printable test report (.pdf) at
                 PATH (a file or a folder). For --report without --out, no .xlsx is
                 created
  --send-sequence FILE
                 Write the data file&apos;s test conditions into the SEQUENCE data of the
                 VZR-T8100 and exit (exit status 0 on success)
  --runs FILE    List the data file&apos;s run records (start, end, judgements, instrument
                 errors) and exit
  --run FILE     Run the data file&apos;s test from the first step to the last without
                 windows (judgement A entered automatically; one line per completed
                 step, the counts of the judgements last; Ctrl+C stops as STOP does).
                 Exit status: 0 every step completed, 1 no instrument or an error,
                 130/143 SIGINT/SIGTERM
  --results-csv FILE
                 Write a copy of the --run&apos;s run record to FILE
  --quiet        With --run, print only the line of the judgement counts
  --version      Print the version
  --lang ja|en   The language (by default from the locale&apos;s LC_ALL, LC_MESSAGES,
                 LANG: ja_* and C are Japanese, any other language English)
  --help         Print this help
</translation>
    </message>
</context>
<context>
    <name>CCommandModes</name>
    <message>
        <source>使い方は --help で表示されます。</source>
        <translation>Run with --help for the usage.</translation>
    </message>
</context>
<context>
    <name>CDataFileDump</name>
    <message>
        <source>No.</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>テストポイント</source>
        <translation>Test Point</translation>
    </message>
</context>
<context>
    <name>CExecData</name>
    <message>
        <source>放電モード</source>
        <translation>Discharge Mode</translation>
    </message>
    <message>
        <source>IEC LEVEL</source>
        <translation>IEC LEVEL</translation>
    </message>
    <message>
        <source>トリガ</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>極性</source>
        <translation>Polarity</translation>
    </message>
    <message>
        <source>電圧[kV]</source>
        <translation>Voltage [kV]</translation>
    </message>
    <message>
        <source>放電回数[回]</source>
        <translation>Discharges</translation>
    </message>
    <message>
        <source>放電間隔[s]</source>
        <translation>Interval [s]</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Judgement</translation>
    </message>
    <message>
        <source>コメント</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>CONTACT</source>
        <translation>CONTACT</translation>
    </message>
    <message>
        <source>AIR</source>
        <translation>AIR</translation>
    </message>
    <message>
        <source>IEC LEVEL 1</source>
        <translation>IEC LEVEL 1</translation>
    </message>
    <message>
        <source>IEC LEVEL 2</source>
        <translation>IEC LEVEL 2</translation>
    </message>
    <message>
        <source>IEC LEVEL 3</source>
        <translation>IEC LEVEL 3</translation>
    </message>
    <message>
        <source>IEC LEVEL 4</source>
        <translation>IEC LEVEL 4</translation>
    </message>
    <message>
        <source>IEC LEVEL X</source>
        <translation>IEC LEVEL X</translation>
    </message>
    <message>
        <source>------</source>
        <translation>------</translation>
    </message>
    <message>
        <source>VZR</source>
        <translation>VZR</translation>
    </message>
    <message>
        <source>GUN</source>
        <translation>GUN</translation>
    </message>
    <message>
        <source>EXTERNAL</source>
        <translation>EXTERNAL</translation>
    </message>
    <message>
        <source>REMOTE</source>
        <translation>REMOTE</translation>
    </message>
</context>
<context>
    <name>CExecDlg</name>
    <message>
        <source>試験実行</source>
        <translation>Test Run</translation>
    </message>
    <message>
        <source>START</source>
        <translation>START</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>TRIG</source>
        <translation>TRIG</translation>
    </message>
    <message>
        <source>TRIG ON</source>
        <translation>TRIG ON</translation>
    </message>
    <message>
        <source>TRIG OFF</source>
        <translation>TRIG OFF</translation>
    </message>
    <message>
        <source>Step No.</source>
        <translation>Step No.</translation>
    </message>
    <message>
        <source>放電間隔</source>
        <translation>Interval</translation>
    </message>
    <message>
        <source>放電回数</source>
        <translation>Discharges</translation>
    </message>
    <message>
        <source>試験結果</source>
        <translation>Test results</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Judgement</translation>
    </message>
    <message>
        <source>コメント</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>確定</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>判定一括設定</source>
        <translation>Judgement for all steps</translation>
    </message>
    <message>
        <source>判定全変更</source>
        <translation>Change All Judgements</translation>
    </message>
    <message>
        <source>コメント全削除</source>
        <translation>Delete All Comments</translation>
    </message>
    <message>
        <source>Step 完了時にA判定を自動入力する</source>
        <translation>Enter judgement A automatically when a step completes</translation>
    </message>
    <message>
        <source>レポート作成...</source>
        <translation>Create Report...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>判定をすべて書き換えます。
よろしいですか？</source>
        <translation>Every judgement will be replaced.
Do you want to continue?</translation>
    </message>
    <message>
        <source>コメントをすべて削除します。
よろしいですか？</source>
        <translation>Every comment will be deleted.
Do you want to continue?</translation>
    </message>
    <message>
        <source>試験結果が存在します。
レポートを作成しますか？</source>
        <translation>There are test results.
Do you want to create a report?</translation>
    </message>
    <message>
        <source>前回の試験結果（%1、判定 %2 件）を復元しますか？</source>
        <translation>Restore the results of the previous test (%1, %2 judgements)?</translation>
    </message>
    <message>
        <source>（記録の末尾が読めませんでした）</source>
        <translation>(The end of its record could not be read.)</translation>
    </message>
    <message>
        <source>試験記録: %1</source>
        <translation>Run record: %1</translation>
    </message>
    <message>
        <source>試験記録: %1（データファイルのフォルダに書き込めません: %2）</source>
        <translation>Run record: %1 (the data file&apos;s folder cannot be written: %2)</translation>
    </message>
    <message>
        <source> - 試験記録の保存先が変わりました</source>
        <translation> - Run record moved</translation>
    </message>
    <message>
        <source>試験記録の保存先が失われました。記録を続けます: %1</source>
        <translation>The run record&apos;s medium was lost. Recording goes on in: %1</translation>
    </message>
    <message>
        <source> - 試験記録を書き込めません</source>
        <translation> - Run record cannot be written</translation>
    </message>
    <message>
        <source>試験記録を書き込めません: %1</source>
        <translation>The run record cannot be written: %1</translation>
    </message>
    <message>
        <source>テストポイント</source>
        <translation>Test Point</translation>
    </message>
    <message>
        <source>PDF作成...</source>
        <translation>Create PDF...</translation>
    </message>
    <message>
        <source>テストポイント %1「%2」へ放電ガンを移動してください。</source>
        <translation>Move the discharge gun to test point %1 &quot;%2&quot;.</translation>
    </message>
</context>
<context>
    <name>CIdentifyCommand</name>
    <message>
        <source>VZR-T8100が見つかりませんでした。電源や通信ケーブルの接続状態を確認してください。</source>
        <translation>No VZR-T8100 was found. Check the power and the communication cable.</translation>
    </message>
    <message>
        <source>ポート: %1</source>
        <translation>Port: %1</translation>
    </message>
    <message>
        <source>応答: %1</source>
        <translation>Reply: %1</translation>
    </message>
    <message>
        <source>VZR-T8100が応答しなくなりました。</source>
        <translation>The VZR-T8100 stopped answering.</translation>
    </message>
</context>
<context>
    <name>CJudgeDlg</name>
    <message>
        <source>判定</source>
        <translation>Judgement</translation>
    </message>
    <message>
        <source>コメント</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>VZR-T8100</source>
        <translation>VZR-T8100</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)	Ctrl+N</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>新規にファイルを作成します。</source>
        <translation>Creates a new file.</translation>
    </message>
    <message>
        <source>新規作成</source>
        <translation>New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>既存のファイルを開きます。</source>
        <translation>Opens an existing file.</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>作業中のファイルを閉じます。</source>
        <translation>Closes the active file.</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>作業中のファイルを上書きして保存します。</source>
        <translation>Saves the active file.</translation>
    </message>
    <message>
        <source>上書き保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>作業中のファイルを新しい名前で保存します。</source>
        <translation>Saves the active file under a new name.</translation>
    </message>
    <message>
        <source>最近使ったファイル</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>指定のファイルを開きます。</source>
        <translation>Opens this file.</translation>
    </message>
    <message>
        <source>アプリケーションの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>アプリケーションを終了し、ファイルの保存を指示します。</source>
        <translation>Quits the application, asking to save the files.</translation>
    </message>
    <message>
        <source>ツール バー(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ツール バーの表示/非表示を切り替えます。</source>
        <translation>Shows or hides the toolbar.</translation>
    </message>
    <message>
        <source>ステータス バー(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ステータス バーの表示/非表示を切り替えます。</source>
        <translation>Shows or hides the status bar.</translation>
    </message>
    <message>
        <source>オプション設定(&amp;O)...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>試験機器の情報を設定します。</source>
        <translation>Sets the test equipment and where the tests are made.</translation>
    </message>
    <message>
        <source>試験環境(&amp;I)...</source>
        <translation>Test Env&amp;ironment...</translation>
    </message>
    <message>
        <source>試験環境を設定します。</source>
        <translation>Sets the test environment.</translation>
    </message>
    <message>
        <source>接続状態(&amp;C)...</source>
        <translation>&amp;Connection...</translation>
    </message>
    <message>
        <source>VZR-T8100との接続状態を表示します。</source>
        <translation>Shows the connection with the VZR-T8100.</translation>
    </message>
    <message>
        <source>バージョン情報 VZR-T8100(&amp;A)...</source>
        <translation>&amp;About VZR-T8100...</translation>
    </message>
    <message>
        <source>プログラム情報、バージョン、著作権を表示します。</source>
        <translation>Shows the program&apos;s information, version and copyright.</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>新しいウィンドウを開く(&amp;N)</source>
        <translation>&amp;New Window</translation>
    </message>
    <message>
        <source>作業中のウィンドウを複写して表示します。</source>
        <translation>Opens another window on the active document.</translation>
    </message>
    <message>
        <source>重ねて表示(&amp;C)</source>
        <translation>&amp;Cascade</translation>
    </message>
    <message>
        <source>ウィンドウが重なるように整列します。</source>
        <translation>Arranges the windows so that they overlap.</translation>
    </message>
    <message>
        <source>並べて表示(&amp;T)</source>
        <translation>&amp;Tile</translation>
    </message>
    <message>
        <source>ウィンドウが重ならないように整列します。</source>
        <translation>Arranges the windows side by side.</translation>
    </message>
    <message>
        <source>アイコンの整列(&amp;A)</source>
        <translation>&amp;Arrange Icons</translation>
    </message>
    <message>
        <source>ウィンドウの下にアイコンを整列します。</source>
        <translation>Arranges the icons at the bottom of the window.</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>選択範囲を切り取ってクリップボードに移動します。</source>
        <translation>Cuts the selection and puts it on the clipboard.</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>選択範囲をコピーしてクリップボードへ保存します。</source>
        <translation>Copies the selection to the clipboard.</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>クリップボードの内容を貼り付けます。</source>
        <translation>Pastes the clipboard&apos;s contents.</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>作業中のファイルを印刷します。</source>
        <translation>Prints the active file.</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>ウィンドウ(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ツール バー</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>その他のボタン</source>
        <translation>More buttons</translation>
    </message>
    <message>
        <source>レディ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>サイズ変更</source>
        <translation>Resize</translation>
    </message>
    <message>
        <source>このウィンドウをアクティブにします。</source>
        <translation>Activates this window.</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>%1 に保存できませんでした。</source>
        <translation>Could not save to %1.</translation>
    </message>
    <message>
        <source>%1 への変更を保存しますか?</source>
        <translation>Save the changes to %1?</translation>
    </message>
    <message>
        <source>すべてのファイル (*.*)</source>
        <translation>All Files (*.*)</translation>
    </message>
</context>
<context>
    <name>CMessageBox</name>
    <message>
        <source>VZR-T8100</source>
        <translation>VZR-T8100</translation>
    </message>
</context>
<context>
    <name>CMsExcelControl</name>
    <message>
        <source>ブックを作れません (メモリ不足)</source>
        <translation>the workbook cannot be made (out of memory)</translation>
    </message>
    <message>
        <source>シート「%1」</source>
        <translation>sheet &quot;%1&quot;</translation>
    </message>
    <message>
        <source>シート名が空です</source>
        <translation>the sheet name is empty</translation>
    </message>
    <message>
        <source>シート名「%1」が%2文字を超えています</source>
        <translation>the sheet name &quot;%1&quot; is longer than %2 characters</translation>
    </message>
    <message>
        <source>シート名「%1」に使えない文字 %2 があります</source>
        <translation>the sheet name &quot;%1&quot; holds %2, which a sheet name may not</translation>
    </message>
    <message>
        <source>シート名「%1」の先頭と末尾に &apos; は使えません</source>
        <translation>the sheet name &quot;%1&quot; may not begin or end with &apos;</translation>
    </message>
    <message>
        <source>シート名「%1」は既にあります</source>
        <translation>a sheet named &quot;%1&quot; exists already</translation>
    </message>
    <message>
        <source>セル名「%1」が正しくありません</source>
        <translation>the cell name &quot;%1&quot; is not valid</translation>
    </message>
    <message>
        <source> セル %1</source>
        <translation> cell %1</translation>
    </message>
    <message>
        <source>文字数 %1 が上限 %2 を超えています</source>
        <translation>%1 characters, more than the %2 a cell holds</translation>
    </message>
    <message>
        <source>書式を作れません (メモリ不足)</source>
        <translation>the cell format cannot be made (out of memory)</translation>
    </message>
    <message>
        <source>シートを作れません</source>
        <translation>the sheet cannot be made</translation>
    </message>
    <message>
        <source> セル %1%2</source>
        <translation> cell %1%2</translation>
    </message>
    <message>
        <source>ブックが作られていません</source>
        <translation>no workbook was started</translation>
    </message>
</context>
<context>
    <name>CMyDocTemplate</name>
    <message>
        <source>%1 を開けませんでした。</source>
        <translation>Could not open %1.</translation>
    </message>
</context>
<context>
    <name>COpeningDlg</name>
    <message>
        <source>VZR-T8100</source>
        <translation>VZR-T8100</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>起動しています。しばらくお待ちください。</source>
        <translation>Starting. Please wait.</translation>
    </message>
    <message>
        <source>VZR-T8100用
リモートコントロールソフト</source>
        <translation>VZR-T8100
Remote Control Software</translation>
    </message>
</context>
<context>
    <name>CPdfReport</name>
    <message>
        <source>静電気放電イミュニティ試験 報告書</source>
        <translation>Electrostatic Discharge Immunity Test Report</translation>
    </message>
    <message>
        <source>試験の概要</source>
        <translation>Test Summary</translation>
    </message>
    <message>
        <source>企業名</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>試験場所</source>
        <translation>Test Site</translation>
    </message>
    <message>
        <source>品名/型名</source>
        <translation>Product/Model</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <source>試験者名</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>規格名</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>試験日</source>
        <translation>Test Date</translation>
    </message>
    <message>
        <source>試験時刻</source>
        <translation>Test Time</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>湿度</source>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>試験装置</source>
        <translation>Test Equipment</translation>
    </message>
    <message>
        <source>機器</source>
        <translation>Equipment</translation>
    </message>
    <message>
        <source>モデル名</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>シリアルNo.</source>
        <translation>Serial No.</translation>
    </message>
    <message>
        <source>試験器</source>
        <translation>ESD Simulator</translation>
    </message>
    <message>
        <source>放電ガン</source>
        <translation>Discharge Gun</translation>
    </message>
    <message>
        <source>放電カップ</source>
        <translation>Discharge Cup</translation>
    </message>
    <message>
        <source>CRユニット</source>
        <translation>CR Unit</translation>
    </message>
    <message>
        <source>試験計画</source>
        <translation>Test Plan</translation>
    </message>
    <message>
        <source>Test No.</source>
        <translation>Test No.</translation>
    </message>
    <message>
        <source>テストポイント</source>
        <comment>section</comment>
        <translation>Test Points</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>判定集計</source>
        <translation>Judgement Summary</translation>
    </message>
    <message>
        <source>テストポイント</source>
        <comment>column</comment>
        <translation>Test Point</translation>
    </message>
    <message>
        <source>判定なし</source>
        <translation>Not Judged</translation>
    </message>
    <message>
        <source>ステップ数</source>
        <translation>Steps</translation>
    </message>
    <message>
        <source>テストポイントなし</source>
        <translation>No test point</translation>
    </message>
    <message>
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>総合判定</source>
        <translation>Overall Judgement</translation>
    </message>
    <message>
        <source>試験者</source>
        <translation>Tested by</translation>
    </message>
    <message>
        <source>承認者</source>
        <translation>Approved by</translation>
    </message>
    <message>
        <source>署名</source>
        <translation>Signature</translation>
    </message>
    <message>
        <source>氏名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>日付</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>試験結果</source>
        <translation>Test Results</translation>
    </message>
    <message>
        <source>Step No.</source>
        <translation>Step No.</translation>
    </message>
    <message>
        <source>作成日時 %1</source>
        <translation>Created %1</translation>
    </message>
    <message>
        <source>レポートの作成中にエラーが発生しました。
%1
レポートは保存されていません。</source>
        <translation>An error occurred while the report was created.
%1
The report has not been saved.</translation>
    </message>
    <message>
        <source>PDFを描画できません (QGuiApplication がありません)</source>
        <translation>the PDF cannot be painted (no QGuiApplication)</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>PDFを書き始められません</source>
        <translation>the PDF cannot be started</translation>
    </message>
</context>
<context>
    <name>CPlanListModel</name>
    <message>
        <source>Test No.</source>
        <translation>Test No.</translation>
    </message>
    <message>
        <source>放電モード</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>IEC LEVEL</source>
        <translation>IEC LEVEL</translation>
    </message>
    <message>
        <source>トリガ</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>極性</source>
        <translation>Polarity</translation>
    </message>
    <message>
        <source>電圧 [kV]</source>
        <translation>Voltage [kV]</translation>
    </message>
    <message>
        <source>放電間隔 [s]</source>
        <translation>Interval [s]</translation>
    </message>
    <message>
        <source>放電回数 [回]</source>
        <translation>Discharges</translation>
    </message>
</context>
<context>
    <name>CPortProblem</name>
    <message>
        <source>permission denied: the user is in the %1 group, but this session started before: log out and in again</source>
        <translation>permission denied: the user is in the %1 group, but this session started before: log out and in again</translation>
    </message>
    <message>
        <source>permission denied: add the user to the %1 group</source>
        <translation>permission denied: add the user to the %1 group</translation>
    </message>
    <message>
        <source>permission denied: the device (mode %1, owner %2, group %3) gives this user no read and write access</source>
        <translation>permission denied: the device (mode %1, owner %2, group %3) gives this user no read and write access</translation>
    </message>
    <message>
        <source>permission denied: a folder on the way to the device may not be entered</source>
        <translation>permission denied: a folder on the way to the device may not be entered</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>no such device</translation>
    </message>
    <message>
        <source>in use by this program (lock file %1)</source>
        <translation>in use by this program (lock file %1)</translation>
    </message>
    <message>
        <source>in use by another program (process %1, lock file %2)</source>
        <translation>in use by another program (process %1, lock file %2)</translation>
    </message>
    <message>
        <source>locked: the lock file %1 of ended process %2 cannot be removed by this user</source>
        <translation>locked: the lock file %1 of ended process %2 cannot be removed by this user</translation>
    </message>
    <message>
        <source>locked by the lock file %1</source>
        <translation>locked by the lock file %1</translation>
    </message>
    <message>
        <source>permission denied: no lock folder this user may write (/var/lock, /run/lock)</source>
        <translation>permission denied: no lock folder this user may write (/var/lock, /run/lock)</translation>
    </message>
    <message>
        <source>busy: another program has it open</source>
        <translation>busy: another program has it open</translation>
    </message>
    <message>
        <source>cannot be opened</source>
        <translation>cannot be opened</translation>
    </message>
</context>
<context>
    <name>CPropertyDlg</name>
    <message>
        <source>オプション設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>企業名</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>試験場所</source>
        <translation>Test Site</translation>
    </message>
    <message>
        <source>試験器 モデル名</source>
        <translation>Simulator Model</translation>
    </message>
    <message>
        <source>試験器 シリアルNo.</source>
        <translation>Simulator Serial No.</translation>
    </message>
    <message>
        <source>放電ガン モデル名</source>
        <translation>Discharge Gun Model</translation>
    </message>
    <message>
        <source>放電ガン シリアルNo.</source>
        <translation>Discharge Gun Serial No.</translation>
    </message>
    <message>
        <source>放電カップ モデル名</source>
        <translation>Discharge Cup Model</translation>
    </message>
    <message>
        <source>放電カップ シリアルNo.</source>
        <translation>Discharge Cup Serial No.</translation>
    </message>
    <message>
        <source>CRユニット モデル名</source>
        <translation>CR Unit Model</translation>
    </message>
    <message>
        <source>CRユニット シリアルNo.</source>
        <translation>CR Unit Serial No.</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CRemoteDlg</name>
    <message>
        <source>試験器接続状態</source>
        <translation>Instrument Connection</translation>
    </message>
    <message>
        <source>接続状態</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>再接続</source>
        <translation>Reconnect</translation>
    </message>
</context>
<context>
    <name>CReportCommand</name>
    <message>
        <source>試験記録を読めません: %1: %2</source>
        <translation>The run record cannot be read: %1: %2</translation>
    </message>
    <message>
        <source>試験記録 %1 はデータファイル %2 の試験計画と一致しません。
ステップ、その順序または値が記録された試験と異なります。</source>
        <translation>The run record %1 does not match the test plan of the data file %2.
The steps, their order or their values differ from the test recorded.</translation>
    </message>
    <message>
        <source>試験記録 %1 は破損しています: %2</source>
        <translation>The run record %1 is damaged: %2</translation>
    </message>
    <message>
        <source>レポートを作成できません。</source>
        <translation>The report cannot be created.</translation>
    </message>
</context>
<context>
    <name>CReportFile</name>
    <message>
        <source>フォルダではありません</source>
        <translation>not a folder</translation>
    </message>
    <message>
        <source>フォルダがありません</source>
        <translation>no such folder</translation>
    </message>
    <message>
        <source>文書フォルダが決まっていません</source>
        <translation>no documents folder is known</translation>
    </message>
    <message>
        <source>レポートのフォルダに書き込めません: %1</source>
        <translation>the reports folder cannot be written: %1</translation>
    </message>
    <message>
        <source>レポートのフォルダに書き込めません: %1 (%2)</source>
        <translation>the reports folder cannot be written: %1 (%2)</translation>
    </message>
    <message>
        <source>一時ファイルがありません</source>
        <translation>the temporary file is missing</translation>
    </message>
    <message>
        <source>空いているファイル名がありません</source>
        <translation>no free file name</translation>
    </message>
</context>
<context>
    <name>CReportOpener</name>
    <message>
        <source>レポート: %1</source>
        <translation>Report: %1</translation>
    </message>
    <message>
        <source>レポートを作成しました。
%1

このファイルを開くアプリケーションが見つかりません。</source>
        <translation>The report has been created.
%1

No application was found to open this file.</translation>
    </message>
</context>
<context>
    <name>CRsPort</name>
    <message>
        <source>no such port</source>
        <translation>no such port</translation>
    </message>
</context>
<context>
    <name>CRunCommand</name>
    <message>
        <source>Step No.%1  %2  %3%4 kV  count %5: %6</source>
        <translation>Step No.%1  %2  %3%4 kV  count %5: %6</translation>
    </message>
    <message>
        <source>A %1  B %2  C %3  D %4  判定なし %5</source>
        <translation>A %1  B %2  C %3  D %4  not judged %5</translation>
    </message>
    <message>
        <source>%1 Step %2/%3  放電 %4/%5  残り %6</source>
        <translation>%1 Step %2/%3  discharge %4/%5  left %6</translation>
    </message>
    <message>
        <source>データファイル %1 には実行するステップがありません。</source>
        <translation>The data file %1 has no steps to run.</translation>
    </message>
    <message>
        <source>試験記録を書き込めません: %1</source>
        <translation>The run record cannot be written: %1</translation>
    </message>
    <message>
        <source>試験記録の保存先が失われました。記録を続けます: %1</source>
        <translation>The run record&apos;s medium was lost. Recording goes on in: %1</translation>
    </message>
    <message>
        <source>試験記録: %1</source>
        <translation>Run record: %1</translation>
    </message>
    <message>
        <source>試験が最後のステップの前に停止しました (Step No. %1)。</source>
        <translation>The test stopped before the last step (Step No. %1).</translation>
    </message>
    <message>
        <source>レポート: %1</source>
        <translation>Report: %1</translation>
    </message>
    <message>
        <source>レポートを作成できません。</source>
        <translation>The report cannot be created.</translation>
    </message>
    <message>
        <source>試験記録の写しを書き込めません: %1: 試験記録がありません。</source>
        <translation>The copy of the run record cannot be written: %1: there is no run record.</translation>
    </message>
    <message>
        <source>試験記録の写しを書き込めません: %1: %2</source>
        <translation>The copy of the run record cannot be written: %1: %2</translation>
    </message>
    <message>
        <source>テストポイント %1「%2」</source>
        <translation>Test point %1 &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1: 標準入力が端末ではないので、確認を待たずに続けます。</source>
        <translation>%1: standard input is not a terminal, so the run goes on without waiting.</translation>
    </message>
    <message>
        <source>%1 へ放電ガンを移動して Enter を押してください: </source>
        <translation>Move the discharge gun to %1 and press Enter: </translation>
    </message>
    <message>
        <source>Step No.%1: 放電ガンのトリガを引いてください。</source>
        <translation>Step No.%1: pull the trigger of the discharge gun.</translation>
    </message>
    <message>
        <source>Step No.%1: TRIG: %2</source>
        <translation>Step No.%1: TRIG: %2</translation>
    </message>
</context>
<context>
    <name>CRunRecord</name>
    <message>
        <source>通信エラーが発生しました。</source>
        <translation>A communication error occurred.</translation>
    </message>
    <message>
        <source>試験が終了しました。</source>
        <translation>The test has finished.</translation>
    </message>
    <message>
        <source>ファイルがなくなりました</source>
        <translation>the file is gone</translation>
    </message>
    <message>
        <source>文書フォルダが決まっていません。</source>
        <translation>No documents folder is known.</translation>
    </message>
</context>
<context>
    <name>CRunRecordReader</name>
    <message>
        <source>%1 行目が長すぎます</source>
        <translation>line %1 is too long</translation>
    </message>
    <message>
        <source>試験記録が大きすぎます (%1 行目以降は読みません)</source>
        <translation>the run record is too large (lines from %1 on are not read)</translation>
    </message>
    <message>
        <source>試験記録ではありません</source>
        <translation>not a run record</translation>
    </message>
    <message>
        <source>ヘッダが途中で終わっています</source>
        <translation>the header ends early</translation>
    </message>
    <message>
        <source>この形式の試験記録は読めません (形式 %1)</source>
        <translation>a run record of this format cannot be read (format %1)</translation>
    </message>
    <message>
        <source>ヘッダの %1 行目: %2</source>
        <translation>header line %1: %2</translation>
    </message>
    <message>
        <source>形式が正しくありません</source>
        <translation>malformed</translation>
    </message>
    <message>
        <source>ヘッダが長すぎます</source>
        <translation>the header is too long</translation>
    </message>
    <message>
        <source>計画ハッシュがありません</source>
        <translation>no plan hash</translation>
    </message>
    <message>
        <source>ステップ数がありません</source>
        <translation>no step count</translation>
    </message>
    <message>
        <source>開始時刻がありません</source>
        <translation>no start time</translation>
    </message>
    <message>
        <source>計画ハッシュが正しくありません</source>
        <translation>the plan hash is not valid</translation>
    </message>
    <message>
        <source>ステップ数が正しくありません</source>
        <translation>the step count is not valid</translation>
    </message>
    <message>
        <source>開始時刻が正しくありません</source>
        <translation>the start time is not valid</translation>
    </message>
    <message>
        <source>試験日時が正しくありません</source>
        <translation>the test date is not valid</translation>
    </message>
    <message>
        <source>%1 行目は UTF-8 ではありません</source>
        <translation>line %1 is not UTF-8</translation>
    </message>
    <message>
        <source>%1 行目の形式が正しくありません</source>
        <translation>line %1 is malformed</translation>
    </message>
    <message>
        <source>%1 行目のイベントが不明です</source>
        <translation>line %1 names an unknown event</translation>
    </message>
    <message>
        <source>%1 行目のステップ番号が正しくありません</source>
        <translation>line %1 has a step number that is not valid</translation>
    </message>
    <message>
        <source>%1 行目の判定が正しくありません</source>
        <translation>line %1 has a judgement that is not valid</translation>
    </message>
    <message>
        <source>%1 行目: コメントが多すぎます</source>
        <translation>line %1: too many comments</translation>
    </message>
    <message>
        <source>%1 行目のエラーコードが正しくありません</source>
        <translation>line %1 has an error code that is not valid</translation>
    </message>
    <message>
        <source>%1 行目まで読みました: %2</source>
        <translation>read to line %1: %2</translation>
    </message>
    <message>
        <source>%1 行目まで読みました: %2 行目が途中で切れています</source>
        <translation>read to line %1: line %2 is cut off</translation>
    </message>
    <message>
        <source>テストポイントの番号が正しくありません</source>
        <translation>a test point number is not valid</translation>
    </message>
    <message>
        <source>テストポイントが多すぎます</source>
        <translation>too many test points</translation>
    </message>
</context>
<context>
    <name>CRunSequencer</name>
    <message>
        <source>------</source>
        <translation>------</translation>
    </message>
    <message>
        <source>通信エラーが発生しました。</source>
        <translation>A communication error occurred.</translation>
    </message>
    <message>
        <source>試験が終了しました。</source>
        <translation>The test has finished.</translation>
    </message>
</context>
<context>
    <name>CRunsCommand</name>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>%1 (コード %2)</source>
        <translation>%1 (code %2)</translation>
    </message>
    <message>
        <source>%1 件: </source>
        <translation>%1: </translation>
    </message>
    <message>
        <source>; ほか %1 件</source>
        <translation>; %1 more</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>End</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Judged</translation>
    </message>
    <message>
        <source>試験器エラー</source>
        <translation>Instrument errors</translation>
    </message>
    <message>
        <source>計画</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>記録</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>試験記録を読めません: %1: %2</source>
        <translation>The run record cannot be read: %1: %2</translation>
    </message>
    <message>
        <source>試験記録 %1 は破損しています: %2</source>
        <translation>The run record %1 is damaged: %2</translation>
    </message>
    <message>
        <source> (中断)</source>
        <translation> (interrupted)</translation>
    </message>
    <message>
        <source> (記録破損: %1 行目まで)</source>
        <translation> (record damaged: read to line %1)</translation>
    </message>
    <message>
        <source>一致</source>
        <translation>matches</translation>
    </message>
    <message>
        <source>不一致</source>
        <translation>differs</translation>
    </message>
    <message>
        <source>試験記録はありません。</source>
        <translation>There are no run records.</translation>
    </message>
</context>
<context>
    <name>CSequenceTransfer</name>
    <message>
        <source>VZR-T8100内部のSEQUENCEデータを書き換えます。
よろしいですか?</source>
        <translation>The SEQUENCE data in the VZR-T8100 will be overwritten.
Do you want to continue?</translation>
    </message>
    <message>
        <source>完了しました</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>送信出来ませんでした</source>
        <translation>Could not send</translation>
    </message>
    <message>
        <source>テストポイントはシーケンスメモリに送られません (%1 点)</source>
        <translation>Test points are not sent to the sequence memory (%1 points)</translation>
    </message>
</context>
<context>
    <name>CSettingData</name>
    <message>
        <source>[kV]</source>
        <translation>[kV]</translation>
    </message>
    <message>
        <source>[回]</source>
        <translation>[times]</translation>
    </message>
    <message>
        <source>[s]</source>
        <translation>[s]</translation>
    </message>
</context>
<context>
    <name>CSettingsDlg</name>
    <message>
        <source>試験設定</source>
        <translation>Test Condition</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>放電モード</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>トリガ</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>極性</source>
        <translation>Polarity</translation>
    </message>
    <message>
        <source>電圧</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>放電間隔</source>
        <translation>Interval</translation>
    </message>
    <message>
        <source>放電回数</source>
        <translation>Discharges</translation>
    </message>
    <message>
        <source>[回]</source>
        <translation>[times]</translation>
    </message>
</context>
<context>
    <name>CStepListModel</name>
    <message>
        <source>Step No.</source>
        <translation>Step No.</translation>
    </message>
    <message>
        <source>放電モード</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>IEC LEVEL</source>
        <translation>IEC LEVEL</translation>
    </message>
    <message>
        <source>トリガ</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>極性</source>
        <translation>Polarity</translation>
    </message>
    <message>
        <source>電圧 [kV]</source>
        <translation>Voltage [kV]</translation>
    </message>
    <message>
        <source>放電間隔 [s]</source>
        <translation>Interval [s]</translation>
    </message>
    <message>
        <source>放電回数 [回]</source>
        <translation>Discharges</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Judgement</translation>
    </message>
    <message>
        <source>コメント</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>テストポイント</source>
        <translation>Test Point</translation>
    </message>
</context>
<context>
    <name>CTestInfoDlg</name>
    <message>
        <source>試験環境</source>
        <translation>Test Environment</translation>
    </message>
    <message>
        <source>試験日</source>
        <translation>Test Date</translation>
    </message>
    <message>
        <source>試験時刻</source>
        <translation>Test Time</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>湿度</source>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>品名/型名</source>
        <translation>Product/Model</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <source>試験者名</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>規格名</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存します。
よろしいですか？</source>
        <translation>The test environment will be saved.
Do you want to continue?</translation>
    </message>
</context>
<context>
    <name>CTestPointDlg</name>
    <message>
        <source>テストポイント</source>
        <translation>Test Points</translation>
    </message>
    <message>
        <source>テストポイント一覧</source>
        <translation>Test points</translation>
    </message>
    <message>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>テストポイントの名称を入力してください。</source>
        <translation>Enter the name of the test point.</translation>
    </message>
    <message>
        <source>テストポイント %1「%2」と同じ名称です。
よろしいですか？</source>
        <translation>Test point %1 &quot;%2&quot; has the same name.
Do you want to continue?</translation>
    </message>
    <message>
        <source>テストポイントは %1 点までです。</source>
        <translation>A plan can have at most %1 test points.</translation>
    </message>
    <message>
        <source>テストポイント %1 点では試験ステップが %2 になり、上限の %3 を超えます。</source>
        <translation>With %1 test points the run would have %2 steps, more than the limit of %3.</translation>
    </message>
</context>
<context>
    <name>CTestProperty</name>
    <message>
        <source>未設定</source>
        <translation>Not set</translation>
    </message>
</context>
<context>
    <name>CTestReport</name>
    <message>
        <source>試験条件</source>
        <translation>Test Conditions</translation>
    </message>
    <message>
        <source>企業名</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>試験場所</source>
        <translation>Test Site</translation>
    </message>
    <message>
        <source>試験器 モデル名</source>
        <translation>Simulator Model</translation>
    </message>
    <message>
        <source>試験器 シリアルNo.</source>
        <translation>Simulator Serial No.</translation>
    </message>
    <message>
        <source>放電ガン モデル名</source>
        <translation>Discharge Gun Model</translation>
    </message>
    <message>
        <source>放電ガン シリアルNo.</source>
        <translation>Discharge Gun Serial No.</translation>
    </message>
    <message>
        <source>放電カップ モデル名</source>
        <translation>Discharge Cup Model</translation>
    </message>
    <message>
        <source>放電カップ シリアルNo.</source>
        <translation>Discharge Cup Serial No.</translation>
    </message>
    <message>
        <source>CRユニット モデル名</source>
        <translation>CR Unit Model</translation>
    </message>
    <message>
        <source>CRユニット シリアルNo.</source>
        <translation>CR Unit Serial No.</translation>
    </message>
    <message>
        <source>品名/型名</source>
        <translation>Product/Model</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial Number</translation>
    </message>
    <message>
        <source>試験者名</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>規格名</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>試験日</source>
        <translation>Test Date</translation>
    </message>
    <message>
        <source>試験時刻</source>
        <translation>Test Time</translation>
    </message>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>湿度</source>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>試験内容</source>
        <translation>Test Results</translation>
    </message>
    <message>
        <source>総合判定</source>
        <translation>Overall Judgement</translation>
    </message>
    <message>
        <source>MS-Excel 2000以降が見つかりません。
レポートを作成できません。</source>
        <translation>MS-Excel 2000 or later was not found.
The report cannot be created.</translation>
    </message>
    <message>
        <source>レポートのフォルダに書き込めません。</source>
        <translation>The reports folder cannot be written.</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>レポートの作成中にエラーが発生しました。
%1
レポートは保存されていません。</source>
        <translation>An error occurred while the report was being made.
%1
The report has not been saved.</translation>
    </message>
    <message>
        <source>テストポイント</source>
        <translation>Test Point</translation>
    </message>
</context>
<context>
    <name>CTypeSelectDlg</name>
    <message>
        <source>通信確認</source>
        <translation>Communication Check</translation>
    </message>
    <message>
        <source>VZR-T8100との通信に失敗しました。</source>
        <translation>Communication with the VZR-T8100 failed.</translation>
    </message>
    <message>
        <source>電源や通信ケーブルの接続状態を確認をしてください。</source>
        <translation>Check the power and the communication cable.</translation>
    </message>
    <message>
        <source>１：アプリケーションを強制起動する場合</source>
        <translation>1: To start the application anyway</translation>
    </message>
    <message>
        <source>・[起動]ボタンをクリックしてください</source>
        <translation>- click [Start]</translation>
    </message>
    <message>
        <source>２：もう一度VZR-T8100との接続を実行する場合</source>
        <translation>2: To try the connection with the VZR-T8100 again</translation>
    </message>
    <message>
        <source>・[再試行]ボタンをクリックしてください</source>
        <translation>- click [Retry]</translation>
    </message>
    <message>
        <source>３：アプリケーションの起動を中止する場合</source>
        <translation>3: Not to start the application</translation>
    </message>
    <message>
        <source>・[終了]ボタンをクリックしてください</source>
        <translation>- click [Exit]</translation>
    </message>
    <message>
        <source>起動</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>再試行</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>CVzrT8100App</name>
    <message>
        <source>アプリケーションはすでに起動しています。</source>
        <translation>The application is already running.</translation>
    </message>
</context>
<context>
    <name>CVzrT8100Cntl</name>
    <message>
        <source>ガンインターロックエラー</source>
        <translation>Gun interlock error</translation>
    </message>
    <message>
        <source>外部トリガエラー</source>
        <translation>External trigger error</translation>
    </message>
    <message>
        <source>トリガ入力エラー</source>
        <translation>Trigger input error</translation>
    </message>
    <message>
        <source>PCコントロールエラー</source>
        <translation>PC control error</translation>
    </message>
    <message>
        <source>オートストップエラー</source>
        <translation>Auto stop error</translation>
    </message>
    <message>
        <source>高圧充電エラー</source>
        <translation>High-voltage charging error</translation>
    </message>
    <message>
        <source>充電リミットエラー</source>
        <translation>Charging limit error</translation>
    </message>
    <message>
        <source>HV-52Pエラー</source>
        <translation>HV-52P error</translation>
    </message>
    <message>
        <source>Unknown Error</source>
        <translation>Unknown Error</translation>
    </message>
</context>
<context>
    <name>CVzrT8100Doc</name>
    <message>
        <source>VZR-T8100用リモートソフトのデータではありません</source>
        <translation>Not a data file of the VZR-T8100 remote control software</translation>
    </message>
    <message>
        <source>このソフトよりも新しいバージョンのソフトで作成されたファイルの為、ロードできません</source>
        <translation>The file was made by a newer version of the software and cannot be loaded</translation>
    </message>
    <message>
        <source>予期しないファイル形式です。</source>
        <translation>Unexpected file format.</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を開けませんでした。
%2</source>
        <translation>Could not open the file &quot;%1&quot;.
%2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を保存できませんでした。
%2</source>
        <translation>Could not save the file &quot;%1&quot;.
%2</translation>
    </message>
</context>
<context>
    <name>CVzrT8100View</name>
    <message>
        <source>SEQUENCE送信</source>
        <translation>Send SEQUENCE</translation>
    </message>
    <message>
        <source>試験実行...</source>
        <translation>Run Test...</translation>
    </message>
    <message>
        <source>試験条件設定...</source>
        <translation>Edit Condition...</translation>
    </message>
    <message>
        <source>追加...</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>削除...</source>
        <translation>Delete...</translation>
    </message>
    <message>
        <source>試験条件一覧</source>
        <translation>Test conditions</translation>
    </message>
    <message>
        <source>横スクロール</source>
        <translation>Horizontal scroll</translation>
    </message>
    <message>
        <source>縦スクロール</source>
        <translation>Vertical scroll</translation>
    </message>
    <message>
        <source>Test No. %1を削除します</source>
        <translation>Test No. %1 will be deleted.</translation>
    </message>
    <message>
        <source>テストポイント...</source>
        <translation>Test Points...</translation>
    </message>
    <message>
        <source>テストポイント %1 点 / ステップ %2</source>
        <translation>Test points: %1 / Steps: %2</translation>
    </message>
    <message>
        <source>試験ステップが上限の %1 を超えるため、変更できません。
テストポイントまたは試験条件を減らしてください。</source>
        <translation>The change cannot be made: the run would have more steps than the limit of %1.
Use fewer test points or test conditions.</translation>
    </message>
</context>
<context>
    <name>SelectTable</name>
    <message>
        <source>CONTACT</source>
        <translation>CONTACT</translation>
    </message>
    <message>
        <source>AIR    </source>
        <translation>AIR    </translation>
    </message>
    <message>
        <source>IEC LEVEL 1</source>
        <translation>IEC LEVEL 1</translation>
    </message>
    <message>
        <source>IEC LEVEL 2</source>
        <translation>IEC LEVEL 2</translation>
    </message>
    <message>
        <source>IEC LEVEL 3</source>
        <translation>IEC LEVEL 3</translation>
    </message>
    <message>
        <source>IEC LEVEL 4</source>
        <translation>IEC LEVEL 4</translation>
    </message>
    <message>
        <source>IEC LEVEL X</source>
        <translation>IEC LEVEL X</translation>
    </message>
    <message>
        <source>VZR        </source>
        <translation>VZR        </translation>
    </message>
    <message>
        <source>GUN        </source>
        <translation>GUN        </translation>
    </message>
    <message>
        <source>EXT.       </source>
        <translation>EXT.       </translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>+/-</source>
        <translation>+/-</translation>
    </message>
    <message>
        <source>開始：</source>
        <translation>Start: </translation>
    </message>
    <message>
        <source>終了：</source>
        <translation>End: </translation>
    </message>
    <message>
        <source>刻み：</source>
        <translation>Step: </translation>
    </message>
    <message>
        <source>------</source>
        <translation>------</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>模擬器を起動できませんでした。</source>
        <translation>The simulator could not be started.</translation>
    </message>
</context>
</TS>
