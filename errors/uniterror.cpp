#include "errors/uniterror.h"

namespace {

struct ErrorRow
{
    const char16_t *code;
    const char16_t *message;
};

// Compared in this order, exactly; the first match wins.
constexpr ErrorRow Table[] = {
    {u"0000", u"エラーはありません。"},
    {u"2000", u"モデムエラーです。"},
    {u"4000", u"EEPROMエラーです。"},
    {u"1001", u"動作モード設定エラーです。"},
    {u"1002", u"スレーブ台数設定が０台です。"},
    {u"1003", u"スレーブ台数がマスター信号数より\r\n多いです。"},
    {u"1004", u"スレーブ台数が違います。"},
    {u"1005", u"チャンネル分散モードエラー\r\n\u3000設定エラーです。"},
    {u"1006", u"チャンネル分散モードエラー\r\n\u3000スレーブ設定エラーです。"},
    {u"1007", u"チャンネル分散モードエラー\r\n\u3000送信データがありません。"},
    {u"1008", u"ユニット種類相違エラーです。"},
    {u"1009", u"デジタルユニット\r\n入出力相違エラーです。"},
    {u"100A", u"ユニットが入力でありません。"},
    {u"100B", u"スレーブにアナログ出力ユニットが\r\n取付けられています。"},
    {u"100C", u"アナログユニット\r\n入出力相違エラーです。"},
    {u"100D", u"自己ＩＤエラーです。"},
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
            return QString::fromUtf16(row.message);
    }
    return QStringLiteral("その他のエラーです。");
}
