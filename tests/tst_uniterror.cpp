#include "errors/uniterror.h"

#include <QTest>

// The unit's error codes and their explanations.
class UnitErrorTest : public QObject
{
    Q_OBJECT

private slots:
    void messages_data();
    void messages();
    void codeIsTheLastFourCharacters();
};

void UnitErrorTest::messages_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    const QString cr = QStringLiteral("\r\n");
    const QString ideographicSpace = QStringLiteral("\u3000");
    QTest::newRow("0000") << "Err0000" << "エラーはありません。";
    QTest::newRow("2000") << "Err2000" << "モデムエラーです。";
    QTest::newRow("4000") << "Err4000" << "EEPROMエラーです。";
    QTest::newRow("1001") << "Err1001" << "動作モード設定エラーです。";
    QTest::newRow("1002") << "Err1002" << "スレーブ台数設定が\uff10台です。";
    QTest::newRow("1003") << "Err1003" << "スレーブ台数がマスター信号数より" + cr + "多いです。";
    QTest::newRow("1004") << "Err1004" << "スレーブ台数が違います。";
    QTest::newRow("1005") << "Err1005"
                          << "チャンネル分散モードエラー" + cr + ideographicSpace + "設定エラーです。";
    QTest::newRow("1006") << "Err1006"
                          << "チャンネル分散モードエラー" + cr + ideographicSpace
            + "スレーブ設定エラーです。";
    QTest::newRow("1007") << "Err1007"
                          << "チャンネル分散モードエラー" + cr + ideographicSpace
            + "送信データがありません。";
    QTest::newRow("1008") << "Err1008" << "ユニット種類相違エラーです。";
    QTest::newRow("1009") << "Err1009" << "デジタルユニット" + cr + "入出力相違エラーです。";
    QTest::newRow("100A") << "Err100A" << "ユニットが入力でありません。";
    QTest::newRow("100B") << "Err100B"
                          << "スレーブにアナログ出力ユニットが" + cr + "取付けられています。";
    QTest::newRow("100C") << "Err100C" << "アナログユニット" + cr + "入出力相違エラーです。";
    QTest::newRow("100D") << "Err100D" << "自己\uff29\uff24エラーです。";
    QTest::newRow("lower case") << "Err100a" << "その他のエラーです。";
    QTest::newRow("unknown") << "Err9999" << "その他のエラーです。";
    QTest::newRow("short") << "Err" << "その他のエラーです。";
    QTest::newRow("words before the code") << "Err: 1003"
                                           << "スレーブ台数がマスター信号数より" + cr + "多いです。";
}

void UnitErrorTest::messages()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    QCOMPARE(unitErrorMessage(unitErrorCode(line)), message);
}

void UnitErrorTest::codeIsTheLastFourCharacters()
{
    QCOMPARE(unitErrorCode(u"ErrXY1003"), QStringLiteral("1003"));
    QCOMPARE(unitErrorCode(u"Err"), QStringLiteral("Err"));
    QCOMPARE(unitErrorCode(u""), QString());
}

QTEST_GUILESS_MAIN(UnitErrorTest)
#include "tst_uniterror.moc"
