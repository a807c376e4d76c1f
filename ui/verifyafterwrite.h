#pragma once

#include "link/linkstatus.h"
#include "settings/verify.h"

#include <QList>
#include <QObject>
#include <QStringList>

class Link;
class LinkHost;

// 設定 → 書込後に照合: after a write that ended in "設定成功", the parameters are read back and
// compared with the commands written. The lines of that read go into ReportedValues, never to
// the window, so the fields keep what the user wrote. Off, it never touches the link.
class VerifyAfterWrite : public QObject
{
    Q_OBJECT
public:
    // `host` is locked from the moment the read is queued until the link's exchange ends it.
    VerifyAfterWrite(Link *link, LinkHost *host, QObject *parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool on);

    // The commands of a write about to be queued.
    void noteWrite(const QStringList &commands);
    // Every status the link reports, before the window shows it.
    void linkStatus(LinkStatus status);
    // True while the parameter lines of the link belong to the comparison.
    bool isReading() const { return m_state == State::Reading; }
    // A parameter line of the read; 0 when taken, -1 when refused, as on the window.
    int take(const QString &line) { return m_reported.take(line); }

signals:
    // After the read completed; empty when the unit reports every value written.
    void verified(const QList<Mismatch> &mismatches);

private:
    enum class State { Idle, Scheduled, Reading };

    void start();
    void onAwaitingReplyChanged(bool awaiting);

    Link *m_link;
    LinkHost *m_host;
    bool m_enabled = false;
    State m_state = State::Idle;
    QStringList m_written;   // the write under way
    QStringList m_checking;  // the write being checked
    ReportedValues m_reported;
};
