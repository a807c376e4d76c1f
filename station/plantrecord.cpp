#include "station/plantrecord.h"

#include "settings/parameters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>
#include <QVariant>

#include <map>
#include <mutex>
#include <type_traits>

namespace {

// The texts' translation context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(Station)
};

// PostgreSQL's code for a row that a unique constraint refuses.
const QString UniqueViolation = QStringLiteral("23505");
// This program's advisory locks: (48210) while a station makes the tables, so that two at their
// first start do not collide; (48210, job) while a station draws an own ID of that job.
constexpr int LockSpace = 48210;

struct Server
{
    QString host;
    int port = -1;
    QString database;
    QString user;
    QString options;  // libpq's other parameters, "name=value;..."
};

bool parseUrl(const QString &url, Server *server, QString *why)
{
    const QUrl parsed(url, QUrl::TolerantMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid()
        || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))) {
        *why = Words::tr("データベースの URL が読めません: %1"
                         "（postgresql://ユーザー@ホスト:ポート/データベース）")
                   .arg(url);
        return false;
    }
    const QString passwordHint = Words::tr(
        "データベースの URL にパスワードを書かないでください。パスワードは ~/.pgpass"
        "（または環境変数 PGPASSWORD）に置きます");
    if (!parsed.password().isEmpty()) {
        *why = passwordHint;
        return false;
    }
    server->user = parsed.userName(QUrl::FullyDecoded);
    server->host = parsed.host(QUrl::FullyDecoded);
    server->port = parsed.port(-1);
    server->database = parsed.path(QUrl::FullyDecoded).mid(1);
    QStringList options;
    bool timeout = false;
    const auto items = QUrlQuery(parsed).queryItems(QUrl::FullyDecoded);
    for (const auto &[name, value] : items) {
        if (name == QLatin1String("password")) {
            *why = passwordHint;
            return false;
        }
        if (name == QLatin1String("host"))
            server->host = value;
        else if (name == QLatin1String("port"))
            server->port = value.toInt();
        else if (name == QLatin1String("user"))
            server->user = value;
        else if (name == QLatin1String("dbname"))
            server->database = value;
        else
            options << name + QLatin1Char('=') + value;
        timeout = timeout || name == QLatin1String("connect_timeout");
    }
    // An unreachable server is said within seconds, not after the system's TCP timeout.
    if (!timeout)
        options << QStringLiteral("connect_timeout=5");
    server->options = options.join(QLatin1Char(';'));
    return true;
}

bool openDatabase(const QString &url, const QString &connection, QString *why)
{
    Server server;
    if (!parseUrl(url, &server, why))
        return false;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db.isValid()) {
        *why = Words::tr("PostgreSQL のドライバ（QPSQL）がありません: パッケージ "
                         "libqt6sql6-psql を入れてください");
        return false;
    }
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    db.setConnectOptions(server.options);
    if (!db.open()) {
        *why = Words::tr("データベース %1 に接続できません: %2")
                   .arg(url, db.lastError().text().trimmed());
        return false;
    }
    // The server's notices ("already exists, skipping") are not for the operator.
    QSqlQuery(db).exec(QStringLiteral("SET client_min_messages TO warning"));
    return true;
}

// The statements a station runs for every unit, prepared once per connection on the thread that
// has it: a statement prepared anew costs the server a parse and two more round trips. (A map:
// a query handed out stays where it is while others are added.)
struct Prepared
{
    QSqlQuery query;
    bool ready = false;
};
thread_local std::map<QString, std::map<QString, Prepared>> preparedStatements;

void closeDatabase(const QString &connection)
{
    preparedStatements.erase(connection);
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

// The connection of one record or one read, closed when it ends.
class Session
{
public:
    Session() : name(QUuid::createUuid().toString(QUuid::WithoutBraces)) {}
    ~Session() { closeDatabase(name); }
    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }
    const QString name;
};

