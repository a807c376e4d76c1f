#pragma once

#include "cli/unitplan.h"
#include "cli/unitreport.h"
#include "link/link.h"
#include "link/qtserialchannel.h"
#include "unit/unitjob.h"

#include <QObject>

#include <memory>

// One unit on one port: its own link (with its own watchdog) and the unit job that carries out
// the plan, run from the event loop it shares with the other sessions. It turns the job's
// result into the report.
class UnitSession : public QObject
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
    bool isFinished() const { return m_finished; }
    const UnitReport &report() const { return m_report; }

signals:
    // One line of progress: "writing 5 of 17 (SNUM)".
    void progress(const QString &text);
    void finished();

private:
    void showStep(UnitJob::Step step);
    void onJobFinished(const UnitJob::Result &result);
    void afterRead(const UnitJob::Result &result);
    QString kindMismatch(const UnitModel &unit) const;
    void finish(Outcome outcome, const QString &detail = {});

    UnitPlan m_plan;
    std::unique_ptr<QtSerialChannel> m_ownChannel;
    SerialChannel *m_channel;
    Link m_link;
    UnitJob m_job;
    UnitReport m_report;
    bool m_interrupted = false;
    bool m_finished = false;
};
