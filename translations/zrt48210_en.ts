<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AdapterSlot</name>
    <message>
        <source>ユニットを接続してください</source>
        <translation>Plug in a unit</translation>
    </message>
    <message>
        <source>設定中</source>
        <translation>Configuring</translation>
    </message>
    <message>
        <source>通信速度・配線を確認してください</source>
        <translation>Check the line speed and the cabling</translation>
    </message>
</context>
<context>
    <name>CommissioningSheet</name>
    <message>
        <source>周波数</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>入出力方向</source>
        <translation>I/O directions</translation>
    </message>
    <message>
        <source>ポート出力論理</source>
        <translation>Output logic</translation>
    </message>
    <message>
        <source>アナログ入出力</source>
        <translation>Analog I/O</translation>
    </message>
    <message>
        <source>Ａ／Ｄコンバータ</source>
        <translation>A/D converter</translation>
    </message>
    <message>
        <source>Ｄ／Ａコンバータ</source>
        <translation>D/A converter</translation>
    </message>
    <message>
        <source>動作モード</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>機種設定</source>
        <translation>Station type</translation>
    </message>
    <message>
        <source>自己ＩＤ</source>
        <translation>Own ID</translation>
    </message>
    <message>
        <source>子機台数</source>
        <translation>Slaves</translation>
    </message>
    <message>
        <source>中継機経由</source>
        <translation>Via repeater</translation>
    </message>
    <message>
        <source>通信断時間</source>
        <translation>Link-loss time</translation>
    </message>
    <message>
        <source>アンテナ</source>
        <translation>Antenna</translation>
    </message>
    <message>
        <source>ポーリング間隔</source>
        <translation>Polling interval</translation>
    </message>
    <message>
        <source>ポート出力状態</source>
        <translation>On link loss</translation>
    </message>
    <message>
        <source>受信データ出力</source>
        <translation>Received data</translation>
    </message>
    <message>
        <source>このユニットへの書込なし</source>
        <translation>No write to this unit</translation>
    </message>
    <message>
        <source>書込済み（照合なし）</source>
        <translation>Written (not verified)</translation>
    </message>
    <message>
        <source>書込済み・照合済み</source>
        <translation>Written and verified</translation>
    </message>
    <message>
        <source>書込済み・照合で相違あり</source>
        <translation>Written; the read-back differs</translation>
    </message>
    <message>
        <source>報告書を保存</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>PDFファイル（*.pdf）|*.pdf</source>
        <translation>PDF files (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>設置記録</source>
        <translation>Commissioning sheet</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>%1 cannot be written</translation>
    </message>
    <message>
        <source>ZRT 設置記録</source>
        <translation>ZRT commissioning sheet</translation>
    </message>
    <message>
        <source>日付</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>機種</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>エラーコード</source>
        <translation>Error code</translation>
    </message>
    <message>
        <source>読込なし</source>
        <translation>not read</translation>
    </message>
    <message>
        <source>最後の書込</source>
        <translation>Last write</translation>
    </message>
    <message>
        <source>設定値</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>Controls</name>
    <message>
        <source>ZRT-４８２１０シリーズ&#x3000;設定プログラム</source>
        <translation>ZRT-48210 Series Settings Program</translation>
    </message>
    <message>
        <source>ユニット種類</source>
        <translation>Unit type</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>未接続</source>
        <translation>Offline</translation>
    </message>
    <message>
        <source>周波数設定</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>バンド</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>チャンネル</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>周波数</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>ﾃﾞﾌｫﾙﾄ</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>デジタルユニット|アナログユニット</source>
        <translation>Digital unit|Analog unit</translation>
    </message>
    <message>
        <source>ＺＲＴ－４８２１０設定</source>
        <translation>ZRT-48210 settings</translation>
    </message>
    <message>
        <source>Ｉ／Ｏポート設定</source>
        <translation>I/O ports</translation>
    </message>
    <message>
        <source>ポート出力論理</source>
        <translation>Output logic</translation>
    </message>
    <message>
        <source>正論理|負論理（反転出力）</source>
        <translation>Positive|Negative (inverted)</translation>
    </message>
    <message>
        <source>ＺＲＴ－４８２２０，４８２２１設定</source>
        <translation>ZRT-48220, 48221 settings</translation>
    </message>
    <message>
        <source>使用|未使用</source>
        <translation>Used|Not used</translation>
    </message>
    <message>
        <source>Ａ／Ｄコンバータ</source>
        <translation>A/D converter</translation>
    </message>
    <message>
        <source>１２ビット|１０ビット</source>
        <translation>12-bit|10-bit</translation>
    </message>
    <message>
        <source>Ｄ／Ａコンバータ</source>
        <translation>D/A converter</translation>
    </message>
    <message>
        <source>通信設定</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>動作モード</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>１対１通信|１対Ｎ通信・ユニット分散|１対Ｎ通信・１チャンネル分散|１対Ｎ通信・２チャンネル分散|１対Ｎ通信・４チャンネル分散|１対Ｎ通信・データ収集</source>
        <translation>1:1|1:N, unit distribution|1:N, 1-channel distribution|1:N, 2-channel distribution|1:N, 4-channel distribution|1:N, data collection</translation>
    </message>
    <message>
        <source>機種設定</source>
        <translation>Station type</translation>
    </message>
    <message>
        <source>スレーブ|マスター|リピーター</source>
        <translation>Slave|Master|Repeater</translation>
    </message>
    <message>
        <source>自己ＩＤ [001～200]</source>
        <translation>Own ID [001-200]</translation>
    </message>
    <message>
        <source>子機台数 [001～200]</source>
        <translation>Slaves [001-200]</translation>
    </message>
    <message>
        <source>中継機経由</source>
        <translation>Via repeater</translation>
    </message>
    <message>
        <source>なし|あり</source>
        <translation>No|Yes</translation>
    </message>
    <message>
        <source>通信断時間 [001～255]</source>
        <translation>Link-loss time [001-255]</translation>
    </message>
    <message>
        <source>アンテナ</source>
        <translation>Antenna</translation>
    </message>
    <message>
        <source>シングル|ダイバーシティ</source>
        <translation>Single|Diversity</translation>
    </message>
    <message>
        <source>ポーリング間隔 [000～100]</source>
        <translation>Polling interval [000-100]</translation>
    </message>
    <message>
        <source>ポート出力状態</source>
        <translation>On link loss</translation>
    </message>
    <message>
        <source>ポート出力ＯＦＦ|直前の出力状態を保持</source>
        <translation>Outputs off|Hold the last state</translation>
    </message>
    <message>
        <source>受信データ出力</source>
        <translation>Received data</translation>
    </message>
    <message>
        <source>ＲＳ－２３２Ｃ出力しない|ＲＳ－２３２Ｃ出力する</source>
        <translation>Not on RS-232C|Out on RS-232C</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>設定値読込</source>
        <translation>Read all</translation>
    </message>
    <message>
        <source>一括設定</source>
        <translation>Write all</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>*** 待機中 ***</source>
        <translation>*** Waiting ***</translation>
    </message>
</context>
<context>
    <name>Menus</name>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>読込</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>通信設定</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>エラー情報</source>
        <translation>Error information</translation>
    </message>
    <message>
        <source>書込後に照合</source>
        <translation>Verify after writing</translation>
    </message>
    <message>
        <source>通信ログ</source>
        <translation>Traffic log</translation>
    </message>
    <message>
        <source>報告書を保存</source>
        <translation>Save report</translation>
    </message>
</context>
<context>
    <name>Station</name>
    <message>
        <source>自己IDを入力してください</source>
        <translation>Type or scan the own ID</translation>
    </message>
    <message>
        <source>自己IDが%1を超えます</source>
        <translation>The own IDs go past %1</translation>
    </message>
    <message>
        <source>「%1」は自己ID（%2～%3）ではありません</source>
        <translation>&quot;%1&quot; is not an own ID (%2-%3)</translation>
    </message>
    <message>
        <source>自己ID %1 はこの記録で既に使われています</source>
        <translation>Own ID %1 is already in this record</translation>
    </message>
    <message>
        <source>設定ファイルを使えません: %1</source>
        <translation>The settings file cannot be used: %1</translation>
    </message>
    <message>
        <source>記録ファイルを選んでください</source>
        <translation>Choose the record file</translation>
    </message>
    <message>
        <source>記録できません: %1</source>
        <translation>Not recorded: %1</translation>
    </message>
    <message>
        <source>記録できないため停止しました: %1</source>
        <translation>Stopped: the record cannot be written: %1</translation>
    </message>
    <message>
        <source>記録ファイル %1 は別のステーションが使用中です</source>
        <translation>The record file %1 is in use by another station</translation>
    </message>
    <message>
        <source>記録ファイル %1 をロックできません</source>
        <translation>The record file %1 cannot be locked</translation>
    </message>
    <message>
        <source>記録ファイル %1 を読めません: %2</source>
        <translation>The record file %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>%1 はステーションの記録ファイルではありません</source>
        <translation>%1 is not a station record file</translation>
    </message>
    <message>
        <source>記録ファイル %1 に書き込めません: %2</source>
        <translation>The record file %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>記録ファイル %1 は他のプログラムが開いています（Excel などを閉じてください）: %2</source>
        <translation>The record file %1 is open in another program (close Excel or the like): %2</translation>
    </message>
    <message>
        <source>%1/%2 書込済み</source>
        <translation>%1 of %2 written</translation>
    </message>
    <message>
        <source>書込と照合が完了しました</source>
        <translation>Written and verified</translation>
    </message>
    <message>
        <source>書込完了（照合なし）</source>
        <translation>Written (not verified)</translation>
    </message>
    <message>
        <source>ユニットが応答しなくなりました（%1）</source>
        <translation>The unit stopped answering (%1)</translation>
    </message>
    <message>
        <source>エラー：ユニットと通信できません。</source>
        <translation>Error: the unit does not answer.</translation>
    </message>
    <message>
        <source>エラー：接続されているユニットが違います（ZRT%1）</source>
        <translation>Error: the connected unit is of another model (ZRT%1)</translation>
    </message>
    <message>
        <source>ユニットの種類が設定ファイルと違います（ZRT%1 %2）</source>
        <translation>The unit is not of the settings file&apos;s kind (ZRT%1 %2)</translation>
    </message>
    <message>
        <source>他のプログラムが使用中です</source>
        <translation>In use by another program</translation>
    </message>
    <message>
        <source>開けません: %1</source>
        <translation>Cannot be opened: %1</translation>
    </message>
    <message>
        <source>アダプタが抜かれました（%1）</source>
        <translation>The adapter was pulled out (%1)</translation>
    </message>
    <message>
        <source>ユニットが %1 を受け付けませんでした（%2）</source>
        <translation>The unit refused %1 (%2)</translation>
    </message>
    <message>
        <source>照合失敗: %1</source>
        <translation>Verify failed: %1</translation>
    </message>
    <message>
        <source>停止しました（%1）</source>
        <translation>Stopped (%1)</translation>
    </message>
    <message>
        <source>ユニットの応答を読み取れなくなりました（%1）</source>
        <translation>The unit&apos;s answers became unreadable (%1)</translation>
    </message>
    <message>
        <source>応答を読み取れません</source>
        <translation>Unreadable answer</translation>
    </message>
    <message>
        <source>読み戻した値が使えません: %1</source>
        <translation>The values read back cannot be used: %1</translation>
    </message>
    <message>
        <source>保存できません: %1</source>
        <translation>Cannot save: %1</translation>
    </message>
    <message>
        <source>データベースの URL が読めません: %1（postgresql://ユーザー@ホスト:ポート/データベース）</source>
        <translation>Cannot read the database URL: %1 (postgresql://user@host:port/database)</translation>
    </message>
    <message>
        <source>データベースの URL にパスワードを書かないでください。パスワードは ~/.pgpass（または環境変数 PGPASSWORD）に置きます</source>
        <translation>Do not put a password in the database URL. Keep it in ~/.pgpass (or the environment variable PGPASSWORD)</translation>
    </message>
    <message>
        <source>PostgreSQL のドライバ（QPSQL）がありません: パッケージ libqt6sql6-psql を入れてください</source>
        <translation>The PostgreSQL driver (QPSQL) is missing: install the package libqt6sql6-psql</translation>
    </message>
    <message>
        <source>データベース %1 に接続できません: %2</source>
        <translation>Cannot connect to the database %1: %2</translation>
    </message>
    <message>
        <source>データベースに表を作れません: %1</source>
        <translation>Cannot make the tables in the database: %1</translation>
    </message>
    <message>
        <source>データベースの記録は新しい版（%1）です。このプログラムは版 %2 までを扱えます。プログラムを更新してください</source>
        <translation>The database holds the record in a newer version (%1). This program handles versions up to %2: update the program</translation>
    </message>
    <message>
        <source>データベースから記録を読めません: %1</source>
        <translation>Cannot read the record from the database: %1</translation>
    </message>
    <message>
        <source>作業「%1」をデータベースに登録できません: %2</source>
        <translation>Cannot enter the job "%1" in the database: %2</translation>
    </message>
    <message>
        <source>作業「%1」は別の設定ファイル（SHA-256 が違う）で進んでいます。作業の設定は途中で変えられません: 新しい作業名で始めてください</source>
        <translation>The job "%1" runs with another settings file (its SHA-256 differs). A job's settings cannot change under it: start a new job name</translation>
    </message>
    <message>
        <source>作業「%1」は別の自己IDの決め方（%2、開始番号 %3）で進んでいます</source>
        <translation>The job "%1" runs with another own-ID rule (%2, starting at %3)</translation>
    </message>
    <message>
        <source>データベースに記録できません: %1。記録は %2 に預けました。サーバーが戻ったら開始を押してください</source>
        <translation>Cannot record in the database: %1. The row is kept in %2. Press Start once the server is back</translation>
    </message>
    <message>
        <source>記録を預けるフォルダ %1 を作れません</source>
        <translation>Cannot make the folder %1 to keep rows in</translation>
    </message>
    <message>
        <source>自己ID %1 はこの作業で既に使われています</source>
        <translation>Own ID %1 is already used in this job</translation>
    </message>
    <message>
        <source>データベースから自己IDを取れません: %1。サーバーが戻ったら開始を押してください</source>
        <translation>Cannot take an own ID from the database: %1. Press Start once the server is back</translation>
    </message>
    <message>
        <source>預けた記録を送れません: %1</source>
        <translation>Cannot send the kept rows: %1</translation>
    </message>
    <message>
        <source>送った記録 %1 を消せません</source>
        <translation>Cannot remove the sent rows %1</translation>
    </message>
    <message>
        <source>データベースに接続できません: %1</source>
        <translation>Cannot connect to the database: %1</translation>
    </message>
    <message>
        <source>このプログラムはデータベースの記録に対応していません（CSV ファイルのみ）</source>
        <translation>This program keeps the record in CSV files only, not in a database</translation>
    </message>
</context>
<context>
    <name>StationReport</name>
    <message>
        <source>設定記録</source>
        <translation>Configuration record</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>%1 cannot be written</translation>
    </message>
    <message>
        <source>ZRT 設定記録</source>
        <translation>ZRT configuration record</translation>
    </message>
    <message>
        <source>記録ファイル: %1</source>
        <translation>Record file: %1</translation>
    </message>
    <message>
        <source>設定ファイル: %1</source>
        <translation>Settings file: %1</translation>
    </message>
    <message>
        <source>作業者: %1</source>
        <translation>Operator: %1</translation>
    </message>
    <message>
        <source>期間: %1 ～ %2</source>
        <translation>From %1 to %2</translation>
    </message>
    <message>
        <source>完了: %1台  失敗・中断: %2台</source>
        <translation>Done: %1 units  Failed or interrupted: %2 units</translation>
    </message>
    <message>
        <source>時刻 / アダプタ / 機種 / 自己ID / 結果 / 理由</source>
        <translation>Time / adapter / model / own ID / result / reason</translation>
    </message>
</context>
<context>
    <name>StationWindow</name>
    <message>
        <source>親機</source>
        <translation>master</translation>
    </message>
    <message>
        <source>中継機</source>
        <translation>repeater</translation>
    </message>
    <message>
        <source>子機</source>
        <translation>slave</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>報告書を保存</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>ZRT48210 生産ステーション</source>
        <translation>ZRT48210 production station</translation>
    </message>
    <message>
        <source>作業</source>
        <translation>Job</translation>
    </message>
    <message>
        <source>選択...</source>
        <translation>Choose...</translation>
    </message>
    <message>
        <source>設定ファイル</source>
        <translation>Settings file</translation>
    </message>
    <message>
        <source>ファイルのまま</source>
        <translation>As in the file</translation>
    </message>
    <message>
        <source>連番</source>
        <translation>Sequence</translation>
    </message>
    <message>
        <source>ユニットごとに入力・スキャン</source>
        <translation>Typed or scanned per unit</translation>
    </message>
    <message>
        <source>開始番号</source>
        <translation>from</translation>
    </message>
    <message>
        <source>自己ID</source>
        <translation>Own ID</translation>
    </message>
    <message>
        <source>自己IDを入力またはスキャンして Enter</source>
        <translation>Type or scan an own ID, then Enter</translation>
    </message>
    <message>
        <source>次のユニットの自己ID</source>
        <translation>Next unit&apos;s own ID</translation>
    </message>
    <message>
        <source>作業者</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>記録ファイル</source>
        <translation>Record file</translation>
    </message>
    <message>
        <source>設定ファイルを選んでください</source>
        <translation>Choose the settings file</translation>
    </message>
    <message>
        <source>この設定ファイルは使えません: %1</source>
        <translation>This settings file cannot be used: %1</translation>
    </message>
    <message>
        <source>アナログユニット（48220・48221）</source>
        <translation>analog unit (48220, 48221)</translation>
    </message>
    <message>
        <source>デジタルユニット（48210）</source>
        <translation>digital unit (48210)</translation>
    </message>
    <message>
        <source>子機の自己IDは下の選択で決まります（ファイルでは %1）</source>
        <translation>a slave&apos;s own ID follows the choice below (the file has %1)</translation>
    </message>
    <message>
        <source>%1の自己IDは常に %2</source>
        <translation>a %1&apos;s own ID is always %2</translation>
    </message>
    <message>
        <source>%1・%2・周波数 %3・%4</source>
        <translation>%1, %2, frequency %3, %4</translation>
    </message>
    <message>
        <source>作業中: ユニットをつなぐと設定されます</source>
        <translation>Working: a unit plugged in is configured</translation>
    </message>
    <message>
        <source>停止しました: 作業中のユニットは今の行で終わります</source>
        <translation>Stopped: units in progress end after the line in progress</translation>
    </message>
    <message>
        <source>記録ファイルを選んでください</source>
        <translation>Choose the record file</translation>
    </message>
    <message>
        <source>報告書を保存しました: %1</source>
        <translation>Report saved: %1</translation>
    </message>
    <message>
        <source>次のユニットの自己ID: %1</source>
        <translation>Next unit&apos;s own ID: %1</translation>
    </message>
    <message>
        <source>今回: 完了 %1  失敗 %2 ｜ 記録: 完了 %3  失敗 %4 ｜ 次の自己ID %5</source>
        <translation>This session: done %1  failed %2 | record: done %3  failed %4 | next own ID %5</translation>
    </message>
    <message>
        <source>テキストファイル（*.txt）|*.txt|すべてのファイル（*.*）|*</source>
        <translation>Text files (*.txt)|*.txt|All files (*.*)|*</translation>
    </message>
    <message>
        <source>CSVファイル（*.csv）|*.csv</source>
        <translation>CSV files (*.csv)|*.csv</translation>
    </message>
    <message>
        <source>PDFファイル（*.pdf）|*.pdf</source>
        <translation>PDF files (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>データベースの記録で複数のステーションが共有する作業の名前（空なら設定ファイル名）</source>
        <translation>The job's name that the stations share in a database record (empty: the settings file's name)</translation>
    </message>
    <message>
        <source>作業名</source>
        <translation>Job name</translation>
    </message>
    <message>
        <source>作業「%1」（全ステーション）｜ %2</source>
        <translation>Job "%1" (all stations) | %2</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>*** 接続中 ***</source>
        <translation>*** Connecting ***</translation>
    </message>
    <message>
        <source>接続完了</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>エラー：シリアルポートが開けませんでした</source>
        <translation>Error: the serial port could not be opened</translation>
    </message>
    <message>
        <source>エラー：シリアルポートは開かれていません</source>
        <translation>Error: the serial port is not open</translation>
    </message>
    <message>
        <source>切断完了</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>エラー：接続されているユニットが違います</source>
        <translation>Error: the connected unit is of another model</translation>
    </message>
    <message>
        <source>エラー：ユニットと通信できません。</source>
        <translation>Error: the unit does not answer.</translation>
    </message>
    <message>
        <source>*** 設定中 ***</source>
        <translation>*** Writing ***</translation>
    </message>
    <message>
        <source>設定成功</source>
        <translation>Written</translation>
    </message>
    <message>
        <source>設定失敗</source>
        <translation>Write refused</translation>
    </message>
    <message>
        <source>*** 設定値読込中 ***</source>
        <translation>*** Reading the settings ***</translation>
    </message>
    <message>
        <source>*** エラー情報読込中 ***</source>
        <translation>*** Reading the error information ***</translation>
    </message>
    <message>
        <source>読込成功</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>読込失敗</source>
        <translation>Read refused</translation>
    </message>
    <message>
        <source>--- 待機中 ---</source>
        <translation>--- Waiting ---</translation>
    </message>
    <message>
        <source>現在起動中です。</source>
        <translation>The program is already running.</translation>
    </message>
    <message>
        <source>重複起動</source>
        <translation>Already running</translation>
    </message>
    <message>
        <source>プログラムを終了します。<byte value="xd"/>
よろしいですか？</source>
        <translation>The program will end.<byte value="xd"/>
Are you sure?</translation>
    </message>
    <message>
        <source>終了確認</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>設定を開始します。<byte value="xd"/>
よろしいですか？</source>
        <translation>The settings will be written to the unit.<byte value="xd"/>
Are you sure?</translation>
    </message>
    <message>
        <source>設定確認</source>
        <translation>Write settings</translation>
    </message>
    <message>
        <source>入力値が正しくありません。</source>
        <translation>The value is not valid.</translation>
    </message>
    <message>
        <source>入力値エラー</source>
        <translation>Invalid value</translation>
    </message>
    <message>
        <source>ファイルが既に存在します。<byte value="xd"/>
上書きしますか？</source>
        <translation>The file already exists.<byte value="xd"/>
Replace it?</translation>
    </message>
    <message>
        <source>保存確認</source>
        <translation>Replace file</translation>
    </message>
    <message>
        <source>ファイルに保存できません。</source>
        <translation>The file cannot be saved.</translation>
    </message>
    <message>
        <source>保存エラー</source>
        <translation>Save error</translation>
    </message>
    <message>
        <source>通信設定（system.ini）を保存できませんでした。<byte value="xd"/>
次回の起動では、今回の通信設定は使われません。<byte value="xd"/>
保存先：%1<byte value="xd"/>
原因：%2</source>
        <translation>The port settings (system.ini) could not be saved.<byte value="xd"/>
The next start will not use the settings of this session.<byte value="xd"/>
File: %1<byte value="xd"/>
Reason: %2</translation>
    </message>
    <message>
        <source>読込エラー</source>
        <translation>Load error</translation>
    </message>
    <message>
        <source>ファイルが存在しません。</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>ファイル形式が違います。</source>
        <translation>This is not a settings file.</translation>
    </message>
    <message>
        <source>ファイルから読込できません。</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>エラー情報</source>
        <translation>Error information</translation>
    </message>
    <message>
        <source>ZRT48210設定プログラム</source>
        <translation>ZRT48210 Settings</translation>
    </message>
    <message>
        <source>切断</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>RS232C通信を終了します</source>
        <translation>Ends RS-232C communication</translation>
    </message>
    <message>
        <source>RS232C通信を開始します</source>
        <translation>Starts RS-232C communication</translation>
    </message>
    <message>
        <source>出力</source>
        <translation>Out</translation>
    </message>
    <message>
        <source>入力</source>
        <translation>In</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>読込</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>すべてのファイル（*.*）|*|テキストファイル（*.txt）|*.txt</source>
        <translation>All files (*.*)|*|Text files (*.txt)|*.txt</translation>
    </message>
    <message>
        <source>通信設定</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>使用ポート</source>
        <translation>Port to use</translation>
    </message>
    <message>
        <source>ＣＯＭ１|ＣＯＭ２|ＣＯＭ３|ＣＯＭ４|ＣＯＭ５|ＣＯＭ６|ＣＯＭ７|ＣＯＭ８|ＣＯＭ９</source>
        <translation>COM1|COM2|COM3|COM4|COM5|COM6|COM7|COM8|COM9</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>増減ボタン</source>
        <translation>Up-down buttons</translation>
    </message>
    <message>
        <source>上で 1 増やし、下で 1 減らします</source>
        <translation>Up adds 1, down takes 1 away</translation>
    </message>
    <message>
        <source>照合成功</source>
        <translation>Verified</translation>
    </message>
    <message>
        <source>照合失敗</source>
        <translation>Verify failed</translation>
    </message>
    <message>
        <source>書き込んだ値とユニットの値が一致しません。</source>
        <translation>The unit does not report the values written.</translation>
    </message>
    <message>
        <source>（応答なし）</source>
        <translation>(not reported)</translation>
    </message>
    <message>
        <source>%1&#x3000;書込値 %2&#x3000;ユニットの値 %3</source>
        <translation>%1  written %2  unit %3</translation>
    </message>
    <message>
        <source>照合エラー</source>
        <translation>Verify error</translation>
    </message>
    <message>
        <source>この設定を記録できません。次回の起動時には元に戻ります。</source>
        <translation>This choice cannot be kept. It will be back as before at the next start.</translation>
    </message>
    <message>
        <source>未接続</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>メーカー：%1</source>
        <translation>Maker: %1</translation>
    </message>
    <message>
        <source>製品：%1</source>
        <translation>Product: %1</translation>
    </message>
    <message>
        <source>シリアル番号：%1</source>
        <translation>Serial number: %1</translation>
    </message>
    <message>
        <source>このプログラムが開いています</source>
        <translation>Open in this program</translation>
    </message>
    <message>
        <source>使用できます</source>
        <translation>Can be used</translation>
    </message>
    <message>
        <source>他のプログラムが使用中です</source>
        <translation>In use by another program</translation>
    </message>
    <message>
        <source>他のプログラムが使用中です（PID %1）</source>
        <translation>In use by another program (PID %1)</translation>
    </message>
    <message>
        <source>他のプログラムが使用中です（%1、PID %2）</source>
        <translation>In use by %1 (PID %2)</translation>
    </message>
    <message>
        <source>古いロックファイルがあります（PID %1 は終了しています）：%2</source>
        <translation>Stale lock file (PID %1 has ended): %2</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>検索中…</source>
        <translation>Finding…</translation>
    </message>
    <message>
        <source>ZRT%1  %2（対象外の機種）</source>
        <translation>ZRT%1  %2 (not supported)</translation>
    </message>
    <message>
        <source>応答なし</source>
        <translation>No answer</translation>
    </message>
    <message>
        <source>アクセス権がありません。ユーザーを dialout グループに加え、ログインし直してください：
sudo usermod -aG dialout $USER</source>
        <translation>No permission. Add the user to the group dialout, then log in again:
sudo usermod -aG dialout $USER</translation>
    </message>
    <message>
        <source>アクセス権がありません：%1</source>
        <translation>No permission: %1</translation>
    </message>
    <message>
        <source>開けません：%1</source>
        <translation>Cannot be opened: %1</translation>
    </message>
    <message>
        <source>通信ログ</source>
        <translation>Traffic log</translation>
    </message>
    <message>
        <source>時刻|ポート|方向|内容</source>
        <translation>Time|Port|Direction|Text</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>通信ログの保存</source>
        <translation>Save the traffic log</translation>
    </message>
    <message>
        <source>テキストファイル（*.txt）|*.txt|すべてのファイル（*.*）|*</source>
        <translation>Text files (*.txt)|*.txt|All files (*.*)|*</translation>
    </message>
    <message>
        <source>通信ログをファイルに書き込めません。ファイルへの記録を停止しました。</source>
        <translation>The traffic log cannot be written to its file. Logging to the file has stopped.</translation>
    </message>
    <message>
        <source>応答を読み取れません</source>
        <translation>Unreadable answer</translation>
    </message>
</context>
<context>
    <name>TileWidget</name>
    <message>
        <source>この自己IDを再使用</source>
        <translation>Reuse this own ID</translation>
    </message>
    <message>
        <source>%1
シリアル番号 %2</source>
        <translation>%1
serial number %2</translation>
    </message>
    <message>
        <source>停止中</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>待機中</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>使用できません</source>
        <translation>Cannot be used</translation>
    </message>
    <message>
        <source>自己ID待ち</source>
        <translation>Needs an own ID</translation>
    </message>
    <message>
        <source>書込中 %1/%2</source>
        <translation>Writing %1/%2</translation>
    </message>
    <message>
        <source>照合中</source>
        <translation>Verifying</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>失敗</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Interrupted</translation>
    </message>
    <message>
        <source>取り外し済み</source>
        <translation>Removed</translation>
    </message>
    <message>
        <source>応答を読み取れません</source>
        <translation>Unreadable answer</translation>
    </message>
</context>
<context>
    <name>TrafficLog</name>
    <message>
        <source>送信</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>受信</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>ポートを開きました</source>
        <translation>Port opened</translation>
    </message>
    <message>
        <source>ポートを開けません：%1</source>
        <translation>Cannot open the port: %1</translation>
    </message>
    <message>
        <source>ポートを閉じました</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <source>ポートが失われました：%1</source>
        <translation>Port lost: %1</translation>
    </message>
    <message>
        <source>再送 %1/3：%2</source>
        <translation>Resend %1/3: %2</translation>
    </message>
    <message>
        <source>応答がないため中止しました</source>
        <translation>No answer: given up</translation>
    </message>
    <message>
        <source>応答が長すぎるため破棄しました</source>
        <translation>Reply too long: dropped</translation>
    </message>
    <message>
        <source>（要求していない受信のため破棄）</source>
        <translation> (not asked for: dropped)</translation>
    </message>
    <message>
        <source>…（ほか %1 バイト）</source>
        <translation>... (%1 more bytes)</translation>
    </message>
</context>
<context>
    <name>UnitError</name>
    <message>
        <source>エラーはありません。</source>
        <translation>No error.</translation>
    </message>
    <message>
        <source>モデムエラーです。</source>
        <translation>Modem error.</translation>
    </message>
    <message>
        <source>EEPROMエラーです。</source>
        <translation>EEPROM error.</translation>
    </message>
    <message>
        <source>動作モード設定エラーです。</source>
        <translation>Operating mode setting error.</translation>
    </message>
    <message>
        <source>スレーブ台数設定が０台です。</source>
        <translation>The number of slaves is set to 0.</translation>
    </message>
    <message>
        <source>スレーブ台数がマスター信号数より<byte value="xd"/>
多いです。</source>
        <translation>There are more slaves than the master<byte value="xd"/>
has signals.</translation>
    </message>
    <message>
        <source>スレーブ台数が違います。</source>
        <translation>The number of slaves does not match.</translation>
    </message>
    <message>
        <source>チャンネル分散モードエラー<byte value="xd"/>
&#x3000;設定エラーです。</source>
        <translation>Channel distribution mode error:<byte value="xd"/>
 setting error.</translation>
    </message>
    <message>
        <source>チャンネル分散モードエラー<byte value="xd"/>
&#x3000;スレーブ設定エラーです。</source>
        <translation>Channel distribution mode error:<byte value="xd"/>
 slave setting error.</translation>
    </message>
    <message>
        <source>チャンネル分散モードエラー<byte value="xd"/>
&#x3000;送信データがありません。</source>
        <translation>Channel distribution mode error:<byte value="xd"/>
 no data to send.</translation>
    </message>
    <message>
        <source>ユニット種類相違エラーです。</source>
        <translation>Unit type mismatch.</translation>
    </message>
    <message>
        <source>デジタルユニット<byte value="xd"/>
入出力相違エラーです。</source>
        <translation>Digital unit:<byte value="xd"/>
input/output mismatch.</translation>
    </message>
    <message>
        <source>ユニットが入力でありません。</source>
        <translation>The unit is not an input unit.</translation>
    </message>
    <message>
        <source>スレーブにアナログ出力ユニットが<byte value="xd"/>
取付けられています。</source>
        <translation>An analog output unit is fitted<byte value="xd"/>
as a slave.</translation>
    </message>
    <message>
        <source>アナログユニット<byte value="xd"/>
入出力相違エラーです。</source>
        <translation>Analog unit:<byte value="xd"/>
input/output mismatch.</translation>
    </message>
    <message>
        <source>自己ＩＤエラーです。</source>
        <translation>Own ID error.</translation>
    </message>
    <message>
        <source>その他のエラーです。</source>
        <translation>Other error.</translation>
    </message>
</context>
<context>
    <name>UnitModel</name>
    <message>
        <source>デジタルユニット</source>
        <translation>Digital unit</translation>
    </message>
    <message>
        <source>アナログ入力ユニット</source>
        <translation>Analog input unit</translation>
    </message>
    <message>
        <source>アナログ出力ユニット</source>
        <translation>Analog output unit</translation>
    </message>
</context>
</TS>