bool exec(QSqlQuery &query, const QString &sql, const QVariantList &values = {})
{
    // The tables' statements cannot be prepared; they take no values either.
    if (values.isEmpty())
        return query.exec(sql);
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

// Runs `sql`, prepared once on this connection, with `values`; the query is kept for the next.
QSqlQuery &execPrepared(QSqlDatabase db, const QString &sql, const QVariantList &values, bool *ok)
{
    std::map<QString, Prepared> &statements = preparedStatements[db.connectionName()];
    auto known = statements.find(sql);
    if (known == statements.end())
        known = statements.emplace(sql, Prepared{QSqlQuery(db), false}).first;
    Prepared &statement = known->second;
    if (!statement.ready)
        statement.ready = statement.query.prepare(sql);  // or again next time
    *ok = statement.ready;
    if (*ok) {
        for (int i = 0; i < values.size(); ++i)
            statement.query.bindValue(i, values.at(i));
        *ok = statement.query.exec();
    }
    return statement.query;
}

// An empty field is an empty text in the database, not NULL, as it is in the CSV.
QVariant text(const QString &field)
{
    return field.isNull() ? QVariant(QStringLiteral("")) : QVariant(field);
}

QString errorOf(const QSqlQuery &query)
{
    return query.lastError().text().trimmed();
}

const char *const CreateTables[] = {
    "CREATE TABLE zrt_jobs ("
    " id serial PRIMARY KEY,"
    " name text NOT NULL UNIQUE,"
    " settings_file text NOT NULL,"
    " settings_sha256 text NOT NULL,"
    " model_kind text NOT NULL,"
    " own_id_rule text NOT NULL,"
    " own_id_from integer NOT NULL,"
    " own_id_to integer NOT NULL,"
    " created timestamptz NOT NULL DEFAULT now())",
    // One own ID of a job at a time: reserved while its unit is written, then given.
    "CREATE TABLE zrt_own_ids ("
    " job_id integer NOT NULL REFERENCES zrt_jobs (id),"
    " own_id integer NOT NULL,"
    " state text NOT NULL CHECK (state IN ('reserved', 'given')),"
    " session text NOT NULL,"
    " PRIMARY KEY (job_id, own_id))",
    // An attempt sent twice (a spool sent again after a lost answer) is kept once.
    "CREATE TABLE zrt_attempts ("
    " id bigserial PRIMARY KEY,"
    " job_id integer NOT NULL REFERENCES zrt_jobs (id),"
    " time timestamptz NOT NULL,"
    " time_text text NOT NULL,"
    " station text NOT NULL,"
    " operator text NOT NULL,"
    " adapter text NOT NULL,"
    " adapter_serial text NOT NULL,"
    " model text NOT NULL,"
    " version text NOT NULL,"
    " label text NOT NULL,"
    " own_id integer,"
    " settings_file text NOT NULL,"
    " settings_sha256 text NOT NULL,"
    " result text NOT NULL,"
    " reason_code text NOT NULL,"
    " reason text NOT NULL,"
    " read_back boolean NOT NULL,"
    " parameters jsonb NOT NULL,"
    " UNIQUE (job_id, station, adapter, time_text))",
    "CREATE INDEX zrt_attempts_own_id ON zrt_attempts (job_id, own_id)",
};

// Makes the tables on first use; refuses tables of a version this program does not know.
bool ensureSchema(QSqlDatabase db, QString *why)
{
    QSqlQuery query(db);
    if (!exec(query, QStringLiteral("SELECT pg_advisory_lock(%1)").arg(LockSpace))) {
        *why = errorOf(query);
        return false;
    }
    const auto unlock = qScopeGuard([&db] {
        QSqlQuery(db).exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(LockSpace));
    });
    if (!exec(query, QStringLiteral("CREATE TABLE IF NOT EXISTS zrt_schema"
                                    " (version integer NOT NULL)"))
        || !exec(query, QStringLiteral("SELECT max(version) FROM zrt_schema"))
        || !query.next()) {
        *why = Words::tr("データベースに表を作れません: %1").arg(errorOf(query));
        return false;
    }
    if (!query.value(0).isNull()) {
        const int version = query.value(0).toInt();
        if (version > PlantRecord::SchemaVersion) {
            *why = Words::tr("データベースの記録は新しい版（%1）です。このプログラムは版 %2 "
                             "までを扱えます。プログラムを更新してください")
                       .arg(version).arg(PlantRecord::SchemaVersion);
            return false;
        }
        return true;
    }
    bool made = db.transaction();
    for (const char *sql : CreateTables)
        made = made && exec(query, QString::fromLatin1(sql));
    made = made && exec(query, QStringLiteral("INSERT INTO zrt_schema VALUES (?)"),
                        {PlantRecord::SchemaVersion});
    if (!made || !db.commit()) {
        *why = Words::tr("データベースに表を作れません: %1").arg(errorOf(query));
        db.rollback();
        return false;
    }
    return true;
}

