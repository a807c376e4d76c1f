#pragma once

#include "cli/unitplan.h"
#include "cli/unitreport.h"
#include "link/link.h"
#include "link/linkhost.h"
#include "link/qtserialchannel.h"
#include "settings/unitmodels.h"
#include "settings/verify.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

// One unit on one port: its own link (with its own watchdog) and the steps of a plan, run from
// the event loop it shares with the other sessions. It is the link's host in place of the
// window: what the window would show, it keeps for the report.
//
// A step hands the link one intention (connect, write a group, read back, read the error code)
// and ends when the link has nothing queued and awaits nothing, or the port is closed; the
// statuses the link reported meanwhile say how it went.
class UnitSession : public QObject, public LinkHost
{
    Q_OBJECT
public:
    // Without a channel the session opens the real port; tests and the fuzzer lend their own.
    UnitSession(const UnitPlan &plan, const PortSettings &lineSettings,
                SerialChannel *channel = nullptr, QObject *parent = nullptr);

    Link *link() { return &m_link; }
    void start();
    // Ctrl-C: the exchange in progress ends, nothing more is sent, the port is closed.
    void interrupt();
    bool isFinished() const { return m_step == Step::Finished; }
    const UnitReport &report() const { return m_report; }

    // LinkHost
    void showLinkStatus(LinkStatus status) override;
    void setWindowLocked(bool) override {}
    bool identifyUnit(const QString &line) override;
    void showVersion(const QString &line) override { m_report.version = line; }
    QString unitKind() const override { return m_kindShown; }
    void clearUnitLabels() override { m_kindShown.clear(); }
    int applyParameterLine(const QString &line) override { return m_reported.take(line); }
    void showUnitError(const QString &line) override;
    void showConnectionState(bool) override { scheduleCheck(); }
    void startStatusReset() override {}
    void stopStatusReset() override {}

signals:
    // One line of progress: "writing 5 of 17 (SNUM)".
    void progress(const QString &text);
    void finished();

private:
    enum class Step { Idle, Connecting, Writing, Reading, ReadingError, Finished };

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
    std::unique_ptr<QtSerialChannel> m_ownChannel;
    SerialChannel *m_channel;
    Link m_link;
    UnitReport m_report;
    ReportedValues m_reported;
    std::optional<UnitModel> m_unit;
    QString m_kindShown;       // what the window's lblUnitVer1 would show
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
