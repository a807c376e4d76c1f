#pragma once

#include "cli/unitplan.h"
#include "cli/unitreport.h"
#include "link/portsettings.h"

#include <QList>
#include <QObject>

class TrafficLog;
class UnitSession;

// Runs one session per unit, all at once in one event loop: a unit that is silent, refuses or
// goes away ends only its own session.
class SessionRunner : public QObject
{
    Q_OBJECT
public:
    // `log`, when given, records every line of every port.
    SessionRunner(const QList<UnitPlan> &plans, const PortSettings &lineSettings,
                  TrafficLog *log, QObject *parent = nullptr);

    void start();
    void interrupt();
    QList<UnitReport> reports() const;

signals:
    void progress(int unit, const QString &text);
    void finished();

private:
    void onSessionFinished();

    QList<UnitSession *> m_sessions;
    bool m_finished = false;
};