const QString RowColumns = QStringLiteral(
    "a.time_text, a.station, a.operator, a.adapter, a.adapter_serial, a.model, a.version,"
    " a.label, a.own_id, a.settings_file, a.settings_sha256, a.result, a.reason_code, a.reason,"
    " a.read_back, a.parameters::text");

QStringList fieldsOf(const QSqlQuery &query)
{
    RecordRow row;
    row.time = QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs);
    row.station = query.value(1).toString();
    row.operatorName = query.value(2).toString();
    row.adapter = query.value(3).toString();
    row.adapterSerial = query.value(4).toString();
    row.model = query.value(5).toString();
    row.version = query.value(6).toString();
    row.label = query.value(7).toString();
    if (!query.value(8).isNull())
        row.ownId = ownIdText(query.value(8).toInt());
    row.settingsFile = query.value(9).toString();
    row.settingsSha256 = query.value(10).toString();
    row.result = query.value(11).toString();
    row.reasonCode = query.value(12).toString();
    row.reason = query.value(13).toString();
    row.readBack = query.value(14).toBool();
    const QJsonObject values =
        QJsonDocument::fromJson(query.value(15).toString().toUtf8()).object();
    for (auto it = values.begin(); it != values.end(); ++it)
        row.values << std::pair{it.key(), it.value().toString()};
    return StationRecord::fields(row);
}

bool selectRows(QSqlDatabase db, const QString &jobName, QList<QStringList> *rows, QString *why)
{
    QSqlQuery query(db);
    const QString sql = QStringLiteral("SELECT %1 FROM zrt_attempts a JOIN zrt_jobs j"
                                       " ON j.id = a.job_id WHERE ? = '' OR j.name = ?"
                                       " ORDER BY a.time, a.id")
                            .arg(RowColumns);
    if (!exec(query, sql, {jobName, jobName})) {
        *why = Words::tr("データベースから記録を読めません: %1").arg(errorOf(query));
        return false;
    }
    rows->clear();
    while (query.next())
        *rows << fieldsOf(query);
    return true;
}

// The row, and the own ID its command carried counted as given.
bool insertRowOn(QSqlDatabase db, int jobId, const RecordRow &row, QString *why)
{
    QJsonObject values;
    for (const auto &[key, value] : row.values)
        values.insert(key, value);
    bool isNumber = false;
    const int ownId = row.ownId.toInt(&isNumber);
    const QVariant ownIdValue = isNumber ? QVariant(ownId) : QVariant(QMetaType::fromType<int>());
    const QString time = row.time.toString(Qt::ISODateWithMs);
    // One statement, so one transaction and one round trip: the row, and the own ID its command
    // carried counted as given.
    bool inserted = false;
    const QSqlQuery &query = execPrepared(
        db,
        QStringLiteral("WITH added AS (INSERT INTO zrt_attempts (job_id, time, time_text,"
                             " station, operator, adapter, adapter_serial, model, version, label,"
                             " own_id, settings_file, settings_sha256, result, reason_code,"
                             " reason, read_back, parameters) VALUES (?, CAST(? AS timestamptz),"
                             " ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, CAST(? AS jsonb))"
                             " ON CONFLICT (job_id, station, adapter, time_text) DO NOTHING"
                             " RETURNING job_id, own_id)"
                             " UPDATE zrt_own_ids o SET state = 'given' FROM added"
                             " WHERE o.job_id = added.job_id AND o.own_id = added.own_id"),
              {jobId, time, time, text(row.station), text(row.operatorName),
               text(row.adapter), text(row.adapterSerial), text(row.model), text(row.version),
               text(row.label), ownIdValue, text(row.settingsFile), text(row.settingsSha256),
               text(row.result), text(row.reasonCode), text(row.reason), row.readBack,
               QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact))},
        &inserted);
    if (!inserted)
        *why = errorOf(query);
    return inserted;
}

