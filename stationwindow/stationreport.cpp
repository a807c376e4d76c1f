#include "stationwindow/stationreport.h"

#include "station/record.h"
#include "ui/pdfpage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

namespace {

// The texts' translation context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(StationReport)
};

// Column of a field in the record, by the header's name.
int column(const char *name)
{
    return static_cast<int>(StationRecord::header().indexOf(QLatin1String(name)));
}

} // namespace

bool writeStationReport(const QString &recordPath, const QString &jobName,
                        const QString &pdfPath, QString *why)
{
    QList<QStringList> rows;
    if (!readRecordRows(recordPath, jobName, &rows, why))
        return false;
    const RecordSummary summary = StationRecord::summarize(rows);
    QSet<QString> jobs;
    QSet<QString> operators;
    for (const QStringList &row : std::as_const(rows)) {
        jobs << row.value(column("settings_file")) + QLatin1String(" (SHA-256 ")
                    + row.value(column("settings_sha256")).left(12) + QLatin1Char(')');
        operators << row.value(column("operator"));
    }

    PdfPage page(pdfPath, Words::tr("設定記録"));
    if (!page.begin()) {
        *why = Words::tr("%1 に書き込めません").arg(pdfPath);
        return false;
    }
    QPainter &painter = page.painter();
    const int width = painter.viewport().width();
    const int height = painter.viewport().height();
    int y = 0;
    auto line = [&](const QString &text, int size = 9, bool bold = false) {
        const QFont f = PdfPage::font(size, bold);
        painter.setFont(f);
        const int step = QFontMetrics(f, &page.writer()).lineSpacing();
        if (y + step > height) {
            page.writer().newPage();
            y = 0;
        }
        y += step;
        painter.drawText(QRect(0, y - step, width, step), Qt::AlignLeft | Qt::AlignVCenter,
                         text);
    };
    line(Words::tr("ZRT 設定記録"), 16, true);
    line(Words::tr("記録ファイル: %1").arg(QFileInfo(recordPath).fileName()));
    line(Words::tr("設定ファイル: %1").arg(QStringList(jobs.values()).join(QLatin1String(", "))));
    line(Words::tr("作業者: %1").arg(QStringList(operators.values()).join(QLatin1String(", "))));
    line(Words::tr("期間: %1 ～ %2")
             .arg(summary.first.toString(Qt::ISODate), summary.last.toString(Qt::ISODate)));
    line(Words::tr("完了: %1台  失敗・中断: %2台").arg(summary.done).arg(summary.failed), 11, true);
    line(QString());
    line(Words::tr("時刻 / アダプタ / 機種 / 自己ID / 結果 / 理由"), 9, true);
    for (const QStringList &row : std::as_const(rows)) {
        line(QStringLiteral("%1  %2  %3  %4  %5  %6")
                 .arg(row.value(column("time")), row.value(column("adapter")),
                      row.value(column("model")),
                      row.value(column("own_id")).isEmpty() ? QStringLiteral("-")
                                                            : row.value(column("own_id")),
                      row.value(column("result")), row.value(column("reason"))));
    }
    if (!page.finish()) {
        *why = Words::tr("%1 に書き込めません").arg(pdfPath);
        return false;
    }
    return true;
}
