#pragma once

#include "unit/admission.h"
#include "unit/unitoutcome.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <utility>


// The one place where the station meets the engine that runs a unit's work (the unit job on a
// link of its own). Everything else of the station sees only what is declared here: a settings
// file taken once, a poll, a configure run with its progress, a typed result.

// How a unit's poll or configure run ended.
using RunOutcome = UnitOutcome;

struct RunResult
{
    RunOutcome outcome = RunOutcome::NoAnswer;
    QString model;    // "48210"; the raw text after "ZRT" for a model of another family
    QString kind;     // "デジタルユニット" ...
    QString version;  // the version line as received
    QString detail;   // what went wrong, in English
    int written = 0;  // parameters acknowledged
    int toWrite = 0;
    bool writeStarted = false;  // a parameter command went out
    bool ownIdSent = false;     // the MYID command went out
    QString ownId;              // the own ID that command carried
    QString refusedKey;
    QStringList mismatchedKeys;
    bool readBack = false;  // `values` are as read back; otherwise as written
    QList<std::pair<QString, QString>> values;  // key, value
};

// What of a write went out: whether anything did, the own ID if its command did, and, without
// a read-back, the values as written (the commands acknowledged).
void takeWrite(RunResult &result, const QStringList &commands, int sent,
               const QString &ownIdSent);

class UnitRun : public QObject
{
    Q_OBJECT
public:
    explicit UnitRun(QObject *parent = nullptr);
    ~UnitRun() override;

    // Asks the unit on `device` who it is, through the same link as every other exchange: the
    // watchdog asks again once a second and gives up after about 4 s.
    void poll(const QString &device);
    // Identifies the unit, writes all seventeen parameters of `job` (with `ownId` where the
    // role lets it be set) and, with `verify`, reads them back and compares.
    void start(const QString &device, const JobSettings &job, std::optional<int> ownId,
               bool verify);
    // The command in progress ends, nothing more is sent; finished() follows.
    void interrupt();
    bool isRunning() const { return m_running; }
    // Whether the run going on, or else the last one, writes settings (start()) rather than
    // polls (poll()).
    bool isConfiguring() const { return m_configuring; }


signals:
    // k of n parameters written; `verifying` once the read-back has started.
    void progress(int k, int n, bool verifying);
    void finished(const RunResult &result);

private:
    struct Line;
    struct Work;
    void launch(const QString &device, const Work &work);
    // The job's result, carried in a QVariant so that this header names no engine type.
    void onFinished(const QVariant &result);

    std::unique_ptr<Line> m_line;
    bool m_running = false;
    bool m_configuring = false;
    bool m_interrupted = false;
    int m_toWrite = 0;  // for the progress of a verify
};