// The lowest free own ID from `from`, or `exactly` that one, reserved for `session`.
OwnIdDraw drawOwnIdOn(QSqlDatabase db, int jobId, const QString &session, int from,
                      std::optional<int> exactly)
{
    const int last = fieldBounds(ParameterKey::MYID).maximum;
    OwnIdDraw draw;
    QSqlError error;
    // The stations of a job take their turns for the lowest free own ID, instead of all trying
    // the same one; should two still pick one at once, the primary key lets one of them have
    // it, and the other tries the next.
    for (int attempt = 0; attempt < 2 * last; ++attempt) {
        bool done = false;
        QSqlQuery *query = nullptr;
        if (exactly) {
            query = &execPrepared(
                db,
                QStringLiteral("INSERT INTO zrt_own_ids (job_id, own_id, state, session)"
                               " VALUES (?, ?, 'reserved', ?) RETURNING own_id"),
                {jobId, *exactly, session}, &done);
        } else if (db.transaction()) {
            query = &execPrepared(db, QStringLiteral("SELECT pg_advisory_xact_lock(?, ?)"),
                                  {LockSpace, jobId}, &done);
            if (done)
                query = &execPrepared(
                    db,
                    QStringLiteral("INSERT INTO zrt_own_ids (job_id, own_id, state, session)"
                                   " SELECT ?, g, 'reserved', ?"
                                   " FROM generate_series(CAST(? AS integer),"
                                   " CAST(? AS integer)) g"
                                   " WHERE NOT EXISTS (SELECT 1 FROM zrt_own_ids o"
                                   " WHERE o.job_id = ? AND o.own_id = g)"
                                   " ORDER BY g LIMIT 1 RETURNING own_id"),
                    {jobId, session, from, last, jobId}, &done);
        }
        error = query ? query->lastError() : db.lastError();
        const std::optional<int> drawn =
            done && query->next() ? std::optional(query->value(0).toInt()) : std::nullopt;
        if (query)
            query->finish();  // its result is read; the next run of it starts afresh
        const bool kept = exactly || db.commit();  // the next station's turn
        if (done && kept) {
            draw.ownId = drawn;
            draw.full = !drawn;
            return draw;
        }
        if (error.nativeErrorCode() != UniqueViolation)
            break;
        if (exactly) {
            draw.taken = true;
            return draw;
        }
    }
    draw.error = error.text().trimmed();
    return draw;
}

// What the job holds so far, every station's.
std::optional<RecordSummary> summaryOn(QSqlDatabase db, int jobId)
{
    RecordSummary summary;
    bool read = false;
    QSqlQuery &counts = execPrepared(
        db,
        QStringLiteral("SELECT count(*) FILTER (WHERE result = 'done'),"
                       " count(*) FILTER (WHERE result <> 'done'), min(time),"
                       " max(time) FROM zrt_attempts WHERE job_id = ?"),
        {jobId}, &read);
    if (!read || !counts.next())
        return std::nullopt;
    summary.done = counts.value(0).toInt();
    summary.failed = counts.value(1).toInt();
    summary.first = counts.value(2).toDateTime();
    summary.last = counts.value(3).toDateTime();
    counts.finish();
    QSqlQuery &ownIds = execPrepared(
        db, QStringLiteral("SELECT own_id FROM zrt_own_ids WHERE job_id = ?"), {jobId}, &read);
    if (!read)
        return std::nullopt;
    while (ownIds.next())
        summary.ownIds.insert(ownIds.value(0).toInt());
    ownIds.finish();
    return summary;
}

bool releaseOn(QSqlDatabase db, int jobId, int ownId, QString *why)
{
    bool released = false;
    const QSqlQuery &query = execPrepared(
        db, QStringLiteral("DELETE FROM zrt_own_ids WHERE job_id = ? AND own_id = ?"),
        {jobId, ownId}, &released);
    if (!released)
        *why = errorOf(query);
    return released;
}

QString spoolFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QLatin1String("/.local/share");
    return folder + QLatin1String("/zrt48210/spool");
}

} // namespace

template <typename Work>
auto PlantRecord::onWorker(Work work) const
{
    using Result = std::invoke_result_t<Work>;
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(m_worker.get(), std::move(work), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(m_worker.get(), std::move(work), Qt::BlockingQueuedConnection,
                                  &result);
        return result;
    }
}

