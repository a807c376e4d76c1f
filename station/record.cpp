#include "station/record.h"

#include "settings/parameters.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// The texts' translation context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(Station)
};

const QByteArray ByteOrderMark("\xEF\xBB\xBF");
// The value columns: the parameters in the order of the command set.
QStringList valueKeys()
{
    QStringList keys;
    for (ParameterKey key : AllParameterKeys)
        keys << keyName(key);
    return keys;
}

constexpr int TimeColumn = 0;
constexpr int OwnIdColumn = 8;
constexpr int ResultColumn = 11;
constexpr int ReasonCodeColumn = 12;  // absent from a record begun before it existed
constexpr int ValuesColumn = 14;       // how the values were had; the values follow



} // namespace

QStringList StationRecord::header()
{
    return QStringList{QStringLiteral("time"),         QStringLiteral("station"),
                       QStringLiteral("operator"),     QStringLiteral("adapter"),
                       QStringLiteral("adapter_serial"), QStringLiteral("model"),
                       QStringLiteral("version"),      QStringLiteral("label"),
                       QStringLiteral("own_id"),       QStringLiteral("settings_file"),
                       QStringLiteral("settings_sha256"), QStringLiteral("result"),
                       QStringLiteral("reason_code"),  QStringLiteral("reason"),
                       QStringLiteral("values")}
        + valueKeys();
}

QStringList StationRecord::fields(const RecordRow &row)
{
    QStringList fields{row.time.toString(Qt::ISODateWithMs), row.station, row.operatorName,
                       row.adapter, row.adapterSerial, row.model, row.version, row.label,
                       row.ownId, row.settingsFile, row.settingsSha256, row.result,
                       row.reasonCode, row.reason};
    fields << (row.values.isEmpty() ? QString()
               : row.readBack      ? QStringLiteral("read back")
                                   : QStringLiteral("written, not verified"));
    for (const QString &key : valueKeys()) {
        QString value;
        for (const auto &[k, v] : row.values) {
            if (k == key)
                value = v;
        }
        fields << value;
    }
    return fields;
}

QByteArray StationRecord::fileBytes(const QList<QStringList> &rows)
{
    QByteArray bytes = ByteOrderMark + csvLine(header());
    for (const QStringList &row : rows)
        bytes += csvLine(row);
    return bytes;
}

RecordRow StationRecord::rowOf(const QStringList &fields)
{
    RecordRow row;
    row.time = QDateTime::fromString(fields.value(TimeColumn), Qt::ISODateWithMs);
    row.station = fields.value(1);
    row.operatorName = fields.value(2);
    row.adapter = fields.value(3);
    row.adapterSerial = fields.value(4);
    row.model = fields.value(5);
    row.version = fields.value(6);
    row.label = fields.value(7);
    row.ownId = fields.value(OwnIdColumn);
    row.settingsFile = fields.value(9);
    row.settingsSha256 = fields.value(10);
    row.result = fields.value(ResultColumn);
    row.reasonCode = fields.value(ReasonCodeColumn);
    row.reason = fields.value(13);
    const QString kind = fields.value(ValuesColumn);
    row.readBack = kind == QLatin1String("read back");
    if (!kind.isEmpty()) {
        const QStringList keys = valueKeys();
        for (int i = 0; i < keys.size(); ++i) {
            const QString value = fields.value(ValuesColumn + 1 + i);
            if (!value.isEmpty())
                row.values << std::pair{keys.at(i), value};
        }
    }
    return row;
}

QByteArray StationRecord::csvLine(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields) {
        const bool needs = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"'))
            || field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))
            || field.startsWith(QLatin1Char(' ')) || field.endsWith(QLatin1Char(' '));
        if (!needs) {
            quoted << field;
            continue;
        }
        QString escaped = field;
        escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
        quoted << QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    return quoted.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

QList<QStringList> StationRecord::parseCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(
        bytes.startsWith(ByteOrderMark) ? bytes.mid(ByteOrderMark.size()) : bytes);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            const bool doubled = i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"');
            if (c == QLatin1Char('"') && doubled) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && text.mid(i + 1, 1) == QLatin1String("\n"))
                ++i;
            if (any || !field.isEmpty()) {
                rows << (row << field);
            }
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.isEmpty())
        rows << (row << field);
    return rows;
}

