#include "ui/commissioningsheet.h"

#include "ui/pdfpage.h"

#include <QCoreApplication>

namespace {

// The texts' translation context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(CommissioningSheet)
};

} // namespace

QString sheetCaption(ParameterKey key)
{
    switch (key) {
    case ParameterKey::FRBD:
    case ParameterKey::FRCH: return Words::tr("周波数");
    case ParameterKey::PDIR: return Words::tr("入出力方向");
    case ParameterKey::LOGI: return Words::tr("ポート出力論理");
    case ParameterKey::AUIO: return Words::tr("アナログ入出力");
    case ParameterKey::ADSL: return Words::tr("Ａ／Ｄコンバータ");
    case ParameterKey::DASL: return Words::tr("Ｄ／Ａコンバータ");
    case ParameterKey::MODE: return Words::tr("動作モード");
    case ParameterKey::TYPE: return Words::tr("機種設定");
    case ParameterKey::MYID: return Words::tr("自己ＩＤ");
    case ParameterKey::SNUM: return Words::tr("子機台数");
    case ParameterKey::REPT: return Words::tr("中継機経由");
    case ParameterKey::ETIM: return Words::tr("通信断時間");
    case ParameterKey::DIVR: return Words::tr("アンテナ");
    case ParameterKey::PTIM: return Words::tr("ポーリング間隔");
    case ParameterKey::HOLD: return Words::tr("ポート出力状態");
    case ParameterKey::DOUT: return Words::tr("受信データ出力");
    }
    return {};
}

QString lastWriteText(LastWriteState state)
{
    switch (state) {
    case LastWriteState::None: return Words::tr("このユニットへの書込なし");
    case LastWriteState::NotVerified: return Words::tr("書込済み（照合なし）");
    case LastWriteState::Verified: return Words::tr("書込済み・照合済み");
    case LastWriteState::Different: return Words::tr("書込済み・照合で相違あり");
    }
    return {};
}

QString sheetDialogTitle()
{
    return Words::tr("報告書を保存");
}

QString sheetFileFilter()
{
    return Words::tr("PDFファイル（*.pdf）|*.pdf");
}

bool writeCommissioningSheet(const CommissioningSheet &sheet, const QString &path, QString *why)
{
    PdfPage page(path, Words::tr("設置記録"));
    if (!page.begin()) {
        *why = Words::tr("%1 に書き込めません").arg(path);
        return false;
    }
    QPainter &painter = page.painter();
    const int width = painter.viewport().width();
    int y = 0;
    auto row = [&](const QString &caption, const QString &value, int size = 10,
                   bool bold = false) {
        const QFont font = PdfPage::font(size, bold);
        painter.setFont(font);
        const int step = QFontMetrics(font, &page.writer()).lineSpacing() * 5 / 4;
        painter.drawText(QRect(0, y, width / 3, step), Qt::AlignLeft | Qt::AlignVCenter,
                         caption);
        painter.drawText(QRect(width / 3, y, width * 2 / 3, step),
                         Qt::AlignLeft | Qt::AlignVCenter, value);
        y += step;
    };
    row(Words::tr("ZRT 設置記録"), QString(), 16, true);
    row(Words::tr("日付"), sheet.date.toString(QStringLiteral("yyyy-MM-dd HH:mm t")));
    row(Words::tr("機種"), sheet.model + QLatin1String("  ") + sheet.kind);
    row(Words::tr("バージョン"), sheet.version);
    row(Words::tr("エラーコード"),
        sheet.errorCode.isEmpty() ? Words::tr("読込なし")
                                  : sheet.errorCode + QLatin1String("  ") + sheet.errorMessage);
    row(Words::tr("最後の書込"), sheet.lastWrite);
    y += 40;
    row(Words::tr("設定値"), QString(), 12, true);
    for (const auto &[caption, value] : sheet.parameters)
        row(caption, value);
    if (!page.finish()) {
        *why = Words::tr("%1 に書き込めません").arg(path);
        return false;
    }
    return true;
}