template <typename Work, typename Reply>
void PlantRecord::onWorkerThen(Work work, Reply reply)
{
    QMetaObject::invokeMethod(
        m_worker.get(),
        [work = std::move(work), reply = std::move(reply), replies = m_replies.get()] {
            QMetaObject::invokeMethod(
                replies, [reply, result = work()] { reply(result); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

namespace {

QtMessageHandler messagesBefore = nullptr;

// Qt's driver warns "Unable to free statement" for each kept statement of a connection that the
// server has already dropped, as that connection is closed: nothing is lost by it, and the
// operator has been told that the database went away.
void withoutFreeingWarnings(QtMsgType type, const QMessageLogContext &context,
                            const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("Unable to free statement")))
        return;
    messagesBefore(type, context, message);
}

} // namespace

PlantRecord::PlantRecord()
    : m_thread(std::make_unique<QThread>())
    , m_worker(std::make_unique<QObject>())
    , m_replies(std::make_unique<QObject>())
{
    static std::once_flag filtered;
    std::call_once(filtered, [] { messagesBefore = qInstallMessageHandler(withoutFreeingWarnings); });
    m_thread->setObjectName(QStringLiteral("plant record"));
    m_worker->moveToThread(m_thread.get());
    m_thread->start();
}

PlantRecord::~PlantRecord()
{
    // What was asked is done first; answers still on their way are dropped with m_replies.
    onWorker([connection = m_connection] {
        if (!connection.isEmpty())
            closeDatabase(connection);
    });
    m_thread->quit();
    m_thread->wait();
}

std::unique_ptr<PlantRecord> PlantRecord::open(const QString &url, const PlantJob &job,
                                               QString *why)
{
    std::unique_ptr<PlantRecord> record(new PlantRecord);
    record->m_url = url;
    record->m_job = job;
    record->m_session = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // One spool file per station run: two stations on one PC never share one.
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    record->m_spoolPrefix = job.sha256.left(12) + QLatin1Char('-')
        + QString(job.name).replace(unsafe, QStringLiteral("_")) + QLatin1Char('-');
    record->m_spoolPath = spoolFolder() + QLatin1Char('/') + record->m_spoolPrefix
        + record->m_session.left(8) + QLatin1String(".csv");
    if (!record->connect(why) || !record->joinJob(why))
        return nullptr;
    // Rows kept aside by an earlier run of this job that lost the database go first.
    if (!record->sendSpools(why))
        return nullptr;
    record->refresh();
    return record;
}

bool PlantRecord::readRows(const QString &url, const QString &jobName, QList<QStringList> *rows,
                           QString *why)
{
    const Session session;
    return openDatabase(url, session.name, why) && selectRows(session.db(), jobName, rows, why);
}

bool PlantRecord::connect(QString *why)
{
    const QString old = m_connection;
    m_connection = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return onWorker([old, connection = m_connection, url = m_url, why] {
        if (!old.isEmpty())
            closeDatabase(old);
        return openDatabase(url, connection, why)
            && ensureSchema(QSqlDatabase::database(connection, false), why);
    });
}

bool PlantRecord::joinJob(QString *why)
{
    return onWorker([this, why, connection = m_connection] {
        QSqlQuery query(QSqlDatabase::database(connection, false));
        const int last = fieldBounds(ParameterKey::MYID).maximum;
        // Whoever starts the job first writes it; everyone else takes it as it is.
        if (!exec(query,
                  QStringLiteral("INSERT INTO zrt_jobs (name, settings_file, settings_sha256,"
                                 " model_kind, own_id_rule, own_id_from, own_id_to)"
                                 " VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (name) DO NOTHING"),
                  {m_job.name, m_job.settingsFile, m_job.sha256, m_job.kind,
                   m_job.ownIdRule.isEmpty() ? QStringLiteral("file") : m_job.ownIdRule,
                   m_job.sequenceFrom, last})
            || !exec(query, QStringLiteral("SELECT id, settings_sha256, own_id_rule, own_id_from"
                                           " FROM zrt_jobs WHERE name = ?"),
                     {m_job.name})
            || !query.next()) {
            *why = Words::tr("作業「%1」をデータベースに登録できません: %2")
                       .arg(m_job.name, errorOf(query));
            return false;
        }
        if (query.value(1).toString() != m_job.sha256) {
            *why = Words::tr("作業「%1」は別の設定ファイル（SHA-256 が違う）で進んでいます。作業の設定"
                             "は途中で変えられません: 新しい作業名で始めてください")
                       .arg(m_job.name);
            return false;
        }
        // A write from the command line gives its own IDs itself: any rule will do.
        if (m_job.ownIdRule.isEmpty()) {
            m_jobId = query.value(0).toInt();
            return true;
        }
        if (query.value(2).toString() != m_job.ownIdRule
            || (m_job.ownIdRule == QLatin1String("sequence")
                && query.value(3).toInt() != m_job.sequenceFrom)) {
            *why = Words::tr("作業「%1」は別の自己IDの決め方（%2、開始番号 %3）で進んでいます")
                       .arg(m_job.name, query.value(2).toString(), query.value(3).toString());
            return false;
        }
        m_jobId = query.value(0).toInt();
        return true;
    });
}

bool PlantRecord::insertRow(const RecordRow &row, QString *why)
{
    return onWorker([&row, why, jobId = m_jobId, connection = m_connection] {
        return insertRowOn(QSqlDatabase::database(connection, false), jobId, row, why);
    });
}

void PlantRecord::goOffline(const QString &reason)
{
    m_offline = true;
    m_offlineReason = reason;
}

bool PlantRecord::append(const RecordRow &row, QString *why)
{
    QString reason;
    const bool inserted = !m_offline && insertRow(row, &reason);
    return settleAppend(row, inserted, reason, why);
}

void PlantRecord::appendThen(const RecordRow &row, const Appended &done)
{
    if (m_offline) {
        QString why;
        const bool kept = settleAppend(row, false, QString(), &why);
        done(kept, why);
        return;
    }
    onWorkerThen(
        [row, jobId = m_jobId, connection = m_connection] {
            QString reason;
            const bool inserted =
                insertRowOn(QSqlDatabase::database(connection, false), jobId, row, &reason);
            return std::pair(inserted, reason);
        },
        [this, row, done](const std::pair<bool, QString> &inserted) {
            QString why;
            const bool kept = settleAppend(row, inserted.first, inserted.second, &why);
            done(kept, why);
        });
}

bool PlantRecord::settleAppend(const RecordRow &row, bool inserted, const QString &reason,
                               QString *why)
{
    if (inserted) {
        // The other stations' units come in with the next refresh().
        ++(row.result == QLatin1String("done") ? m_summary.done : m_summary.failed);
        return true;
    }
    if (!m_offline)
        goOffline(Words::tr("データベースに記録できません: %1。記録は %2 に預けました。"
                            "サーバーが戻ったら開始を押してください")
                      .arg(reason, m_spoolPath));
    // Nothing is lost: the row waits on this PC, on the disk, before the unit is reported.
    if (!m_spool) {
        if (!QDir().mkpath(QFileInfo(m_spoolPath).path())) {
            *why = Words::tr("記録を預けるフォルダ %1 を作れません")
                       .arg(QFileInfo(m_spoolPath).path());
            return false;
        }
        auto spool = std::make_unique<StationRecord>();
        if (!spool->open(m_spoolPath, why))
            return false;
        m_spool = std::move(spool);
    }
    if (!m_spool->append(row, why))
        return false;
    ++(row.result == QLatin1String("done") ? m_summary.done : m_summary.failed);
    return true;
}

QList<QStringList> PlantRecord::rows() const
{
    QList<QStringList> rows;
    QString why;
    const bool read = onWorker(
        [&rows, &why, job = m_job.name, connection = m_connection] {
            return selectRows(QSqlDatabase::database(connection, false), job, &rows, &why);
        });
    if (!read)
        qWarning("%s", qPrintable(why));
    return rows;
}

// What drawing an own ID and reading the job's counts run on the connection's thread, taken
// with the values they need, for the calls that wait and for those that do not.
std::function<OwnIdDraw()> PlantRecord::drawWork(int from, std::optional<int> exactly) const
{
    return [=, jobId = m_jobId, session = m_session, connection = m_connection] {
        return drawOwnIdOn(QSqlDatabase::database(connection, false), jobId, session, from,
                           exactly);
    };
}

std::function<std::optional<RecordSummary>()> PlantRecord::summaryWork() const
{
    return [jobId = m_jobId, connection = m_connection] {
        return summaryOn(QSqlDatabase::database(connection, false), jobId);
    };
}

std::optional<int> PlantRecord::reserveOwnId(int from, std::optional<int> exactly, QString *why)
{
    if (m_offline) {
        *why = m_offlineReason;
        return std::nullopt;
    }
    const OwnIdDraw draw = onWorker(drawWork(from, exactly));
    return settleDraw(draw, exactly, why);
}

void PlantRecord::reserveOwnIdThen(int from, std::optional<int> exactly, const Drawn &done)
{
    if (m_offline) {
        done(std::nullopt, m_offlineReason);
        return;
    }
    onWorkerThen(
        drawWork(from, exactly),
        [this, exactly, done](const OwnIdDraw &draw) {
            QString why;
            const std::optional<int> ownId = settleDraw(draw, exactly, &why);
            done(ownId, why);
        });
}

std::optional<int> PlantRecord::settleDraw(const OwnIdDraw &draw, std::optional<int> exactly,
                                           QString *why)
{
    if (draw.ownId) {
        m_summary.ownIds.insert(*draw.ownId);
        return draw.ownId;
    }
    if (draw.full) {
        *why = Words::tr("自己IDが%1を超えます").arg(fieldBounds(ParameterKey::MYID).maximum);
    } else if (draw.taken) {
        *why = Words::tr("自己ID %1 はこの作業で既に使われています").arg(ownIdText(*exactly));
    } else {
        // Gone offline while this draw waited its turn: the reason is said once.
        if (!m_offline)
            goOffline(Words::tr("データベースから自己IDを取れません: %1。サーバーが戻ったら開始を"
                                "押してください")
                          .arg(draw.error));
        *why = m_offlineReason;
    }
    return std::nullopt;
}

void PlantRecord::releaseOwnId(int ownId)
{
    if (m_offline) {
        m_summary.ownIds.remove(ownId);
        m_releases << ownId;  // once the database is back
        return;
    }
    onWorkerThen(
        [ownId, jobId = m_jobId, connection = m_connection] {
            QString why;
            return releaseOn(QSqlDatabase::database(connection, false), jobId, ownId, &why);
        },
        // Here, in turn with the other answers, so that an earlier read does not bring it back.
        [this, ownId](bool released) {
            m_summary.ownIds.remove(ownId);
            if (!released)
                m_releases << ownId;
        });
}

bool PlantRecord::sendSpools(QString *why)
{
    m_spool.reset();  // lets go of its lock
    const QDir folder(spoolFolder());
    const QStringList files = folder.entryList({m_spoolPrefix + QLatin1String("*.csv")},
                                               QDir::Files, QDir::Name);
    for (const QString &name : files) {
        const QString path = folder.filePath(name);
        // Another station of this job on this PC still holds its own.
        auto spool = std::make_unique<StationRecord>();
        QString held;
        if (!spool->open(path, &held))
            continue;
        for (const QStringList &fields : spool->rows()) {
            QString reason;
            if (!insertRow(StationRecord::rowOf(fields), &reason)) {
                *why = Words::tr("預けた記録を送れません: %1").arg(reason);
                return false;
            }
        }
        // Sent: an attempt sent again would be kept once, but the file is done with.
        if (!QFile::remove(path)) {
            *why = Words::tr("送った記録 %1 を消せません").arg(path);
            return false;
        }
    }
    return true;
}

bool PlantRecord::resume(QString *why)
{
    if (!m_offline)
        return true;
    if (!connect(why))
        return false;
    while (!m_releases.isEmpty()) {
        QString reason;
        const bool released = onWorker([&reason, ownId = m_releases.constFirst(),
                                        jobId = m_jobId, connection = m_connection] {
            return releaseOn(QSqlDatabase::database(connection, false), jobId, ownId, &reason);
        });
        if (!released) {
            *why = Words::tr("データベースに接続できません: %1").arg(reason);
            return false;
        }
        m_releases.removeFirst();
    }
    if (!sendSpools(why))
        return false;
    m_offline = false;
    m_offlineReason.clear();
    refresh();
    return true;
}

bool PlantRecord::refresh()
{
    if (m_offline)
        return false;
    return settleRefresh(onWorker(summaryWork()));
}

void PlantRecord::refreshThen(const std::function<void(bool changed)> &done)
{
    if (m_offline) {
        done(false);
        return;
    }
    onWorkerThen(
        summaryWork(),
        [this, done](const std::optional<RecordSummary> &summary) {
            done(settleRefresh(summary));
        });
}

bool PlantRecord::settleRefresh(const std::optional<RecordSummary> &summary)
{
    // Offline meanwhile: what this station did since counts, not a read from before.
    if (!summary || m_offline)
        return false;
    const bool changed = summary->done != m_summary.done || summary->failed != m_summary.failed
        || summary->ownIds != m_summary.ownIds;
    m_summary = *summary;
    return changed;
}
