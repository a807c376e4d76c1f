#pragma once

#include "link/traffic.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

enum class TrafficDirection {
    Sent,
    Received,
    Event,  // the link's own: port opened or lost, resend, give-up
};

struct TrafficRow
{
    QDateTime time;  // to the millisecond
    QString port;    // the device path
    TrafficDirection direction = TrafficDirection::Event;
    QString text;    // as sent or received, control characters made visible
};

// The record of what went over the line: one row per line sent or received and per event of the
// link, the newest last, at most MaxRows of them. Received bytes become a row once their line is
// complete, stamped with the time its first byte came. Costs nothing while the line is quiet.
// Several links may feed one log: each port's unfinished line is kept apart.
//
// Rows can also go to a file as they come (tab-separated: time, port, direction, text).
class TrafficLog : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype MaxRows = 10000;
    // Of a longer line, only this much is kept; the rest is counted.
    static constexpr qsizetype MaxShownBytes = 200;

    explicit TrafficLog(QObject *parent = nullptr);

    void record(const TrafficEvent &event);
    const QList<TrafficRow> &rows() const { return m_rows; }
    void clear();

    // From now on every row is also appended to this file. False, with the reason, when it
    // cannot be opened for appending.
    bool appendTo(const QString &path, QString *reason);

    // CR, LF and TAB as <CR>, <LF>, <TAB>; other bytes outside printable ASCII as <1B>.
    static QString visible(const QByteArray &bytes);
    static QString directionName(TrafficDirection direction);
    // One line of the file, without its line end.
    static QString formatRow(const TrafficRow &row);
    // Rows as the file holds them: each formatted, each ending in a line feed.
    static QString formatRows(const QList<TrafficRow> &rows);

signals:
    void rowAdded(const TrafficRow &row);
    // The oldest rows were dropped to keep the bound.
    void rowsDropped(qsizetype count);
    void cleared();
    // Writing the file failed; nothing more goes to it.
    void fileFailed(const QString &reason);

private:
    void add(TrafficDirection direction, const QString &text, const QDateTime &time,
             const QString &port);
    void takeReceived(const TrafficEvent &event, const QDateTime &now);
    void flushPartialLine(const QString &port);
    QString eventText(const TrafficEvent &event) const;
    void writeToFile(const TrafficRow &row);

    // A received line still waiting for its CR LF.
    struct PartialLine
    {
        QByteArray shown;
        qint64 unshown = 0;
        QDateTime time;
    };

    QList<TrafficRow> m_rows;
    QHash<QString, PartialLine> m_partials;  // by port
    QFile m_file;
};
