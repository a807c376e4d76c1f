#include "errors/uniterror.h"

#include <QCoreApplication>

namespace {

struct ErrorRow
{
    const char16_t *code;
    const char *message;
};

// Compared in this order, exactly; the first match wins.
constexpr ErrorRow Table[] = {
    {u"0000", QT_TRANSLATE_NOOP("UnitError", "エラーはありません。")},
    {u"2000", QT_TRANSLATE_NOOP("UnitError", "モデムエラーです。")},
    {u"4000", QT_TRANSLATE_NOOP("UnitError", "EEPROMエラーです。")},
    {u"1001", QT_TRANSLATE_NOOP("UnitError", "動作モード設定エラーです。")},
    {u"1002", QT_TRANSLATE_NOOP("UnitError", "スレーブ台数設定が０台です。")},
    {u"1003", QT_TRANSLATE_NOOP("UnitError", "スレーブ台数がマスター信号数より\r\n多いです。")},
    {u"1004", QT_TRANSLATE_NOOP("UnitError", "スレーブ台数が違います。")},
    {u"1005", QT_TRANSLATE_NOOP("UnitError", "チャンネル分散モードエラー\r\n\u3000設定エラーです。")},
    {u"1006", QT_TRANSLATE_NOOP("UnitError", "チャンネル分散モードエラー\r\n\u3000スレーブ設定エラーです。")},
    {u"1007", QT_TRANSLATE_NOOP("UnitError", "チャンネル分散モードエラー\r\n\u3000送信データがありません。")},
    {u"1008", QT_TRANSLATE_NOOP("UnitError", "ユニット種類相違エラーです。")},
    {u"1009", QT_TRANSLATE_NOOP("UnitError", "デジタルユニット\r\n入出力相違エラーです。")},
    {u"100A", QT_TRANSLATE_NOOP("UnitError", "ユニットが入力でありません。")},
    {u"100B", QT_TRANSLATE_NOOP("UnitError", "スレーブにアナログ出力ユニットが\r\n取付けられています。")},
    {u"100C", QT_TRANSLATE_NOOP("UnitError", "アナログユニット\r\n入出力相違エラーです。")},
    {u"100D", QT_TRANSLATE_NOOP("UnitError", "自己ＩＤエラーです。")},
};

} // namespace

QString unitErrorCode(QStringView line)
{
    return line.right(4).toString();
}

QString unitErrorMessage(QStringView code)
{
    for (const ErrorRow &row : Table) {
        if (code == QStringView(row.code))
            return QCoreApplication::translate("UnitError", row.message);
    }
    return QCoreApplication::translate("UnitError", "その他のエラーです。");
}
