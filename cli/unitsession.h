#pragma once

#include "cli/unitplan.h"
#include "cli/unitreport.h"
#include "link/link.h"
#include "link/qtserialchannel.h"
#include "link/unitmodels.h"
#include "settings/verify.h"

#include <QList>
#include <QObject>

#include <optional>

// One unit on one port: its own link (with its own watchdog) and the steps of a plan, run from
// the event loop it shares with the other sessions. What the link reports, it keeps for the
// report.
//
// A step hands the link one intention (connect, write a group, read back, read the error code)
// and ends when the link has nothing queued and awaits nothing, or the port is closed; the
// statuses the link reported meanwhile say how it went.
class UnitSession : public QObject
{
    Q_OBJECT
public:
    UnitSession(const UnitPlan &plan, const PortSettings &lineSettings, QObject *parent = nullptr);

    Link *link() { return &m_link; }
    void start();
    // Ctrl-C: the exchange in progress ends, nothing more is sent, the port is closed.
    void interrupt();
    bool isFinished() const { return m_step == Step::Finished; }
    const UnitReport &report() const { return m_report; }

signals:
    // One line of progress: "writing 5 of 17 (SNUM)".
    void progress(const QString &text);
    void finished();

private:
    enum class Step { Idle, Connecting, Writing, Reading, ReadingError, Finished };

    void showLinkStatus(LinkStatus status);
    void identifyUnit(const QString &model, const QString &kind);
    void showUnitError(const QString &line);
    void begin(Step step, const QString &what);
    void scheduleCheck();
    void checkStep();
    std::optional<Outcome> stepFailure(QString *detail) const;
    void afterConnect();
    void startWrite();
    void afterWrite();
    void afterRead();
    void finish(Outcome outcome, const QString &detail = {});
    void onTraffic(const TrafficEvent &event);
    int acknowledged() const;
    QString lastCommand() const;
    bool kindMatches(QString *detail) const;

    UnitPlan m_plan;
    QtSerialChannel m_channel;
    Link m_link;
    UnitReport m_report;
    ReportedValues m_reported;
    std::optional<UnitModel> m_unit;
    QStringList m_commands;    // the write in progress
    Step m_step = Step::Idle;
    QList<LinkStatus> m_statuses;  // reported during the current step
    QString m_portFailure;     // the operating system's words on an open failure or a loss
    PortFailure m_portFailureKind = PortFailure::None;
    bool m_lost = false;
    bool m_checkPending = false;
    bool m_interrupted = false;
    int m_sent = 0;            // commands of the write that went out
};