RecordSummary StationRecord::summarize(const QList<QStringList> &rows)
{
    RecordSummary summary;
    for (const QStringList &row : rows) {
        if (row.value(ResultColumn) == QLatin1String("done"))
            ++summary.done;
        else
            ++summary.failed;
        bool ok = false;
        const int ownId = row.value(OwnIdColumn).toInt(&ok);
        if (ok)
            summary.ownIds.insert(ownId);
        const QDateTime time = QDateTime::fromString(row.value(TimeColumn), Qt::ISODateWithMs);
        if (time.isValid() && (!summary.first.isValid() || time < summary.first))
            summary.first = time;
        if (time.isValid() && (!summary.last.isValid() || time > summary.last))
            summary.last = time;
    }
    return summary;
}

RecordSummary StationRecord::summary() const
{
    return summarize(m_rows);
}

bool StationRecord::open(const QString &path, QString *why)
{
    m_path = path;
    m_rows.clear();
    m_lock = std::make_unique<QLockFile>(path + QLatin1String(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        *why = m_lock->error() == QLockFile::LockFailedError
            ? Words::tr("記録ファイル %1 は別のステーションが使用中です").arg(path)
            : Words::tr("記録ファイル %1 をロックできません").arg(path);
        m_lock.reset();
        return false;
    }
    QFile file(path);
    m_exists = file.exists();
    if (!m_exists)
        return true;
    if (!readRows(path, &m_rows, why, true, &m_withoutReasonCode))
        return false;
    // An empty file gets its header with the first row.
    m_exists = file.size() > 0;
    return true;
}

bool StationRecord::readRows(const QString &path, QList<QStringList> *rows, QString *why,
                             bool emptyIsRecord, bool *withoutReasonCode)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = Words::tr("記録ファイル %1 を読めません: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *why = Words::tr("記録ファイル %1 を読めません: %2").arg(path, file.errorString());
        return false;
    }
    QList<QStringList> parsed = parseCsv(bytes);
    QStringList older = header();
    older.removeAt(ReasonCodeColumn);
    const bool isOlder = !parsed.isEmpty() && parsed.first() == older;
    if (parsed.isEmpty() ? !emptyIsRecord : parsed.first() != header() && !isOlder) {
        *why = Words::tr("%1 はステーションの記録ファイルではありません").arg(path);
        return false;
    }
    if (!parsed.isEmpty())
        parsed.removeFirst();
    if (isOlder) {
        for (QStringList &row : parsed)
            row.insert(std::min<qsizetype>(ReasonCodeColumn, row.size()), QString());
    }
    if (withoutReasonCode)
        *withoutReasonCode = isOlder;
    *rows = parsed;
    return true;
}

bool StationRecord::append(const RecordRow &row, QString *why)
{
    const QStringList rowFields = fields(row);
    QByteArray bytes;
    if (!m_exists) {
        bytes = ByteOrderMark + csvLine(header());
        m_withoutReasonCode = false;
    }
    QStringList columns = rowFields;
    if (m_withoutReasonCode)
        columns.removeAt(ReasonCodeColumn);  // a record never changes its columns
    bytes += csvLine(columns);
    // A record that has gone is not quietly started again: its rows would be lost from sight.
    const FileWriteResult appended = appendToFile(m_path, bytes, !m_exists, m_sync);
    if (!appended.ok) {
        *why = appended.heldElsewhere
            ? Words::tr("記録ファイル %1 は他のプログラムが開いています"
                        "（Excel などを閉じてください）: %2")
                  .arg(m_path, appended.reason)
            : Words::tr("記録ファイル %1 に書き込めません: %2").arg(m_path, appended.reason);
        return false;
    }
    m_exists = true;
    m_rows << rowFields;
    return true;
}

std::optional<int> RecordStore::reserveOwnId(int from, std::optional<int> exactly, QString *why)
{
    Q_UNUSED(why);
    return exactly ? exactly : std::optional<int>(from);
}
