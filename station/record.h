#pragma once

#include "file/filewriter.h"
#include "station/recordstore.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

// The station's record: a CSV file that Excel opens as it is (UTF-8 with a byte order mark,
// CR LF, fields quoted where needed). A new file gets one header row; after that rows are only
// appended, each on the disk (written, synced, closed, every step checked) before the caller
// may say the unit is done. The file is locked for the station's lifetime.
class StationRecord : public RecordStore
{
public:
    // Takes an existing record (for its summary) or notes that a new one starts. False, with
    // why, when it cannot be read or another station holds it.
    bool open(const QString &path, QString *why);
    bool append(const RecordRow &row, QString *why) override;
    // How a row is put on the disk; tests hand in one that fails.
    void setSync(SyncToDisk sync) { m_sync = std::move(sync); }

    QString path() const { return m_path; }
    QString target() const override { return m_path; }
    QList<QStringList> rows() const override { return m_rows; }
    RecordSummary summary() const override;

    // The columns of a new record. A record begun before the reason code existed keeps its
    // header, and rows appended to it leave that column out; read back, its rows have the
    // column, empty.
    static QStringList header();
    static QStringList fields(const RecordRow &row);
    // The row those fields came from (a row of this program's header).
    static RecordRow rowOf(const QStringList &fields);
    static QByteArray csvLine(const QStringList &fields);
    // A whole record file of these rows: byte order mark, header, rows.
    static QByteArray fileBytes(const QList<QStringList> &rows);
    // The rows of a CSV text (byte order mark, quotes, CR LF or LF); the header row included.
    static QList<QStringList> parseCsv(const QByteArray &bytes);
    static RecordSummary summarize(const QList<QStringList> &rows);
    // The rows of the record file at `path`, without its header. False, with the reason, when
    // the file cannot be read or is not a station's record; an empty file is a record with no
    // rows only where `emptyIsRecord`.
    static bool readRows(const QString &path, QList<QStringList> *rows, QString *why,
                         bool emptyIsRecord, bool *withoutReasonCode = nullptr);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_exists = false;
    bool m_withoutReasonCode = false;  // an older record: its rows have no reason code
    QList<QStringList> m_rows;  // without the header
    SyncToDisk m_sync;
};
