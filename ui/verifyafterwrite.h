#pragma once

#include "link/linkresult.h"
#include "settings/verify.h"

#include <QList>
#include <QObject>
#include <QStringList>

class Link;

// 設定 → 書込後に照合: after a write whose last command was acknowledged, the parameters are
// read back and compared with the commands written. The lines of that read go into
// ReportedValues, never to the window, so the fields keep what the user wrote. Off, it never
// touches the link.
class VerifyAfterWrite : public QObject
{
    Q_OBJECT
public:
    explicit VerifyAfterWrite(Link *link, QObject *parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool on);

    // The commands of a write about to be queued.
    void noteWrite(const QStringList &commands);

signals:
    // The read that checks the write is queued.
    void checking();
    // After the read completed; empty when the unit reports every value written.
    void verified(const QList<Mismatch> &mismatches);

private:
    void onFinished(const LinkResult &result);

    Link *m_link;
    bool m_enabled = false;
    bool m_reading = false;
    QStringList m_written;   // the write under way
    QStringList m_checking;  // the write being checked
    ReportedValues m_reported;
};
