#include "link/trafficlog.h"

#include <algorithm>

TrafficLog::TrafficLog(QObject *parent)
    : QObject(parent)
{
}

QString TrafficLog::visible(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<uchar>(c);
        if (byte == '\r')
            text += QLatin1String("<CR>");
        else if (byte == '\n')
            text += QLatin1String("<LF>");
        else if (byte == '\t')
            text += QLatin1String("<TAB>");
        else if (byte < 0x20 || byte >= 0x7f)
            text += QStringLiteral("<%1>").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        else
            text += QLatin1Char(c);
    }
    return text;
}

QString TrafficLog::directionName(TrafficDirection direction)
{
    switch (direction) {
    case TrafficDirection::Sent:
        return tr("送信");
    case TrafficDirection::Received:
        return tr("受信");
    case TrafficDirection::Event:
        break;
    }
    return {};
}

QString TrafficLog::formatRow(const TrafficRow &row)
{
    return row.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QLatin1Char('\t')
        + row.port + QLatin1Char('\t') + directionName(row.direction) + QLatin1Char('\t')
        + row.text;
}

QString TrafficLog::formatRows(const QList<TrafficRow> &rows)
{
    QString text;
    for (const TrafficRow &row : rows)
        text += formatRow(row) + QLatin1Char('\n');
    return text;
}

void TrafficLog::record(const TrafficEvent &event)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (event.kind == TrafficEvent::Kind::Received) {
        takeReceived(event, now);
        return;
    }
    // Whatever came before this event was all the unit sent of that line.
    flushPartialLine(event.device);
    switch (event.kind) {
    case TrafficEvent::Kind::Sent:
        add(TrafficDirection::Sent, visible(event.bytes), now, event.device);
        break;
    case TrafficEvent::Kind::Unrequested:
        add(TrafficDirection::Received, visible(event.bytes.left(MaxShownBytes)) + eventText(event),
            now, event.device);
        break;
    default:
        add(TrafficDirection::Event, eventText(event), now, event.device);
        break;
    }
}

QString TrafficLog::eventText(const TrafficEvent &event) const
{
    using Kind = TrafficEvent::Kind;
    switch (event.kind) {
    case Kind::Opened:
        return tr("ポートを開きました");
    case Kind::OpenFailed:
        return tr("ポートを開けません：%1").arg(event.reason);
    case Kind::Closed:
        return tr("ポートを閉じました");
    case Kind::Lost:
        return tr("ポートが失われました：%1").arg(event.reason);
    case Kind::Resent:
        return tr("再送 %1/3：%2").arg(QString::number(event.attempt), visible(event.bytes));
    case Kind::GaveUp:
        return tr("応答がないため中止しました");
    case Kind::ReplyCut:
        return tr("応答が長すぎるため破棄しました");
    case Kind::Unrequested:
        return tr("（要求していない受信のため破棄）");
    case Kind::Sent:
    case Kind::Received:
        break;
    }
    return {};
}

void TrafficLog::takeReceived(const TrafficEvent &event, const QDateTime &now)
{
    qsizetype from = 0;
    while (from < event.bytes.size()) {
        PartialLine &partial = m_partials[event.device];
        if (partial.shown.isEmpty() && partial.unshown == 0)
            partial.time = now;
        // A line ends with its LF; a CR LF split over two reads still ends in one row.
        const qsizetype end = event.bytes.indexOf('\n', from);
        const qsizetype stop = end < 0 ? event.bytes.size() : end + 1;
        const QByteArray piece = event.bytes.mid(from, stop - from);
        const qsizetype room = std::max<qsizetype>(MaxShownBytes - partial.shown.size(), 0);
        partial.shown += piece.left(room);
        partial.unshown += std::max<qsizetype>(piece.size() - room, 0);
        from = stop;
        if (end >= 0)
            flushPartialLine(event.device);
    }
}

void TrafficLog::flushPartialLine(const QString &port)
{
    const auto found = m_partials.constFind(port);
    if (found == m_partials.cend())
        return;
    const PartialLine partial = found.value();
    m_partials.erase(found);
    QString text = visible(partial.shown);
    if (partial.unshown > 0)
        text += tr("…（ほか %1 バイト）").arg(partial.unshown);
    add(TrafficDirection::Received, text, partial.time, port);
}

void TrafficLog::add(TrafficDirection direction, const QString &text, const QDateTime &time,
                     const QString &port)
{
    const TrafficRow row{time, port, direction, text};
    m_rows.append(row);
    if (m_rows.size() > MaxRows) {
        const qsizetype extra = m_rows.size() - MaxRows;
        m_rows.remove(0, extra);
        emit rowsDropped(extra);
    }
    writeToFile(row);
    emit rowAdded(row);
}

void TrafficLog::clear()
{
    m_rows.clear();
    emit cleared();
}

bool TrafficLog::appendTo(const QString &path, QString *reason)
{
    m_file.close();
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return true;
    if (reason)
        *reason = m_file.errorString();
    return false;
}

void TrafficLog::writeToFile(const TrafficRow &row)
{
    if (!m_file.isOpen())
        return;
    const QByteArray line = formatRows({row}).toUtf8();
    // Flushed row by row, so that a log read while the program runs is up to date, and a full
    // disk is noticed at once.
    if (m_file.write(line) == line.size() && m_file.flush())
        return;
    const QString reason = m_file.errorString();
    m_file.close();
    emit fileFailed(reason);
}
