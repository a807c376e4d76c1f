#pragma once

#include "link/linkresult.h"
#include "link/unitmodels.h"
#include "settings/verify.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Link;
struct TrafficEvent;

// One unit's work on a link, for every front end: connect and identify, then read back, write
// a group (and check it by reading the parameters back), or read the error code. It reports its
// steps and each command written, and ends with one typed result. Nothing of it shows anything.
//
// Verify is one sequence everywhere: after a write whose last command was acknowledged, "DISP"
// alone (the unit was identified when it was connected), its lines kept apart from any form,
// then compared with the commands written.
class UnitJob : public QObject
{
    Q_OBJECT
public:
    enum class Work { Identify, ReadBack, Write, ReadError };
    enum class Step { Connecting, ReadingBack, Writing, Verifying, ReadingError };
    enum class Outcome {
        Done,
        Refused,         // the unit answered NAK to `command`
        Unacknowledged,  // a write's last command was answered with something else than ACK
        Different,       // verify: the unit reports other values than were written
        WrongModel,      // not one of our models, or refused by the request's check
        OpenFailed,
        NoAnswer,        // the unit stopped answering: silence
        Unreadable,      // bytes came back, but nothing the link could read
        Unidentified,    // the unit answered without naming itself (an error line, say)
        PortLost,
        Stopped,         // stop(), or the port was closed under the job
    };

    struct Request
    {
        Work work = Work::Identify;
        // False: the link is connected already; the work goes out whatever unit it names.
        bool connect = true;
        // Write: the commands ("FRBD3", "MYID001" ...), asked for once the unit is known.
        std::function<QStringList()> commands;
        bool verify = false;
        // Run once a connect has identified the unit: a reason not to go on (WrongModel), or
        // empty.
        std::function<QString(const UnitModel &unit)> check;
    };

    struct Result
    {
        Outcome outcome = Outcome::Done;
        Step step = Step::Connecting;  // the step it ended in
        // WrongModel: the check's reason, or that the model is not one of the family's.
        QString detail;
        QString command;  // the command refused or unanswered, without "@" and CR LF
        PortCheck port;   // OpenFailed, PortLost: why, and who holds the port where known
        std::optional<UnitModel> unit;
        QString model;    // the text after "ZRT", also for a model of another family
        QString version;
        QStringList commands;  // the write
        int sent = 0;          // commands of the write that went out
        int written = 0;       // of those, acknowledged
        QString ownIdSent;     // the own ID whose MYID command went out; empty when none did
        bool read = false;     // `values` holds a read-back (read back, or verify)
        ReportedValues values;
        // Why the values read back cannot stand for the unit (a parameter missing, or one the
        // rules refuse); empty when they can, or when nothing was read.
        QString readBackProblem;
        QList<Mismatch> mismatches;  // verify
        bool verified = false;
        QString errorLine;     // read error: the "Err" line
    };

    explicit UnitJob(Link *link, QObject *parent = nullptr);
    ~UnitJob() override;

    void start(const Request &request);
    // Nothing more goes out; the exchange in progress ends, then the job with Stopped.
    void stop();
    bool isRunning() const { return m_running; }

signals:
    void stepStarted(UnitJob::Step step);
    // Command `index` (from 1) of `count` went out.
    void commandSent(int index, int count, const QString &command);
    void finished(const UnitJob::Result &result);

private:
    void onLinkFinished(const LinkResult &result);
    void onTraffic(const TrafficEvent &event);
    void afterConnect();
    void startWork();
    void end(Outcome outcome);
    void judgeReadBack();
    static Outcome outcomeOf(LinkResult::Outcome outcome);

    Link *m_link;
    Request m_request;
    Result m_result;
    Step m_step = Step::Connecting;
    bool m_running = false;
    bool m_stopped = false;
    int m_sent = 0;
};
